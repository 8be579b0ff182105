#include "engine/index_lookups.h"

#include <algorithm>

namespace engine {

const IndexRow* findSectionRow(const ProgramState& state, const std::string& number)
{
    for (const auto& row : state.aSectionIndex)
        if (row.number == number)
            return &row;
    return nullptr;
}

std::optional<std::size_t> dossierPosition(const ProgramState& state, const std::string& number)
{
    const auto& lists = state.aDossierLists;
    const auto it = std::find(lists.begin(), lists.end(), number);
    if (it == lists.end())
        return std::nullopt;
    return static_cast<std::size_t>(it - lists.begin());
}

} // namespace engine
