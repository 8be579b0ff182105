#include "engine/list_rules.h"

#include <cstdio>
#include <utility>

namespace engine {

namespace {

std::string trimBlanks(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace

std::string rowDigits(int row)
{
    char digits[8];
    std::snprintf(digits, sizeof digits, "%03d", row);
    return digits;
}

std::string rowName(const std::string& prefix, int row) { return prefix + rowDigits(row); }

ListReader::ListReader(Engine& engine, std::string number)
    : engine_(engine), number_(std::move(number)), doc_(engine.oWord->ActiveDocument())
{
}

bool ListReader::exists(const std::string& name) const { return doc_.Bookmarks().Exists(name); }

wordauto::DOC_FormField ListReader::field(const std::string& name) const
{
    return doc_.FormFields().Item(name);
}

bool ListReader::ticked(const std::string& name, bool select) const
{
    auto f = field(name);
    if (select)
        f.Select();
    return f.CheckBox().Value();
}

std::string ListReader::text(const std::string& name, bool select) const
{
    auto f = field(name);
    if (select)
        f.Select();
    return trimBlanks(f.Result());
}

void ListReader::fault(const std::string& tail)
{
    engine_.frame().messageBox("Errore lista " + number_ + tail, kCaptionQuarvello, mb::Stop);
    lFault = true;
}

bool ListReader::laterMeasuresTable(char digit, int from, const char* wholeTableFinding, const char* title)
{
    lFound = false;
    const auto table = measuresTable(digit, from);
    if (lFault)
        return false;
    if (!table.anySelected)
        aIncompl.push_back({std::string("T") + digit, wholeTableFinding});
    if (!lFound) {
        fault(std::string(" [") + title + "] non esiste");
        return false;
    }
    return true;
}

ListReader::TableEnd ListReader::measuresTable(char digit, int from)
{
    const std::string table = std::string("t") + digit;
    const std::string selectionPrefix = table + "l";
    const std::string descriptionPrefix = table + "f";
    const std::string boxPrefix = table + "c";
    bool anySelected = false;
    int n = from;
    for (; n <= kLastRow; ++n) {
        const std::string selection = rowName(selectionPrefix, n);
        if (!exists(selection))
            break;
        lFound = true;
        const std::string box = rowName(boxPrefix, n);
        if (!exists(box)) {
            missing(box);
            break;
        }
        const std::string reference = "T" + std::string(1, digit) + "-" + rowDigits(n);
        const std::string description = rowName(descriptionPrefix, n);
        const std::string value = text(selection, true);
        const bool implemented = ticked(box, false);
        if (!value.empty()) {
            anySelected = true;
            if (exists(description) && text(description, true).empty())
                aIncompl.push_back({reference, "Campo descrizione vuoto"});
            const char* state = implemented ? "Attuato" : "Non Attuato";
            if (!implemented)
                aIncompl.push_back({reference, state});
            if (value == "S")
                aMeas.push_back({reference, state});
        } else {
            if (exists(description) && !text(description, true).empty())
                aIncons.push_back({reference, "Campo descrizione compilato"});
            if (implemented)
                aIncons.push_back({reference, "Attuato"});
        }
    }
    return {n, anySelected};
}

int ListReader::activityTable(const std::string& title, bool joined)
{
    int n = 1;
    for (; n <= kLastRow; ++n) {
        const std::string row = rowName("t1c", n);
        if (!exists(row + "a"))
            break;
        lFound = true;
        if (!exists(row + "b")) {
            missing(row + "b");
            return n;
        }
        if (!exists(row + "c")) {
            missing(row + "c");
            return n;
        }
        const bool psc = ticked(row + "b", false);
        const bool pos = ticked(row + "c", false);
        const std::string reference = "T1-" + rowDigits(n);
        const std::string description = rowName("t1f", n);
        if (ticked(row + "a", true)) {
            lEmpty = false;
            if (exists(description) && text(description, true).empty())
                aIncompl.push_back({reference, "Campo descrizione vuoto"});
            if (joined) {
                if (!psc && !pos)
                    aIncompl.push_back({reference, "PSC/POS manca spunta"});
            } else {
                if (!psc)
                    aIncompl.push_back({reference, "PSC manca spunta"});
                if (!pos)
                    aIncompl.push_back({reference, "POS manca spunta"});
            }
        } else {
            if (exists(description) && !text(description, true).empty())
                aIncons.push_back({reference, "Campo descrizione compilato"});
            if (joined) {
                if (psc || pos)
                    aIncons.push_back({reference, "PSC/POS spuntato"});
            } else {
                if (psc)
                    aIncons.push_back({reference, "PSC spuntato"});
                if (pos)
                    aIncons.push_back({reference, "POS spuntato"});
            }
        }
    }
    if (!lFound)
        fault(" [" + title + "] non esiste");
    return n;
}

void ListReader::decide()
{
    auto& state = engine_.state();
    const auto report = [&](const std::vector<Finding>& findings, int status) {
        for (const auto& f : findings)
            state.aListPickRows.push_back({number_, f.reference, f.message, status});
    };
    const auto measures = [&] {
        for (const auto& m : aMeas)
            state.aRptMeasures.push_back({number_, m.reference, m.state});
    };
    if (lEmpty) {
        state.aListStatus.push_back({number_, 1});
        state.aListPickRows.push_back({number_, "L1", "Lista vuota - da compilare", 1});
    } else if (!aIncons.empty()) {
        state.aListStatus.push_back({number_, 3});
        report(aIncons, 3);
    } else if (!aIncompl.empty()) {
        state.aListStatus.push_back({number_, 2});
        report(aIncompl, 2);
        measures();
    } else {
        state.aListStatus.push_back({number_, 4});
        measures();
    }
}

} // namespace engine
