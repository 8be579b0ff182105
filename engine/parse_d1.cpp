#include "engine/list_rules.h"

namespace engine {

namespace {

struct Risk {
    bool ticked;
    std::string statusText;
    std::string helpText;
};

// The number the text starts with, as a text-to-number conversion reads it: leading blanks
// skipped, then the digits up to the first other character ("abc" gives 0).
int numberIn(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    return first == std::string::npos ? 0 : leadingNumber(text.substr(first));
}

int firstRowOf(const Risk& risk) { return numberIn(risk.helpText.substr(0, 3)); }

int lastRowOf(const Risk& risk)
{
    const auto& h = risk.helpText;
    return numberIn(h.size() > 3 ? h.substr(h.size() - 3) : h);
}

// One risk's rows in table 4. Returns false after a structural fault.
bool riskSubTable(ListReader& list, const Risk& risk)
{
    const int first = firstRowOf(risk);
    const int last = lastRowOf(risk);
    const std::string selectionPrefix = "t4r" + risk.statusText.substr(0, 2) + "l";
    bool lNoneSelected = true;
    for (int n = first; n <= last; ++n) {
        // Inside a range every row must be there: the range says so.
        const std::string selection = rowName(selectionPrefix, n);
        if (!list.exists(selection)) {
            list.missing(selection);
            return false;
        }
        const std::string box = rowName("t4c", n);
        if (!list.exists(box)) {
            list.missing(box);
            return false;
        }
        const std::string description = rowName("t4f", n);
        const std::string value = list.text(selection, true);
        const bool selected = !value.empty();
        if (risk.ticked && selected) {
            lNoneSelected = false;
            if (list.exists(description) && list.text(description, true).empty())
                list.aIncompl.push_back({rowReference('4', n), "Campo descrizione vuoto"});
            const char* state = "Attuato";
            if (!list.ticked(box, true)) {
                state = "Non Attuato";
                list.aIncompl.push_back({rowReference('4', n), state});
            }
            if (value == "S")
                list.aMeas.push_back({rowReference('4', n), state});
            continue;
        }
        if (selected) {
            // Only an unticked risk gets here with a selection.
            lNoneSelected = false;
            list.aIncons.push_back({rowReference('4', n), "Campo selezionato"});
        }
        if (list.exists(description) && !list.text(description, true).empty())
            list.aIncons.push_back({rowReference('4', n), "Campo descrizione compilato"});
        if (list.ticked(box, true))
            list.aIncons.push_back({rowReference('4', n), "Attuato"});
    }
    const std::string reference = rowReference('4', first);
    if (risk.ticked && lNoneSelected)
        list.aIncompl.push_back({reference, "Sottotabella rischio " + risk.statusText + " da compilare"});
    else if (!risk.ticked && !lNoneSelected)
        list.aIncons.push_back({reference, "Sottotabella rischio " + risk.statusText + " compilata"});
    return true;
}

} // namespace

void Engine::MTD_PARSED1(const std::string& number)
{
    ListReader list(*this, number);
    int n = list.activityTable("T1 Attività", false);
    if (list.lFault)
        return;
    if (list.lEmpty) {
        list.decide();
        return;
    }

    // T2: each risk box names its code and its rows in table 4 through its two texts.
    list.lFound = false;
    bool lNoneTicked = true;
    std::vector<Risk> aRisks;
    for (; n <= kLastRow; ++n) {
        const std::string box = rowName("t2c", n);
        if (!list.exists(box))
            break;
        list.lFound = true;
        auto field = list.field(box);
        field.Select();
        Risk risk{field.CheckBox().Value(), field.StatusText(), field.HelpText()};
        if (isBlank(risk.statusText) || isBlank(risk.helpText)) {
            list.fault(" [" + box + "] StatusText / HelpText vuoto");
            return;
        }
        aRisks.push_back(risk);
        if (risk.ticked)
            lNoneTicked = false;
        // The "other risks" row carries its own description.
        if (risk.statusText.compare(0, 2, "91") == 0) {
            const std::string description = rowName("t2f", n);
            if (!list.exists(description)) {
                list.missing(description);
                return;
            }
            const bool blank = list.text(description, true).empty();
            const std::string reference = rowReference('2', n);
            if (risk.ticked && blank)
                list.aIncompl.push_back({reference, "Campo descrizione vuoto"});
            else if (!risk.ticked && !blank)
                list.aIncons.push_back({reference, "Campo descrizione compilato"});
        }
    }
    if (lNoneTicked) {
        list.aIncompl.push_back({"T2", "Tabella Rischi da compilare"});
        aRisks.clear();
    }
    if (!list.lFound) {
        list.fault(" [T2 Rischi] non esiste");
        return;
    }

    // T3.
    if (!list.tickTable('3', n, "Tabella Misure di Sicurezza da compilare", "T3 Misure di Sicurezza"))
        return;

    // T4 and T5 only describe present risks.
    if (!aRisks.empty()) {
        list.aMeas.clear();
        for (const auto& risk : aRisks)
            if (!riskSubTable(list, risk))
                return;
        // T5 follows the last range, whatever row T3 or T4 ended at.
        if (!list.laterMeasuresTable('5', lastRowOf(aRisks.back()) + 1, "Tabella Procedure da compilare",
                                     "T5 Procedure"))
            return;
    }
    list.decide();
}

} // namespace engine
