#include "wordauto/oxml/form_field_xml.h"

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

bool FormFieldXml::setResult(const std::string& text)
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
                return false;
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
    bool fieldCharsGone = false;
    for (auto n = sepRun.next_sibling(); n && n != endRun;) {
        auto next = n.next_sibling();
        for (const char* h : resultHolders)
            if (std::strcmp(n.name(), h) == 0) {
                fieldCharsGone = fieldCharsGone || holdsFieldChar(n);
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
    return fieldCharsGone;
}

} // namespace wordauto::detail
