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

ListKinds::ListKinds(const std::vector<IndexRow>& index)
{
    kinds_.reserve(index.size());
    for (const auto& row : index)
        kinds_.try_emplace(row.number, row.kind);
}

const std::string* ListKinds::find(const std::string& number) const
{
    const auto it = kinds_.find(number);
    return it == kinds_.end() ? nullptr : &it->second;
}

bool inDossier(const ProgramState& state, const std::string& number)
{
    return std::find(state.aDossierLists.begin(), state.aDossierLists.end(), number)
        != state.aDossierLists.end();
}

bool isResultRow(const ProgramState& state, const std::string& cleanedNumber)
{
    return !cleanedNumber.empty() && findListRow(state, cleanedNumber) && inDossier(state, cleanedNumber);
}

} // namespace engine
