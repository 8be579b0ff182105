#include "engine/list_rules.h"

#include <charconv>
#include <utility>

namespace engine {

namespace {

// In place: the result is a fresh string, so no second one is made.
std::string trimBlanks(std::string text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    text.erase(text.find_last_not_of(' ') + 1);
    text.erase(0, first);
    return text;
}

// The row number as "%03d" writes it, without a formatted print for every field name.
void appendRowDigits(std::string& out, int row)
{
    char digits[16];
    const char* const end = std::to_chars(digits, digits + sizeof digits, row).ptr;
    const char* first = digits;
    if (row < 0)
        out += *first++;
    if (end - digits < 3)
        out.append(static_cast<std::size_t>(3 - (end - digits)), '0');
    out.append(first, end);
}

} // namespace

std::string rowName(std::string_view prefix, int row)
{
    std::string name(prefix);
    appendRowDigits(name, row);
    return name;
}

std::string rowReference(char table, int row)
{
    std::string reference{'T', table, '-'};
    appendRowDigits(reference, row);
    return reference;
}

ListReader::ListReader(Engine& engine, std::string number)
    : engine_(engine), number_(std::move(number)),
      fields_(engine.oWord->ActiveDocument().FormFields()),
      bookmarks_(engine.oWord->ActiveDocument().Bookmarks())
{
}

bool ListReader::exists(const std::string& name) const { return bookmarks_.Exists(name); }

wordauto::DOC_FormField ListReader::field(const std::string& name) const { return fields_.Item(name); }

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

std::optional<ListReader::TableEnd> ListReader::tickTable(char digit, int from, const char* noneTickedFinding,
                                                          const char* title)
{
    lFound = false;
    const std::string boxPrefix{'t', digit, 'c'};
    bool anyTicked = false;
    int n = from;
    for (; n <= kLastRow; ++n) {
        const std::string box = rowName(boxPrefix, n);
        if (!exists(box))
            break;
        lFound = true;
        if (ticked(box, true))
            anyTicked = true;
    }
    if (!anyTicked)
        aIncompl.push_back({std::string("T") + digit, noneTickedFinding});
    if (!lFound) {
        fault(std::string(" [") + title + "] non esiste");
        return std::nullopt;
    }
    return TableEnd{n, anyTicked};
}

ListReader::TableEnd ListReader::measuresTable(char digit, int from)
{
    const std::string selectionPrefix{'t', digit, 'l'};
    const std::string descriptionPrefix{'t', digit, 'f'};
    const std::string boxPrefix{'t', digit, 'c'};
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
        const std::string description = rowName(descriptionPrefix, n);
        const std::string value = text(selection, true);
        const bool implemented = ticked(box, false);
        if (!value.empty()) {
            anySelected = true;
            if (exists(description) && text(description, true).empty())
                aIncompl.push_back({rowReference(digit, n), "Campo descrizione vuoto"});
            const char* state = implemented ? "Attuato" : "Non Attuato";
            if (!implemented)
                aIncompl.push_back({rowReference(digit, n), state});
            if (value == "S")
                aMeas.push_back({rowReference(digit, n), state});
        } else {
            if (exists(description) && !text(description, true).empty())
                aIncons.push_back({rowReference(digit, n), "Campo descrizione compilato"});
            if (implemented)
                aIncons.push_back({rowReference(digit, n), "Attuato"});
        }
    }
    return {n, anySelected};
}

int ListReader::activityTable(const std::string& title, bool joined)
{
    int n = 1;
    for (; n <= kLastRow; ++n) {
        const std::string row = rowName("t1c", n);
        const std::string lead = row + 'a';
        if (!exists(lead))
            break;
        lFound = true;
        const std::string pscBox = row + 'b';
        if (!exists(pscBox)) {
            missing(pscBox);
            return n;
        }
        const std::string posBox = row + 'c';
        if (!exists(posBox)) {
            missing(posBox);
            return n;
        }
        const bool psc = ticked(pscBox, false);
        const bool pos = ticked(posBox, false);
        const std::string description = rowName("t1f", n);
        const auto finding = [&](std::vector<Finding>& to, const char* message) {
            to.push_back({rowReference('1', n), message});
        };
        if (ticked(lead, true)) {
            lEmpty = false;
            if (exists(description) && text(description, true).empty())
                finding(aIncompl, "Campo descrizione vuoto");
            if (joined) {
                if (!psc && !pos)
                    finding(aIncompl, "PSC/POS manca spunta");
            } else {
                if (!psc)
                    finding(aIncompl, "PSC manca spunta");
                if (!pos)
                    finding(aIncompl, "POS manca spunta");
            }
        } else {
            if (exists(description) && !text(description, true).empty())
                finding(aIncons, "Campo descrizione compilato");
            if (joined) {
                if (psc || pos)
                    finding(aIncons, "PSC/POS spuntato");
            } else {
                if (psc)
                    finding(aIncons, "PSC spuntato");
                if (pos)
                    finding(aIncons, "POS spuntato");
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
