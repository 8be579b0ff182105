#pragma once

#include "engine/program_state.h"

#include <string>

namespace engine {

inline constexpr const char* kStatusDocument = "_Stato_Liste.doc";
inline constexpr const char* kReportDocument = "_Rapporto_Fascicolo.doc";

// A row of a result document is read only when its first cell, cleaned, names a list that the
// index and the dossier both hold; every other row (headers, blank template rows, lists
// removed since) is skipped without a word.
bool isResultRow(const ProgramState& state, const std::string& cleanedNumber);

// The first index row of that number, or nullptr.
const IndexRow* findListRow(const ProgramState& state, const std::string& number);
bool inDossier(const ProgramState& state, const std::string& number);

} // namespace engine
