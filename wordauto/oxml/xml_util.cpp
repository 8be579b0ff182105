#include "wordauto/oxml/xml_util.h"

#include "wordauto/word_error.h"
#include "wordauto/oxml/xml_markup.h"
#include "wordauto/oxml/xml_text.h"
#include "wordauto/oxml/xml_tree_check.h"

#include <algorithm>

namespace wordauto::detail {

void loadXml(pugi::xml_document& doc, const std::string& text, const std::string& partName,
             const std::string& displayPath)
{
    std::string converted;
    const std::string_view utf8 = utf8PartText(text, converted, partName, displayPath);
    const bool sound = checkXmlBeforeParse(utf8, partName, displayPath);
    const auto result =
        doc.load_buffer(utf8.data(), utf8.size(), kParseOptions, pugi::encoding_utf8);
    if (!result)
        throwFileError("Il documento è danneggiato (XML non valido in " + partName + ": "
                           + result.description() + ")",
                       displayPath);
    if (!sound)
        checkXmlTree(doc, partName, displayPath);
}

bool equalsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
           && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

bool isXmlPart(std::string_view name, std::string_view contentType)
{
    const std::string lower = lowerAscii(name);
    return contentType.ends_with("+xml") || contentType.ends_with("/xml") || lower.ends_with(".xml")
           || lower.ends_with(".rels");
}

namespace {

// Straight into the string: no stream buffer, and no copy of the text at the end.
struct StringWriter final : pugi::xml_writer {
    explicit StringWriter(std::string& out) : out(out) {}
    void write(const void* data, std::size_t size) override
    {
        out.append(static_cast<const char*>(data), size);
    }
    std::string& out;
};

} // namespace

std::string saveXml(const pugi::xml_document& doc, std::size_t sizeHint)
{
    std::string out;
    out.reserve(sizeHint);
    StringWriter writer(out);
    doc.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return out;
}

pugi::xml_node nextInOrder(pugi::xml_node node, pugi::xml_node root)
{
    if (auto child = node.first_child())
        return child;
    return nextSkippingChildren(node, root);
}

pugi::xml_node nextSkippingChildren(pugi::xml_node node, pugi::xml_node root)
{
    while (node && node != root) {
        if (auto sib = node.next_sibling())
            return sib;
        node = node.parent();
    }
    return {};
}

std::string_view childVal(pugi::xml_node node, const char* childName)
{
    return node.child(childName).attribute("w:val").value();
}

bool onOff(pugi::xml_node element, bool whenMissing)
{
    if (!element)
        return whenMissing;
    const auto attr = element.attribute("w:val");
    if (!attr)
        return true;
    const std::string_view v = attr.value();
    return !(v == "0" || v == "false" || v == "off");
}

pugi::xml_node insertInSchemaOrder(pugi::xml_node parent, const char* name,
                                   std::span<const std::string_view> predecessors)
{
    pugi::xml_node after;
    for (auto child : parent.children()) {
        if (child.type() != pugi::node_element)
            continue;
        const std::string_view n = child.name();
        for (auto p : predecessors)
            if (n == p) {
                after = child;
                break;
            }
    }
    return after ? parent.insert_child_after(name, after) : parent.prepend_child(name);
}

std::string lowerAscii(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = lowerAscii(c);
    return out;
}

} // namespace wordauto::detail
