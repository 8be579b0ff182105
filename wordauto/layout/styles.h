#pragma once

// Paragraph, run and table properties as WordprocessingML states them, and the style sheet
// that resolves them: document defaults, then the table style, the paragraph style and the
// character style (each with its w:basedOn chain), then the element's own properties.

#include <pugixml.hpp>

#include <QRgb>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace wordauto::layout {

// Lengths are in points throughout the layout.
inline constexpr double kTwip = 1.0 / 20.0;

struct RunProps {
    std::optional<std::string> font;
    std::optional<double> size;
    std::optional<bool> bold, italic, underline, strike, caps, smallCaps, hidden;
    std::optional<QRgb> color;

    void apply(pugi::xml_node rPr);
};

enum class Align { Left, Center, Right, Justify };
enum class LineRule { Auto, Exact, AtLeast };

struct TabStop {
    double position = 0;
    enum Kind { Left, Center, Right, Decimal } kind = Left;
};

struct ParaProps {
    std::optional<Align> align;
    std::optional<double> indentLeft, indentRight, firstLine; // firstLine < 0: hanging
    std::optional<double> spaceBefore, spaceAfter;
    std::optional<double> line;       // points (Exact, AtLeast) or a multiple (Auto)
    std::optional<LineRule> lineRule;
    std::optional<bool> keepNext, keepLines, pageBreakBefore, widowControl;
    std::optional<QRgb> shading;
    std::vector<TabStop> tabs;

    void apply(pugi::xml_node pPr);
};

struct Border {
    double width = 0; // 0: no line
    QRgb color = 0xff000000;
};

enum class Side { Top, Left, Bottom, Right, InsideH, InsideV };

struct TableProps {
    std::optional<double> margin[4]; // top, left, bottom, right
    std::optional<Border> border[6]; // indexed by Side
    std::optional<double> indent;
    std::optional<Align> align;
    std::optional<QRgb> shading;

    void apply(pugi::xml_node tblPr);
};

// Reads one w:xxxBorders element's sides into `out` (cells and tables share the form).
void readBorders(pugi::xml_node borders, std::optional<Border> (&out)[6]);
// Reads w:tblCellMar / w:tcMar.
void readMargins(pugi::xml_node margins, std::optional<double> (&out)[4]);
// A w:shd's fill, when it paints anything.
std::optional<QRgb> shadingFill(pugi::xml_node shd);
// A length attribute in twentieths of a point, clamped to what a page can hold.
double twips(pugi::xml_attribute a, double fallback = 0);

class StyleSheet {
public:
    // `styles` is the w:styles element (empty for a package without styles).
    explicit StyleSheet(pugi::xml_node styles);

    // Properties of a paragraph of the given style (empty: the default paragraph style),
    // inside a table of the given table style (empty: not in a table).
    ParaProps paragraph(const std::string& pStyle, const std::string& tableStyle) const;
    // The run properties a paragraph gives its runs; rStyle adds a character style.
    RunProps run(const std::string& pStyle, const std::string& tableStyle,
                 const std::string& rStyle) const;
    // A table style's table properties on top of the default table style's.
    TableProps table(const std::string& tableStyle) const;
    // The table style a table without w:tblStyle takes.
    const std::string& defaultTableStyle() const { return defaultTable_; }

private:
    // The style and its bases, the root first; bounded, so a cycle or a long chain ends.
    std::vector<pugi::xml_node> chain(const std::string& id, const char* type) const;

    std::map<std::string, pugi::xml_node> byId_;
    pugi::xml_node pPrDefault_, rPrDefault_;
    std::string defaultParagraph_, defaultTable_;
    mutable std::map<std::string, ParaProps> paraCache_;
    mutable std::map<std::string, RunProps> runCache_;
};

} // namespace wordauto::layout
