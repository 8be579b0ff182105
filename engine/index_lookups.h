#pragma once

#include "engine/program_state.h"

#include <cstddef>
#include <optional>
#include <string>

namespace engine {

// Lookups by number that mean the first element exactly equal (whole string, case-sensitive);
// findListRow and inDossier (result_documents.h) are the other two of the family.

// The first section row of that number, or nullptr.
const IndexRow* findSectionRow(const ProgramState& state, const std::string& number);
// Where the number first stands in aDossierLists.
std::optional<std::size_t> dossierPosition(const ProgramState& state, const std::string& number);

} // namespace engine
