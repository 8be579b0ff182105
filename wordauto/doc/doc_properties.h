#pragma once

#include "wordauto/doc/doc_ref.h"

namespace wordauto {

// Word's number of the built-in property that holds the page count.
inline constexpr int wdPropertyPages = 14;

class DOC_DocumentProperty {
public:
    explicit DOC_DocumentProperty(DocRef ref) : ref_(std::move(ref)) {}
    // The page count of the document's layout: the pages PrintOut prints.
    long Value() const;

private:
    DocRef ref_;
};

// The built-in document properties; the page count (item 14) is the one Vendrik keeps.
class DOC_BuiltInDocumentProperties {
public:
    explicit DOC_BuiltInDocumentProperties(DocRef ref) : ref_(std::move(ref)) {}
    DOC_DocumentProperty Item(int index) const;

private:
    DocRef ref_;
};

} // namespace wordauto
