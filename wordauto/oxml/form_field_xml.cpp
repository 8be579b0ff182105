#include "wordauto/oxml/form_field_xml.h"

#include "wordauto/keyed_hash.h"
#include "wordauto/word_error.h"
#include "wordauto/oxml/xml_text.h"
#include "wordauto/oxml/xml_util.h"

#include <cstring>

namespace wordauto::detail {

namespace {

pugi::xml_node runOf(pugi::xml_node n)
{
    while (n && std::strcmp(n.name(), "w:r") != 0)
        n = n.parent();
    return n;
}

// Gives the field character a run of its own, splitting its run where it holds other content
// (some writers put a whole field in one run), so runs can be replaced around it.
void isolate(pugi::xml_node fldChar)
{
    auto run = runOf(fldChar);
    auto paragraph = run.parent();
    const auto props = run.child("w:rPr");
    auto moveSiblings = [&](pugi::xml_node first, pugi::xml_node stop, pugi::xml_node where, bool before) {
        pugi::xml_node fresh = before ? paragraph.insert_child_before("w:r", where)
                                      : paragraph.insert_child_after("w:r", where);
        if (props)
            fresh.append_copy(props);
        for (auto n = first; n && n != stop;) {
            auto next = n.next_sibling();
            fresh.append_move(n);
            n = next;
        }
    };
    pugi::xml_node firstContent;
    for (auto n = run.first_child(); n && n != fldChar; n = n.next_sibling())
        if (n != props) {
            firstContent = n;
            break;
        }
    if (firstContent)
        moveSiblings(firstContent, fldChar, run, true);
    if (auto after = fldChar.next_sibling())
        moveSiblings(after, pugi::xml_node(), run, false);
}

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

// The local name of an element of the WordprocessingML namespace ("t" for w:t), or nullptr.
const char* wordLocalName(pugi::xml_node n)
{
    const char* name = n.name();
    if (name[0] != 'w' || name[1] != ':' || n.type() != pugi::node_element)
        return nullptr;
    return name + 2;
}

bool is(const char* local, const char* wanted) { return std::strcmp(local, wanted) == 0; }

// A local name such as "rPr" or "tcPr".
bool isProperties(const char* local)
{
    const std::size_t len = std::strlen(local);
    return len > 2 && local[len - 2] == 'P' && local[len - 1] == 'r';
}

} // namespace

std::string textBetween(pugi::xml_node from, pugi::xml_node to, pugi::xml_node root)
{
    std::string out;
    for (auto n = from; n && n != to;) {
        const char* local = wordLocalName(n);
        // Properties (w:rPr, w:pPr, ...) hold no text: their children are not looked at.
        const bool properties = local && isProperties(local);
        const auto current = n;
        n = properties ? nextSkippingChildren(n, root) : nextInOrder(n, root);
        if (!local || properties)
            continue;
        // Most nodes of a result are runs and their properties: tell them apart by the first
        // letter before comparing whole names.
        switch (local[0]) {
        case 't':
            if (local[1] == '\0')
                out += current.text().get();
            else if (is(local, "tab") && std::strcmp(current.parent().name(), "w:r") == 0)
                out += '\t';
            break;
        case 'b':
            if (is(local, "br"))
                out += std::strcmp(current.attribute("w:type").value(), "page") == 0 ? '\f' : '\v';
            break;
        case 'c':
            if (is(local, "cr"))
                out += '\v';
            break;
        case 'n':
            if (is(local, "noBreakHyphen"))
                out += '\x1e'; // as in cell text
            break;
        case 's':
            if (is(local, "softHyphen"))
                out += '\x1f';
            break;
        case 'p':
            // Entering a new paragraph closes the one before it.
            if (local[1] == '\0' && current != from && !out.empty())
                out += '\r';
            break;
        default:
            break;
        }
    }
    return out;
}

std::string FormFieldXml::statusText() const { return std::string(childVal(ffData, "w:statusText")); }
std::string FormFieldXml::helpText() const { return std::string(childVal(ffData, "w:helpText")); }

bool FormFieldXml::checked() const
{
    if (kind != FieldKind::CheckBox)
        return false;
    const auto box = control;
    if (auto c = box.child("w:checked"))
        return onOff(c, false);
    return onOff(box.child("w:default"), false);
}

void FormFieldXml::setChecked(bool value)
{
    if (kind != FieldKind::CheckBox)
        throw WordError("Il campo " + name() + " non è una casella di controllo");
    auto box = control;
    auto c = box.child("w:checked");
    if (!c)
        c = box.append_child("w:checked");
    c.remove_attribute("w:val");
    if (!value)
        c.append_attribute("w:val") = "0";
}

std::string FormFieldXml::result() const
{
    if (kind == FieldKind::CheckBox)
        return checked() ? "1" : "0";
    if (kind == FieldKind::DropDown) {
        const auto list = control;
        std::string_view sel = childVal(list, "w:result");
        if (sel.empty())
            sel = childVal(list, "w:default");
        long index = sel.empty() ? 0 : std::strtol(std::string(sel).c_str(), nullptr, 10);
        long i = 0;
        for (auto e : list.children("w:listEntry"))
            if (i++ == index)
                return e.attribute("w:val").value();
        return {};
    }
    if (!separate)
        return {};
    std::string text = textBetween(nextSkippingChildren(separate, storyRoot), end, storyRoot);
    if (text == kEmptyFieldPlaceholder)
        return {};
    return text;
}

void FormFieldXml::setResult(const std::string& text)
{
    if (kind == FieldKind::CheckBox)
        throw WordError("Il campo " + name() + " è una casella di controllo: il suo risultato non "
                        "può essere scritto come testo");
    if (kind == FieldKind::DropDown) {
        auto list = control;
        long i = 0;
        for (auto e : list.children("w:listEntry")) {
            if (text == e.attribute("w:val").value()) {
                auto r = list.child("w:result");
                if (!r)
                    r = list.prepend_child("w:result");
                r.remove_attribute("w:val");
                r.append_attribute("w:val") = std::to_string(i).c_str();
                return;
            }
            ++i;
        }
        throw WordError("Il valore \"" + text + "\" non è tra le voci del campo " + name());
    }
    isolate(begin);
    isolate(end);
    if (separate)
        isolate(separate);
    const auto beginRun = runOf(begin);
    const auto endRun = runOf(end);
    auto paragraph = beginRun.parent();
    if (endRun.parent() != paragraph)
        throw WordError("Il campo " + name() + " si estende su più paragrafi e non può essere scritto");
    pugi::xml_node sepRun = separate ? runOf(separate) : pugi::xml_node();
    if (sepRun && sepRun.parent() != paragraph)
        throw WordError("Il campo " + name() + " si estende su più paragrafi e non può essere scritto");

    if (!sepRun) {
        sepRun = paragraph.insert_child_before("w:r", endRun);
        if (auto rp = beginRun.child("w:rPr"))
            sepRun.append_copy(rp);
        auto fc = sepRun.append_child("w:fldChar");
        fc.append_attribute("w:fldCharType") = "separate";
        separate = fc;
    }
    // The new result keeps the look of the first result run (or of the field itself).
    pugi::xml_document saved;
    pugi::xml_node props;
    for (auto n = sepRun.next_sibling(); n && n != endRun; n = n.next_sibling())
        if (std::strcmp(n.name(), "w:r") == 0) {
            if (auto rp = n.child("w:rPr"))
                props = saved.append_copy(rp);
            break;
        }
    if (!props)
        if (auto rp = beginRun.child("w:rPr"))
            props = saved.append_copy(rp);
    // Bookmarks and proofing marks inside the result stay; the runs holding the old text go.
    static constexpr const char* resultHolders[] = {"w:r", "w:ins", "w:del", "w:smartTag",
                                                    "w:hyperlink", "w:customXml", "w:fldSimple",
                                                    "w:sdt"};
    for (auto n = sepRun.next_sibling(); n && n != endRun;) {
        auto next = n.next_sibling();
        for (const char* h : resultHolders)
            if (std::strcmp(n.name(), h) == 0) {
                paragraph.remove_child(n);
                break;
            }
        n = next;
    }
    auto run = paragraph.insert_child_before("w:r", endRun);
    if (props)
        run.append_copy(props);
    auto t = run.append_child("w:t");
    t.append_attribute("xml:space") = "preserve";
    // Characters XML cannot hold never reach the part.
    const std::string safe = xmlSafeText(text);
    t.text().set(safe.empty() ? std::string(kEmptyFieldPlaceholder).c_str() : safe.c_str());
}

void FormFieldIndex::build(pugi::xml_node storyRoot)
{
    // Room for a long check list's fields, so that the walk does not keep moving them.
    constexpr std::size_t kExpectedFields = 128;
    fields_.clear();
    fields_.reserve(kExpectedFields);
    slots_.clear();
    struct FieldChars : pugi::xml_tree_walker {
        std::vector<FormFieldXml>& fields;
        pugi::xml_node root;
        // Open fields, innermost last; each names its slot in fields (npos for fields that are
        // not form fields), so fields keep the document order of their begins.
        std::vector<std::size_t> open;
        std::vector<bool> complete;

        FieldChars(std::vector<FormFieldXml>& f, pugi::xml_node r) : fields(f), root(r) {}

        // Every node of the story: pugixml's own walk costs less than stepping through the
        // tree from here, even though properties and text are visited too.
        bool for_each(pugi::xml_node& n) override
        {
            if (isWordElement(n.name(), "fldChar"))
                fieldChar(n); // what a field character holds is its ffData
            return true;
        }

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
                    open.push_back(npos);
                    return;
                }
                open.push_back(fields.size());
                fields.push_back(formField(n, ff));
                fields.back().storyRoot = root;
                complete.push_back(false);
            } else if (!open.empty() && type == "separate") {
                if (open.back() != npos)
                    fields[open.back()].separate = n;
            } else if (!open.empty() && type == "end") {
                if (open.back() != npos) {
                    fields[open.back()].end = n;
                    complete[open.back()] = true;
                }
                open.pop_back();
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
    } walker(fields_, storyRoot);
    storyRoot.traverse(walker);
    // A field without its end is damaged markup: it is not offered as a form field.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (walker.complete[i]) {
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
    slots_.assign(size, 0);
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const std::size_t slot = slotOf(fields_[i].name());
        if (slots_[slot] == 0) // else a field of that name came first and keeps it
            slots_[slot] = static_cast<std::uint32_t>(i + 1);
    }
}

namespace {

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
