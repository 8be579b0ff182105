#include "wordauto/cell_text.h"

#include "wordauto/xml_util.h"

#include <cstring>

namespace wordauto::detail {

namespace {

bool is(pugi::xml_node n, const char* name) { return std::strcmp(n.name(), name) == 0; }

void collect(pugi::xml_node parent, const char* name, std::vector<pugi::xml_node>& out)
{
    for (auto c : parent.children()) {
        if (is(c, name))
            out.push_back(c);
        else if (is(c, "w:sdt"))
            collect(c.child("w:sdtContent"), name, out);
        else if (is(c, "w:customXml"))
            collect(c, name, out);
    }
}

// Drawings, text boxes and embedded objects carry stories of their own.
bool isForeignStory(pugi::xml_node n)
{
    return is(n, "w:drawing") || is(n, "w:pict") || is(n, "w:object") || is(n, "mc:AlternateContent");
}

void appendBlocks(pugi::xml_node container, std::string& out);

void appendTable(pugi::xml_node table, std::string& out)
{
    std::vector<pugi::xml_node> rows;
    collect(table, "w:tr", rows);
    for (auto r : rows) {
        for (auto c : cellsOf(r))
            out += cellText(c);
        out += "\r\x07";
    }
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

void appendRuns(pugi::xml_node paragraph, pugi::xml_node before, pugi::xml_node runProps,
                const std::string& text)
{
    auto newRun = [&]() {
        auto r = before ? paragraph.insert_child_before("w:r", before) : paragraph.append_child("w:r");
        if (runProps)
            r.append_copy(runProps);
        return r;
    };
    if (text.empty())
        return;
    auto run = newRun();
    std::string chunk;
    auto flush = [&]() {
        if (chunk.empty())
            return;
        auto t = run.append_child("w:t");
        if (chunk.front() == ' ' || chunk.back() == ' ' || chunk.find("  ") != std::string::npos)
            t.append_attribute("xml:space") = "preserve";
        t.text().set(chunk.c_str());
        chunk.clear();
    };
    for (char c : text) {
        if (c == '\t') {
            flush();
            run.append_child("w:tab");
        } else if (c == '\v') {
            flush();
            run.append_child("w:br");
        } else if (c == '\f') {
            flush();
            run.append_child("w:br").append_attribute("w:type") = "page";
        } else if (static_cast<unsigned char>(c) < 0x20) {
            // Other control characters have no place in document text.
        } else {
            chunk += c;
        }
    }
    flush();
}

} // namespace

std::vector<pugi::xml_node> cellsOf(pugi::xml_node row)
{
    std::vector<pugi::xml_node> cells;
    collect(row, "w:tc", cells);
    return cells;
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
    std::string value = text;
    if (!value.empty() && value.back() == '\x07') {
        value.pop_back();
        if (!value.empty() && value.back() == '\r')
            value.pop_back();
    }
    pugi::xml_document saved;
    pugi::xml_node paraProps;
    pugi::xml_node runProps;
    if (auto p = cell.child("w:p")) {
        if (auto pp = p.child("w:pPr"))
            paraProps = saved.append_copy(pp);
        for (auto n = p.first_child(); n; n = nextInOrder(n, p))
            if (is(n, "w:r")) {
                if (auto rp = n.child("w:rPr"))
                    runProps = saved.append_copy(rp);
                break;
            }
    }
    for (auto c = cell.first_child(); c;) {
        auto next = c.next_sibling();
        if (!is(c, "w:tcPr"))
            cell.remove_child(c);
        c = next;
    }
    std::size_t start = 0;
    do {
        std::size_t end = value.find_first_of("\r\n", start);
        const std::string part =
            value.substr(start, end == std::string::npos ? std::string::npos : end - start);
        auto p = cell.append_child("w:p");
        if (paraProps)
            p.append_copy(paraProps);
        appendRuns(p, pugi::xml_node(), runProps, part);
        if (end == std::string::npos)
            break;
        if (value[end] == '\r' && end + 1 < value.size() && value[end + 1] == '\n')
            ++end;
        start = end + 1;
    } while (true);
}

void clearCell(pugi::xml_node cell)
{
    pugi::xml_document saved;
    pugi::xml_node paraProps;
    if (auto pp = cell.child("w:p").child("w:pPr"))
        paraProps = saved.append_copy(pp);
    for (auto c = cell.first_child(); c;) {
        auto next = c.next_sibling();
        if (!is(c, "w:tcPr"))
            cell.remove_child(c);
        c = next;
    }
    auto p = cell.append_child("w:p");
    if (paraProps)
        p.append_copy(paraProps);
}

} // namespace wordauto::detail
