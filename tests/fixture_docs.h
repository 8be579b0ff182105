#pragma once

// Small real documents the engine and window tests share: an index, a result table, a list
// with its notes.
#include "data/docbuilder/docbuilder.h"

#include <string>
#include <vector>

namespace testsupport {

using Cells = std::vector<std::string>;

// A document whose first table holds the rows given, one paragraph per cell.
inline void writeTableDocument(const std::string& path, const std::vector<Cells>& rows,
                               const std::string& title = "Tabella")
{
    namespace db = docbuilder;
    std::vector<db::Row> table;
    for (const auto& r : rows) {
        db::Row row;
        for (const auto& c : r)
            row.cells.push_back(db::Cell(db::Paragraph(c)));
        table.push_back(row);
    }
    db::Document d;
    d.body = {db::Paragraph(title), db::table(table)};
    db::write(d, path);
}

// The list index: a header row, then the rows given.
inline void writeIndex(const std::string& path, std::vector<Cells> rows)
{
    rows.insert(rows.begin(), Cells{"Numero", "Titolo", "Tipo", "Obbl.", "Simbolo", "Simbolo Padre"});
    writeTableDocument(path, rows, "Indice liste");
}

// A list document with only its notes field.
inline void writeNotesList(const std::string& path, const std::string& notes)
{
    namespace db = docbuilder;
    db::Document d;
    d.body = {db::Paragraph("Lista"), db::para({"Note: ", db::TextField{"note1", notes}})};
    db::write(d, path);
}

} // namespace testsupport
