#include "engine/list_rules.h"

namespace engine {

void Engine::MTD_PARSEC1(const std::string& number)
{
    ListReader list(*this, number);
    int n = list.activityTable("T1 Situazione Cantiere", true);
    if (list.lFault)
        return;
    if (!list.lEmpty) {
        list.lFound = false;
        bool lNoneTicked = true;
        for (; n <= kLastRow; ++n) {
            const std::string box = rowName("t2c", n);
            if (!list.exists(box))
                break;
            list.lFound = true;
            if (list.ticked(box, true))
                lNoneTicked = false;
        }
        if (lNoneTicked)
            list.aIncompl.push_back({"T2", "Tabella Misure di Sicurezza da compilare"});
        if (!list.lFound) {
            list.fault(" [T2 Misure di Sicurezza] non esiste");
            return;
        }
        // The detail of the measures only matters once a measure is adopted.
        if (!lNoneTicked) {
            list.aMeas.clear();
            if (!list.laterMeasuresTable('3', n, "Tabella Dettaglio Misure di Sicurezza da compilare",
                                         "T3 Dettaglio Misure di Sicurezza"))
                return;
        }
    }
    list.decide();
}

} // namespace engine
