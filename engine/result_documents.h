#pragma once

#include "engine/number_index.h"
#include "engine/program_state.h"

#include <string>

namespace engine {

inline constexpr const char* kStatusDocument = "_Stato_Liste.doc";
inline constexpr const char* kReportDocument = "_Rapporto_Fascicolo.doc";

// A row of a result document is read only when its first cell, cleaned, names a list that the
// index and the dossier both hold; every other row (headers, blank template rows, lists
// removed since) is skipped without a word. Built once per reading of a document, so each row
// costs two hash lookups however long the index and the dossier are.
class ResultRowRule {
public:
    explicit ResultRowRule(const ProgramState& state)
        : listRows_(state.aListIndex), dossier_(state.aDossierLists) {}
    bool accepts(const std::string& cleanedNumber) const
    {
        return !cleanedNumber.empty() && listRows_.contains(cleanedNumber) && dossier_.contains(cleanedNumber);
    }

private:
    NumberIndex<IndexRow> listRows_;
    NumberIndex<std::string> dossier_;
};

// One-off lookups, a walk from the front; a loop over many numbers builds a NumberIndex instead.
// The first index row of that number, or nullptr.
const IndexRow* findListRow(const ProgramState& state, const std::string& number);
bool inDossier(const ProgramState& state, const std::string& number);

} // namespace engine
