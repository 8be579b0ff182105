#pragma once

#include <string>
#include <vector>

namespace engine {

// One entry of the list index: a section (symbol T...) or a list (symbol L...).
struct IndexRow {
    std::string number;
    std::string title;
    std::string kind;
    bool mandatory = false;
    std::string symbol;
    std::string parent;
};

// What the report run collects: a status row per list that got a status, a report row per
// finding, a measure row per declared measure.
struct StatusRow {
    std::string list;
    int status = 0;
};
struct ReportRow {
    std::string list;
    std::string reference;
    std::string message;
    int status = 0;
};
struct MeasureRow {
    std::string list;
    std::string reference;
    std::string state; // "Attuato" or "Non Attuato"
};

// The state the engine and the frame share for the whole run.
struct ProgramState {
    std::string cRootDir;    // settings key SLE0
    std::string cDossierDir; // below cRootDir + "/DATI", with its leading "/" (SLE1)
    bool lShowNotes = false; // CB1
    bool lShowStatus = false; // CB2
    bool lShowDetail = false; // CB3
    unsigned nSle9 = 0;       // SLE9: pause after each printed document, seconds

    std::vector<IndexRow> aSectionIndex;
    std::vector<IndexRow> aListIndex;
    std::vector<std::string> aDossierLists;
    // The list picker's result: list numbers (add, delete) or document paths (print, merge).
    std::vector<std::string> aListPick;
    // The report run's rows. The run empties aListPick as well: its report rows take the
    // picker result's place until the next picker.
    std::vector<StatusRow> aListStatus;
    std::vector<ReportRow> aListPickRows;
    std::vector<MeasureRow> aRptMeasures;

    std::string dossierFolder() const { return cRootDir + "/DATI" + cDossierDir; }
};

} // namespace engine
