#pragma once

#include "wordauto/doc/doc_tables.h"

#include <string>
#include <vector>

namespace engine {

// Fills a result table: with `headerRows` header rows, the first row after them is the
// template row; every added row is inserted above it, one at a time, and takes its look. With
// no rows the template row stays as the template has it.
void fillResultTable(wordauto::DOC_Table table, int headerRows,
                     const std::vector<std::vector<std::string>>& rows);

} // namespace engine
