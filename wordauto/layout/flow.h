#pragma once

// The inside of the layout: a story measured into slices (a line of a paragraph, a row of a
// nested table) that the paginator places on pages.

#include "wordauto/layout/page.h"
#include "wordauto/layout/styles.h"

#include <pugixml.hpp>

#include <QImage>

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

namespace wordauto::detail {
class DocumentModel;
}

namespace wordauto::layout {

// Nested tables deeper than this are laid out as their paragraphs, one after another.
inline constexpr int kMaxTableDepth = 8;

// What PAGE, NUMPAGES and SECTIONPAGES show; unset in the body, whose fields keep their
// results.
struct FieldValues {
    int page = 0;
    int numPages = 0;
    int sectionPages = 0;
};

// A piece of a story that is placed whole: its height and its items, from its top left.
struct Slice {
    qreal height = 0;
    qreal spaceAfter = 0; // the part of the height below the text: it may run past the page end
    Items items;
    bool keepWithNext = false; // must share its page with the slice that follows
    bool forceBreak = false;   // a page break character stands before it
    bool breakBefore = false;  // starts a page unless the page is still empty
    bool forceBreakAfter = false; // a page break character ends it
};

// What every part of the layout of one document shares.
class LayoutContext {
public:
    LayoutContext(detail::DocumentModel& doc, DocumentLayout& out);

    const StyleSheet& styles() const { return styles_; }
    detail::DocumentModel& document() { return doc_; }
    int fontIndex(const QFont& font);
    // Word's single line height for a font: the font's own ascender, descender and line gap
    // (its hhea table), never less than Qt's ascent and descent; and the font's descent.
    struct LineMetrics {
        qreal height = 0;
        qreal descent = 0;
    };
    LineMetrics lineMetrics(const QFont& font);
    // The font of runs with these properties, its index and line metrics; made once.
    struct RunFont {
        QFont font;
        int index = 0;
        LineMetrics metrics;
    };
    const RunFont& runFont(const RunProps& props);
    // The picture a relationship of the current story points to, or -1.
    int imageIndex(const std::string& relationshipId);
    QPaintDevice* device() { return &device_; }
    double defaultTabStop() const { return defaultTab_; }
    // The position among the main story's form fields of the field that begins at this
    // w:fldChar, or -1.
    int formFieldAt(pugi::xml_node begin) const;

    // The part whose relationships resolve pictures: the main story or a header or footer.
    std::string storyPart;
    const FieldValues* fieldValues = nullptr;
    bool fieldValuesUsed = false; // a page number field showed one of fieldValues
    int tableDepth = 0;

private:
    detail::DocumentModel& doc_;
    DocumentLayout& out_;
    StyleSheet styles_;
    QImage device_;
    double defaultTab_ = 36;
    std::map<QString, int> fonts_;
    std::map<QString, LineMetrics> lineMetrics_;
    std::map<std::tuple<std::string, double, int>, RunFont> runFonts_;
    std::map<std::string, int> images_;
    std::unordered_map<pugi::xml_node_struct*, int> formFields_;
};

// Calls fn for each paragraph and table of a story container in order, looking through
// content controls and other wrappers; everything else is skipped.
template <typename Fn>
void forEachBlock(pugi::xml_node container, Fn&& fn);

// Lines of one paragraph, `width` wide.
void measureParagraph(LayoutContext& ctx, pugi::xml_node p, qreal width,
                      const std::string& tableStyle, std::vector<Slice>& out);
// Paragraphs and tables of a container (a cell, a header) as slices, a table row a slice.
void measureBlocks(LayoutContext& ctx, pugi::xml_node container, qreal width,
                   const std::string& tableStyle, std::vector<Slice>& out);

bool isElement(pugi::xml_node n, const char* name);

template <typename Fn>
void forEachBlock(pugi::xml_node container, Fn&& fn)
{
    pugi::xml_node n = container.first_child();
    while (n) {
        bool enter = false;
        if (isElement(n, "w:p") || isElement(n, "w:tbl"))
            fn(n);
        else
            enter = isElement(n, "w:sdt") || isElement(n, "w:sdtContent")
                    || isElement(n, "w:customXml") || isElement(n, "w:ins")
                    || isElement(n, "w:smartTag");
        pugi::xml_node next = enter ? n.first_child() : pugi::xml_node();
        if (!next) {
            // The next sibling, or the next one of the nearest wrapper we are inside.
            while (n && n != container && !n.next_sibling())
                n = n.parent();
            next = n && n != container ? n.next_sibling() : pugi::xml_node();
        }
        n = next;
    }
}

} // namespace wordauto::layout
