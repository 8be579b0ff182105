#include "wordauto/doc/doc_tables.h"

#include "wordauto/oxml/cell_text.h"
#include "wordauto/oxml/document_model.h"
#include "wordauto/word_error.h"

#include <optional>

namespace wordauto {

namespace {

pugi::xml_node resolve(const DocRef& ref, pugi::xml_node_struct* node, unsigned gen)
{
    auto& d = ref.live();
    if (d.removalGeneration() != gen)
        throw WordError("L'elemento della tabella non esiste più nel documento " + d.name());
    return pugi::xml_node(node);
}

[[noreturn]] void outOfRange(const detail::DocumentModel& d, const std::string& what, int index,
                             std::size_t count)
{
    throwFileError("Il membro richiesto della raccolta non esiste (" + what + " "
                       + std::to_string(index) + " di " + std::to_string(count) + ")",
                   d.path().empty() ? d.name() : d.path());
}

// Rows are added next to the first or the last ones: the row is looked for from both ends.
std::optional<std::size_t> rowIndex(const detail::RowList& rows, pugi::xml_node row)
{
    for (std::size_t front = 0, back = rows.size(); front < back; ++front) {
        if (rows[front] == row)
            return front;
        if (rows[--back] == row)
            return back;
    }
    return std::nullopt;
}

pugi::xml_node cellIn(const detail::DocumentModel& d, pugi::xml_node row, int column)
{
    const auto cell = detail::cellAt(row, column);
    if (!cell)
        outOfRange(d, "cella", column, static_cast<std::size_t>(detail::cellCount(row)));
    return cell;
}

} // namespace

std::string DOC_Range::Text_() const { return detail::cellText(resolve(ref_, cell_, gen_)); }

void DOC_Range::Text_(const std::string& text)
{
    auto cell = resolve(ref_, cell_, gen_);
    detail::setCellText(cell, text);
    ref_.doc->touchFields();
}

DOC_Cell DOC_Row::Cells(int column) const
{
    const auto cell = cellIn(*ref_.doc, resolve(ref_, row_, gen_), column);
    return DOC_Cell(ref_, cell.internal_object(), gen_);
}

int DOC_Row::CellCount() const { return detail::cellCount(resolve(ref_, row_, gen_)); }

int DOC_Rows::Count() const
{
    auto table = resolve(ref_, table_, gen_);
    return static_cast<int>(ref_.doc->rowsOf(table).size());
}

DOC_Row DOC_Rows::Item(int index) const
{
    auto table = resolve(ref_, table_, gen_);
    const auto& rows = ref_.doc->rowsOf(table);
    if (index < 1 || index > static_cast<int>(rows.size()))
        outOfRange(*ref_.doc, "riga", index, rows.size());
    return DOC_Row(ref_, rows[static_cast<std::size_t>(index - 1)].internal_object(), gen_);
}

DOC_Row DOC_Rows::Add(const DOC_Row& before)
{
    auto table = resolve(ref_, table_, gen_);
    auto model = resolve(before.ref_, before.row_, before.gen_);
    if (before.ref_.doc != ref_.doc)
        throw WordError("La riga indicata non appartiene a questa tabella");
    const auto index = rowIndex(ref_.doc->rowsOf(table), model);
    if (!index)
        throw WordError("La riga indicata non appartiene a questa tabella");
    auto row = model.parent().insert_copy_before(model, model);
    detail::clearCells(row);
    ref_.doc->rowInserted(table, *index, row);
    return DOC_Row(ref_, row.internal_object(), gen_);
}

DOC_Row DOC_Rows::Add()
{
    auto table = resolve(ref_, table_, gen_);
    const auto& rows = ref_.doc->rowsOf(table);
    if (rows.empty())
        throw WordError("La tabella non ha righe da cui copiare il formato");
    auto last = rows.back();
    const auto index = rows.size();
    auto row = last.parent().insert_copy_after(last, last);
    detail::clearCells(row);
    ref_.doc->rowInserted(table, index, row);
    return DOC_Row(ref_, row.internal_object(), gen_);
}

DOC_Cell DOC_Table::Cell(int row, int column) const
{
    auto table = resolve(ref_, table_, gen_);
    const auto& rows = ref_.doc->rowsOf(table);
    if (row < 1 || row > static_cast<int>(rows.size()))
        outOfRange(*ref_.doc, "riga", row, rows.size());
    const auto cell = cellIn(*ref_.doc, rows[static_cast<std::size_t>(row - 1)], column);
    return DOC_Cell(ref_, cell.internal_object(), gen_);
}

int DOC_Tables::Count() const
{
    return static_cast<int>(ref_.live().topLevelTables().size());
}

DOC_Table DOC_Tables::Item(int index) const
{
    auto& d = ref_.live();
    const auto& tables = d.topLevelTables();
    if (index < 1 || index > static_cast<int>(tables.size()))
        outOfRange(d, "tabella", index, tables.size());
    return DOC_Table(ref_, tables[static_cast<std::size_t>(index - 1)].internal_object(),
                     d.removalGeneration());
}

} // namespace wordauto
