#pragma once

#include <pugixml.hpp>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wordauto::detail {

enum class FieldKind { Text, CheckBox, DropDown };

// One legacy form field of a story: the begin, separate and end field characters (w:fldChar),
// and its w:ffData.
struct FormFieldXml {
    pugi::xml_node begin;     // w:fldChar begin
    pugi::xml_node separate;  // w:fldChar separate, may be empty (check boxes have none)
    pugi::xml_node end;       // w:fldChar end
    pugi::xml_node ffData;
    FieldKind kind = FieldKind::Text;
    pugi::xml_node control;   // the w:checkBox or w:ddList that makes the kind
    pugi::xml_node storyRoot; // where the field's story begins

    // Read once when the index is built: nothing renames a field.
    const std::string& name() const { return name_; }
    std::string statusText() const;
    std::string helpText() const;
    // A text field's text between separate and end; the empty placeholder reads as "".
    // A check box gives "1" or "0", a drop-down the chosen entry.
    std::string result() const;
    // True when field characters went with the old result (a field nested in it): the fields
    // have moved then. A separate the field lacked is made here and kept in this entry.
    bool setResult(const std::string& text);
    bool checked() const;
    void setChecked(bool value);

private:
    friend class FormFieldIndex;
    std::string name_;
};

// The form fields of a story in document order, with an index by name that ignores case, as
// bookmark names do. The first field of a name wins.
class FormFieldIndex {
public:
    // Walks the story for its field characters.
    void build(pugi::xml_node storyRoot);
    std::size_t count() const { return fields_.size(); }
    const FormFieldXml& at(std::size_t i) const { return fields_[i]; }
    FormFieldXml& at(std::size_t i) { return fields_[i]; }
    // Position of the field of that name, or npos.
    std::size_t find(std::string_view name) const;

    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

private:
    class Builder; // what the build does with each field character

    // The fields by name, compared without regard to case: an open-addressed table of field
    // positions + 1 (0 is a free slot), so building, looking up and dropping the index cost
    // no allocation per field.
    std::size_t slotOf(std::string_view name) const;
    std::vector<FormFieldXml> fields_;
    std::vector<std::uint32_t> slots_;
};

// Whether the node is a field character or holds one: a removal that takes one with it moves
// the fields.
bool holdsFieldChar(pugi::xml_node node);

// Text of the runs from `from` up to `to` (exclusive) in document order: w:t as is, tabs and
// breaks as Word's characters, a paragraph end as CR. Field codes (w:instrText) are not text.
std::string textBetween(pugi::xml_node from, pugi::xml_node to, pugi::xml_node root);

} // namespace wordauto::detail
