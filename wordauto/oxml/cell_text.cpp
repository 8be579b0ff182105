#include "wordauto/oxml/cell_text.h"

#include "wordauto/oxml/xml_text.h"
#include "wordauto/oxml/xml_util.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string_view>

namespace wordauto::detail {

namespace {

bool is(pugi::xml_node n, const char* name) { return std::strcmp(n.name(), name) == 0; }

// Calls visit with each child of parent named name, looking through content controls and
// custom XML, until visit returns false; false when it stopped early.
template <typename Visit>
bool visitNamed(pugi::xml_node parent, const char* name, Visit& visit)
{
    for (auto c = parent.first_child(); c; c = c.next_sibling()) {
        if (is(c, name)) {
            if (!visit(c))
                return false;
        } else if (is(c, "w:sdt")) {
            if (!visitNamed(c.child("w:sdtContent"), name, visit))
                return false;
        } else if (is(c, "w:customXml")) {
            if (!visitNamed(c, name, visit))
                return false;
        }
    }
    return true;
}

// Drawings, text boxes and embedded objects carry stories of their own.
bool isForeignStory(pugi::xml_node n)
{
    return is(n, "w:drawing") || is(n, "w:pict") || is(n, "w:object") || is(n, "mc:AlternateContent");
}

void appendBlocks(pugi::xml_node container, std::string& out);

void appendTable(pugi::xml_node table, std::string& out)
{
    auto cell = [&](pugi::xml_node c) {
        out += cellText(c);
        return true;
    };
    auto row = [&](pugi::xml_node r) {
        visitNamed(r, "w:tc", cell);
        out += "\r\x07";
        return true;
    };
    visitNamed(table, "w:tr", row);
}

void appendBlocks(pugi::xml_node container, std::string& out)
{
    for (auto b : container.children()) {
        if (is(b, "w:p")) {
            out += paragraphText(b);
            out += '\r';
        } else if (is(b, "w:tbl")) {
            appendTable(b, out);
        } else if (is(b, "w:sdt")) {
            appendBlocks(b.child("w:sdtContent"), out);
        } else if (is(b, "w:customXml")) {
            appendBlocks(b, out);
        }
    }
}

constexpr auto isTabOrBreak = [](char c) { return c == '\t' || c == '\v' || c == '\f'; };
// Other control characters have no place in document text.
constexpr auto isLeftOut = [](char c) {
    return static_cast<unsigned char>(c) < 0x20 && !isTabOrBreak(c);
};

void appendText(pugi::xml_node run, std::string_view text)
{
    if (text.empty())
        return;
    auto t = run.append_child("w:t");
    if (text.front() == ' ' || text.back() == ' ' || text.find("  ") != std::string_view::npos)
        t.append_attribute("xml:space") = "preserve";
    const std::string safe = xmlSafeText(text);
    t.text().set(safe.data(), safe.size());
}

// One run of text; tabs and breaks become their elements.
void appendRun(pugi::xml_node paragraph, pugi::xml_node runProps, std::string_view text)
{
    if (text.empty())
        return;
    auto run = paragraph.append_child("w:r");
    if (runProps)
        run.append_copy(runProps);
    std::string kept;
    if (std::any_of(text.begin(), text.end(), isLeftOut)) {
        std::copy_if(text.begin(), text.end(), std::back_inserter(kept),
                     [](char c) { return !isLeftOut(c); });
        text = kept;
    }
    for (;;) {
        const auto end =
            static_cast<std::size_t>(std::find_if(text.begin(), text.end(), isTabOrBreak) - text.begin());
        appendText(run, text.substr(0, end));
        if (end == text.size())
            break;
        if (text[end] == '\t')
            run.append_child("w:tab");
        else if (text[end] == '\v')
            run.append_child("w:br");
        else
            run.append_child("w:br").append_attribute("w:type") = "page";
        text.remove_prefix(end + 1);
    }
}

// The rPr of the first run of a paragraph, or an empty node.
pugi::xml_node firstRunProps(pugi::xml_node paragraph)
{
    for (auto n = paragraph.first_child(); n; n = nextInOrder(n, paragraph))
        if (is(n, "w:r"))
            return n.child("w:rPr");
    return {};
}

// The paragraph of a cell that holds nothing but cell properties and one paragraph with at
// most its properties: what clearing leaves, and what clearing again would make anew.
pugi::xml_node clearedParagraph(pugi::xml_node cell)
{
    const auto p = cell.last_child();
    if (p.type() != pugi::node_element || !is(p, "w:p") || p.first_attribute())
        return {};
    if (const auto props = p.first_child();
        props && (props.type() != pugi::node_element || !is(props, "w:pPr") || props.next_sibling()))
        return {};
    for (auto c = cell.first_child(); c != p; c = c.next_sibling())
        if (!is(c, "w:tcPr"))
            return {};
    return p;
}

// Removes what comes before `keep` in the cell, except the cell's properties.
void removeContentBefore(pugi::xml_node cell, pugi::xml_node keep)
{
    for (auto c = cell.first_child(); c != keep;) {
        const auto next = c.next_sibling();
        if (!is(c, "w:tcPr"))
            cell.remove_child(c);
        c = next;
    }
}

void clearCell(pugi::xml_node cell)
{
    if (clearedParagraph(cell))
        return;
    const auto paraProps = cell.child("w:p").child("w:pPr");
    auto p = cell.append_child("w:p");
    if (paraProps)
        p.append_copy(paraProps);
    removeContentBefore(cell, p);
}

} // namespace

pugi::xml_node cellAt(pugi::xml_node row, int column)
{
    pugi::xml_node found;
    auto count = [&](pugi::xml_node c) {
        if (--column == 0)
            found = c;
        return column > 0;
    };
    if (column > 0)
        visitNamed(row, "w:tc", count);
    return found;
}

int cellCount(pugi::xml_node row)
{
    int n = 0;
    auto count = [&](pugi::xml_node) {
        ++n;
        return true;
    };
    visitNamed(row, "w:tc", count);
    return n;
}

std::string paragraphText(pugi::xml_node paragraph)
{
    std::string out;
    for (auto n = paragraph.first_child(); n;) {
        if (isForeignStory(n)) {
            n = nextSkippingChildren(n, paragraph);
            continue;
        }
        const char* name = n.name();
        if (std::strcmp(name, "w:t") == 0)
            out += n.text().get();
        else if (std::strcmp(name, "w:tab") == 0 && is(n.parent(), "w:r"))
            out += '\t';
        else if (std::strcmp(name, "w:br") == 0)
            out += std::strcmp(n.attribute("w:type").value(), "page") == 0 ? '\f' : '\v';
        else if (std::strcmp(name, "w:cr") == 0)
            out += '\v';
        else if (std::strcmp(name, "w:noBreakHyphen") == 0)
            out += '\x1e';
        else if (std::strcmp(name, "w:softHyphen") == 0)
            out += '\x1f';
        n = nextInOrder(n, paragraph);
    }
    return out;
}

std::string cellText(pugi::xml_node cell)
{
    std::string out;
    appendBlocks(cell, out);
    if (out.empty() || out.back() != '\r')
        out += '\r';
    out += '\x07';
    return out;
}

void setCellText(pugi::xml_node cell, const std::string& text)
{
    std::string_view value = text;
    if (!value.empty() && value.back() == '\x07') {
        value.remove_suffix(1);
        if (!value.empty() && value.back() == '\r')
            value.remove_suffix(1);
    }
    // A cleared cell's paragraph is already what the first new one would be. Otherwise the new
    // paragraphs go after the old content, which leaves once they have copied its properties.
    const auto cleared = clearedParagraph(cell);
    const auto first = cleared ? cleared : cell.child("w:p");
    const auto paraProps = first.child("w:pPr");
    const auto runProps = cleared ? pugi::xml_node() : firstRunProps(first);
    pugi::xml_node firstNew;
    for (auto p = cleared;; p = pugi::xml_node()) {
        if (!p) {
            p = cell.append_child("w:p");
            if (paraProps)
                p.append_copy(paraProps);
            if (!firstNew)
                firstNew = p;
        }
        std::size_t end = 0;
        while (end < value.size() && value[end] != '\r' && value[end] != '\n')
            ++end;
        appendRun(p, runProps, value.substr(0, end));
        if (end == value.size())
            break;
        const bool crlf = value[end] == '\r' && end + 1 < value.size() && value[end + 1] == '\n';
        value.remove_prefix(end + (crlf ? 2 : 1));
    }
    if (!cleared)
        removeContentBefore(cell, firstNew);
}

void clearCells(pugi::xml_node row)
{
    auto clear = [](pugi::xml_node cell) {
        clearCell(cell);
        return true;
    };
    visitNamed(row, "w:tc", clear);
}

} // namespace wordauto::detail
