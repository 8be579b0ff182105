#pragma once

// Writes Word documents (WordprocessingML packages) with legacy form fields from a compact
// description, for the tests and for the sample data. The package is a .docx whatever the
// extension of the path; Word and LibreOffice open it as such.
//
//   docbuilder::Document doc;
//   doc.protectForms = true;
//   doc.pageNumberFooter = true;
//   doc.body = {
//       "Lista di controllo 1.01",
//       table({row({bold("N."), bold("Voce"), bold("Esito")}),
//              row({"1.01.01", TextField{"f001", "Rossi"}, CheckBox{"t1c001", true}}),
//              row({span(2, "Note"), cell({"prima riga", para({"Esito: ", DropDown{"d1", {"Sì", "No"}}})})})}),
//   };
//   docbuilder::write(doc, "/tmp/lista.doc");
//
// Descriptions that Word could not represent (text with control characters or invalid UTF-8,
// a drop-down selection outside its entries, column widths not matching the columns) make
// toBytes and write throw std::invalid_argument.

#include <concepts>
#include <type_traits>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace docbuilder {

// A plain text run. '\n' becomes a line break, '\t' a tab and '\f' a page break, as Word
// writes them.
struct Run {
    std::string text;
    bool bold = false;

    Run(const char* t, bool b = false) : text(t), bold(b) {}
    Run(std::string t, bool b = false) : text(std::move(t)), bold(b) {}
};

inline Run bold(std::string text) { return Run(std::move(text), true); }

// Legacy form fields. The field is bookmarked with its name (unless the name is empty).
struct TextField {
    std::string name{};
    std::string value{};        // empty: the five en spaces Word shows for an empty field
    std::string statusText{};
    std::string helpText{};
    std::string defaultText{};  // w:textInput/w:default, when not empty
    int maxLength = 0;          // w:textInput/w:maxLength, when above 0
};

struct CheckBox {
    std::string name{};
    bool checked = false;
    std::string statusText{};
    std::string helpText{};
};

struct DropDown {
    std::string name{};
    std::vector<std::string> entries{};
    int selected = 0;             // index into entries
    std::string statusText{};
    std::string helpText{};
};

using Inline = std::variant<Run, TextField, CheckBox, DropDown>;

struct Paragraph {
    std::vector<Inline> content;
    bool keepWithNext = false;   // on the same page as the paragraph that follows
    bool pageBreakBefore = false;

    Paragraph() = default;
    // Any single run or field is a paragraph of its own: "text", TextField{...}, ...
    template <typename T>
        requires std::constructible_from<Inline, T>
    Paragraph(T&& item) : content{Inline(std::forward<T>(item))} {}
};

// Several runs and fields in one paragraph: para({"Esito: ", CheckBox{"c1"}, " conforme"}).
Paragraph para(std::vector<Inline> content);
// A paragraph kept on the page of the next one (a heading), or starting a page.
Paragraph keepWithNext(Paragraph p);
Paragraph pageBreakBefore(Paragraph p);

struct Table;
using Block = std::variant<Paragraph, Table>;

// A cell holds paragraphs and nested tables in order. As in Word, an empty paragraph is
// written between two tables that would touch, after a trailing table and in an empty cell.
struct Cell {
    enum class Merge { None, First, Continued }; // w:vMerge restart / continue
    std::vector<Block> blocks;
    int span = 1;               // grid columns the cell covers (w:gridSpan)
    Merge merge = Merge::None;

    Cell() = default;
    // Any paragraph, run, field or table is a cell of its own. Defined once Table is
    // complete: clang wants the whole variant where the constructor stands.
    template <typename T>
        requires(std::constructible_from<Paragraph, T> || std::same_as<std::remove_cvref_t<T>, Table>)
    Cell(T&& block);
};

struct Row {
    std::vector<Cell> cells{};
    bool header = false;        // repeated at the top of every page (w:tblHeader)
    bool cantSplit = false;     // never broken across pages (w:cantSplit)
};

struct Table {
    std::vector<Row> rows{};
    // Width of each grid column in twentieths of a point; empty: the available width shared
    // evenly. The grid has as many columns as the widest row (spans counted).
    std::vector<int> columnWidths{};
};

template <typename T>
    requires(std::constructible_from<Paragraph, T> || std::same_as<std::remove_cvref_t<T>, Table>)
Cell::Cell(T&& block) : blocks{Block(std::forward<T>(block))}
{
}

// cell({"first paragraph", para({"second ", TextField{"f1"}}), table({...})})
Cell cell(std::vector<Block> blocks);
// A cell covering several grid columns: row({span(3, "1.01 Scavi")}).
Cell span(int columns, Cell c);
// A cell merged with the cells below it that are mergedAbove(): row({mergeFirst("Scavi"), "a"}),
// row({mergedAbove(), "b"}).
Cell mergeFirst(Cell c);
Cell mergedAbove();
// row({"1.01.01", TextField{"f001", "Rossi"}, CheckBox{"t1c001", true}})
Row row(std::vector<Cell> cells);
Row headerRow(std::vector<Cell> cells);
Row unsplittableRow(std::vector<Cell> cells);
Table table(std::vector<Row> rows, std::vector<int> columnWidths = {});

struct Document {
    // Paragraphs and tables of the body, completed with empty paragraphs as a cell is.
    std::vector<Block> body{};
    // Editing restricted to filling in the form fields.
    bool protectForms = false;
    // A footer "Pagina <PAGE field>" on every page.
    bool pageNumberFooter = false;
    // First page number of the section (w:pgNumType w:start).
    std::optional<int> pageNumberStart{};
    // A4 turned on its side.
    bool landscape = false;
    // Written as a document template (the main part of a .dot).
    bool isTemplate = false;
    // Core properties, left out when empty.
    std::string title{};
    std::string author{};
};

// The package as zip bytes.
std::string toBytes(const Document& doc);
// Writes the package to path, atomically; throws wordauto::WordError when it cannot.
void write(const Document& doc, const std::string& path);

} // namespace docbuilder
