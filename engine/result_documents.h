#pragma once

#include "engine/program_state.h"

#include <string>
#include <unordered_map>
#include <vector>

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

// The kind of each list of the index by number, taken once for a run that looks up one list
// after another; a number's first row gives its kind, as findListRow finds it. Copies, so
// nothing dangles when the index is loaded again while events are let run.
class ListKinds {
public:
    explicit ListKinds(const std::vector<IndexRow>& index);
    // nullptr when the index holds no list of that number.
    const std::string* find(const std::string& number) const;

private:
    std::unordered_map<std::string, std::string> kinds_;
};

} // namespace engine
