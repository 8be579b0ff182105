#include "wordauto/oxml/form_field_xml.h"

#include "wordauto/keyed_hash.h"
#include "wordauto/oxml/xml_util.h"

#include <cstring>

namespace wordauto::detail {

namespace {

// True for the element "w:<local>". The index build asks this of every node of a story, so
// it compares in place instead of through a library call.
template <std::size_t N>
bool isWordElement(const char* name, const char (&local)[N])
{
    if (name[0] != 'w' || name[1] != ':')
        return false;
    for (std::size_t i = 0; i < N; ++i) // the terminator included
        if (name[2 + i] != local[i])
            return false;
    return true;
}

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    return true;
}

} // namespace

// Field characters met in document order: open fields nest, and each field is complete at
// its end.
class FormFieldIndex::Builder {
public:
    Builder(FormFieldIndex& index, pugi::xml_node root) : index_(index), fields_(index.fields_), root_(root)
    {
        // Room for a long check list's fields, so that the build does not keep moving them.
        constexpr std::size_t kExpectedFields = 128;
        fields_.clear();
        fields_.reserve(kExpectedFields);
        index_.slots_.clear();
    }

    // A node of the story, in document order.
    void node(pugi::xml_node n)
    {
        if (isWordElement(n.name(), "fldChar"))
            fieldChar(n); // what a field character holds is its ffData
    }

    // A field without its end is damaged markup: it is not offered as a form field.
    void finish()
    {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < fields_.size(); ++i)
            if (complete_[i]) {
                if (kept != i)
                    fields_[kept] = std::move(fields_[i]);
                ++kept;
            }
        fields_.resize(kept);
        if (fields_.empty())
            return;
        std::size_t size = 16;
        while (size < 2 * fields_.size())
            size *= 2;
        auto& slots = index_.slots_;
        slots.assign(size, 0);
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            const std::size_t slot = index_.slotOf(fields_[i].name());
            if (slots[slot] == 0) // else a field of that name came first and keeps it
                slots[slot] = static_cast<std::uint32_t>(i + 1);
        }
    }

private:
    void fieldChar(pugi::xml_node n)
    {
        // The type is the one attribute a field character normally has.
        auto attr = n.first_attribute();
        if (std::strcmp(attr.name(), "w:fldCharType") != 0)
            attr = n.attribute("w:fldCharType");
        const std::string_view type = attr.value();
        if (type == "begin") {
            // The form data is the first thing a form field's begin holds.
            auto ff = n.first_child();
            if (!isWordElement(ff.name(), "ffData"))
                ff = n.child("w:ffData");
            if (!ff) {
                open_.push_back(npos);
                return;
            }
            open_.push_back(fields_.size());
            fields_.push_back(formField(n, ff));
            fields_.back().storyRoot = root_;
            complete_.push_back(false);
        } else if (!open_.empty() && type == "separate") {
            if (open_.back() != npos)
                fields_[open_.back()].separate = n;
        } else if (!open_.empty() && type == "end") {
            if (open_.back() != npos) {
                fields_[open_.back()].end = n;
                complete_[open_.back()] = true;
            }
            open_.pop_back();
        }
    }

    // Kind and name in one pass over w:ffData; a check box wins over a list.
    static FormFieldXml formField(pugi::xml_node begin, pugi::xml_node ffData)
    {
        FormFieldXml field;
        field.begin = begin;
        field.ffData = ffData;
        pugi::xml_node checkBox;
        pugi::xml_node dropDown;
        bool named = false;
        for (auto c = ffData.first_child(); c; c = c.next_sibling()) {
            const char* name = c.name();
            if (!named && isWordElement(name, "name")) {
                field.name_ = c.attribute("w:val").value();
                named = true;
            } else if (!checkBox && isWordElement(name, "checkBox")) {
                checkBox = c;
            } else if (!dropDown && isWordElement(name, "ddList")) {
                dropDown = c;
            }
        }
        field.kind = checkBox ? FieldKind::CheckBox : dropDown ? FieldKind::DropDown : FieldKind::Text;
        field.control = checkBox ? checkBox : dropDown;
        return field;
    }

    FormFieldIndex& index_;
    std::vector<FormFieldXml>& fields_;
    pugi::xml_node root_;
    // Open fields, innermost last; each names its slot in fields_ (npos for fields that are
    // not form fields), so fields keep the document order of their begins.
    std::vector<std::size_t> open_;
    std::vector<bool> complete_;
};

void FormFieldIndex::build(pugi::xml_node storyRoot)
{
    // Every node of the story: pugixml's own walk costs less than stepping through the tree
    // from here, even though properties and text are visited too.
    struct Walk : pugi::xml_tree_walker {
        Builder& builder;
        explicit Walk(Builder& b) : builder(b) {}
        bool for_each(pugi::xml_node& n) override
        {
            builder.node(n);
            return true;
        }
    };
    Builder builder(*this, storyRoot);
    Walk walk(builder);
    storyRoot.traverse(walk);
    builder.finish();
}

bool holdsFieldChar(pugi::xml_node node)
{
    for (auto n = node; n; n = nextInOrder(n, node))
        if (isWordElement(n.name(), "fldChar"))
            return true;
    return false;
}

// The slot holding the field of that name, or the free slot where it would go.
std::size_t FormFieldIndex::slotOf(std::string_view name) const
{
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = keyedNameHash(name) & mask;; slot = (slot + 1) & mask)
        if (slots_[slot] == 0 || sameName(fields_[slots_[slot] - 1].name(), name))
            return slot;
}

std::size_t FormFieldIndex::find(std::string_view name) const
{
    if (slots_.empty())
        return npos;
    const std::uint32_t entry = slots_[slotOf(name)];
    return entry == 0 ? npos : entry - 1;
}

} // namespace wordauto::detail
