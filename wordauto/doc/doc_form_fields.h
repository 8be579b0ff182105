#pragma once

#include "wordauto/doc/doc_ref.h"

#include <cstddef>
#include <string>

namespace wordauto {

class DOC_CheckBox {
public:
    DOC_CheckBox(DocRef ref, std::size_t index, std::string name, unsigned gen)
        : ref_(std::move(ref)), index_(index), name_(std::move(name)), gen_(gen) {}
    bool Value() const;
    void Value(bool ticked);

private:
    DocRef ref_;
    std::size_t index_;
    std::string name_;
    unsigned gen_;
};

// A legacy form field (text, check box or drop-down) of the main story.
class DOC_FormField {
public:
    DOC_FormField(DocRef ref, std::size_t index, std::string name, unsigned gen)
        : ref_(std::move(ref)), index_(index), name_(std::move(name)), gen_(gen) {}
    std::string Name() const;
    // A text field's text, a check box's "1" or "0", a drop-down's chosen entry.
    std::string Result() const;
    void Result(const std::string& text);
    DOC_CheckBox CheckBox() const;
    std::string StatusText() const;
    std::string HelpText() const;
    // Moves the instance's selection to the field.
    void Select();

private:
    DocRef ref_;
    std::size_t index_;
    std::string name_;
    unsigned gen_;
};

class DOC_FormFields {
public:
    explicit DOC_FormFields(DocRef ref) : ref_(std::move(ref)) {}
    int Count() const;
    DOC_FormField Item(int index) const;
    // By name, without regard to case as Word's bookmark names.
    DOC_FormField Item(const std::string& name) const;

private:
    DocRef ref_;
};

class DOC_Bookmarks {
public:
    explicit DOC_Bookmarks(DocRef ref) : ref_(std::move(ref)) {}
    // True exactly when a form field of that name exists.
    bool Exists(const std::string& name) const;

private:
    DocRef ref_;
};

} // namespace wordauto
