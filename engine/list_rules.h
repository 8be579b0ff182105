#pragma once

// What every list parser shares: reading fields of the active document, the structural-fault
// box, the measures table and the status decision.
#include "engine/engine.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

inline constexpr int kLastRow = 999;

// "t1c" and 7 give "t1c007".
std::string rowName(std::string_view prefix, int row);
// '4' and 7 give "T4-007", a row's reference in the report.
std::string rowReference(char table, int row);

struct Finding {
    std::string reference;
    std::string message;
};

struct Measure {
    std::string reference;
    std::string state;
};

// One list being read: the active document's fields, the list's findings and its flags.
class ListReader {
public:
    ListReader(Engine& engine, std::string number);

    bool exists(const std::string& name) const;
    wordauto::DOC_FormField field(const std::string& name) const;
    bool ticked(const std::string& name, bool select) const;
    // The value trimmed of blanks at both ends.
    std::string text(const std::string& name, bool select) const;

    // Shows "Errore lista <number>" + tail at once and raises lFault.
    void fault(const std::string& tail);
    void missing(const std::string& name) { fault(" [" + name + "] non esiste"); }

    struct TableEnd {
        int next;          // the row number the next table starts at
        bool anySelected;
    };
    // A table of selection, description and implemented box rows tXl, tXf, tXc from row
    // `from` on; the description and the implemented box are judged per row.
    TableEnd measuresTable(char digit, int from);
    // A measures table after table 1: read from `from`; no selected row adds the whole-table
    // finding {"T" + digit, wholeTableFinding}; no row at all is the fault " [" + title + "]
    // non esiste". False once a fault was shown.
    bool laterMeasuresTable(char digit, int from, const char* wholeTableFinding, const char* title);

    // A table of tick boxes tXc from row `from`, each selected as it is read; no ticked box
    // adds the whole-table finding {"T" + digit, noneTickedFinding}; no row at all is the fault
    // " [" + title + "] non esiste". Nothing once a fault was shown.
    std::optional<TableEnd> tickTable(char digit, int from, const char* noneTickedFinding, const char* title);

    // The activity table of kinds C1 and D1: row box a (lead), description, PSC box b and
    // POS box c. `joined` gives one finding for both boxes (C1) instead of one each (D1).
    // Returns the row number the next table starts at.
    int activityTable(const std::string& title, bool joined);

    // Appends the list's status, report and measure rows, first case that holds.
    void decide();

    const std::string& number() const { return number_; }

    std::vector<Finding> aIncompl;
    std::vector<Finding> aIncons;
    std::vector<Measure> aMeas;
    bool lFault = false;
    bool lFound = false;
    bool lEmpty = true;

private:
    Engine& engine_;
    std::string number_;
    wordauto::DOC_FormFields fields_;
    wordauto::DOC_Bookmarks bookmarks_;
};

} // namespace engine
