#include "engine/result_writer.h"

namespace engine {

void fillResultTable(wordauto::DOC_Table table, int headerRows,
                     const std::vector<std::vector<std::string>>& rows)
{
    const int n = static_cast<int>(rows.size());
    for (int k = 1; k < n; ++k)
        table.Rows().Add(table.Rows().Item(headerRows + 1));
    for (int k = 1; k <= n; ++k) {
        const auto& row = rows[static_cast<std::size_t>(k - 1)];
        for (std::size_t c = 0; c < row.size(); ++c)
            table.Cell(headerRows + k, static_cast<int>(c) + 1).Range().Text_(row[c]);
    }
}

} // namespace engine
