#include "engine/result_documents.h"

#include <algorithm>

namespace engine {

const IndexRow* findListRow(const ProgramState& state, const std::string& number)
{
    for (const auto& row : state.aListIndex)
        if (row.number == number)
            return &row;
    return nullptr;
}

bool inDossier(const ProgramState& state, const std::string& number)
{
    return std::find(state.aDossierLists.begin(), state.aDossierLists.end(), number)
        != state.aDossierLists.end();
}

} // namespace engine
