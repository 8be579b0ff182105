#pragma once

#include "wordauto/doc/doc_ref.h"

namespace wordauto {

class DOC_PageNumbers {
public:
    DOC_PageNumbers(DocRef ref, int section) : ref_(std::move(ref)), section_(section) {}
    // The section's first page number, 0 when it continues from the section before.
    int StartingNumber() const;
    void StartingNumber(int number);

private:
    DocRef ref_;
    int section_;
};

// The primary footer of a section.
class DOC_HeaderFooter {
public:
    DOC_HeaderFooter(DocRef ref, int section) : ref_(std::move(ref)), section_(section) {}
    bool LinkToPrevious() const;
    // FALSE gives the section a footer of its own, a copy of the one it showed until now.
    void LinkToPrevious(bool link);
    DOC_PageNumbers PageNumbers() const { return DOC_PageNumbers(ref_, section_); }

private:
    DocRef ref_;
    int section_;
};

class DOC_HeadersFooters {
public:
    DOC_HeadersFooters(DocRef ref, int section) : ref_(std::move(ref)), section_(section) {}
    // Item 1 is the primary footer (the only kind the program uses).
    DOC_HeaderFooter Item(int index) const;

private:
    DocRef ref_;
    int section_;
};

class DOC_Section {
public:
    DOC_Section(DocRef ref, int index) : ref_(std::move(ref)), index_(index) {}
    DOC_HeadersFooters Footers() const { return DOC_HeadersFooters(ref_, index_); }

private:
    DocRef ref_;
    int index_;
};

class DOC_Sections {
public:
    explicit DOC_Sections(DocRef ref) : ref_(std::move(ref)) {}
    int Count() const;
    DOC_Section Item(int index) const;

private:
    DocRef ref_;
};

} // namespace wordauto
