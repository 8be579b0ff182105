#include "engine/list_rules.h"

namespace engine {

void Engine::MTD_PARSEC1(const std::string& number)
{
    ListReader list(*this, number);
    int n = list.activityTable("T1 Situazione Cantiere", true);
    if (list.lFault)
        return;
    if (!list.lEmpty) {
        const auto measures = list.tickTable('2', n, "Tabella Misure di Sicurezza da compilare",
                                             "T2 Misure di Sicurezza");
        if (!measures)
            return;
        // The detail of the measures only matters once a measure is adopted.
        if (measures->anySelected) {
            list.aMeas.clear();
            if (!list.laterMeasuresTable('3', measures->next,
                                         "Tabella Dettaglio Misure di Sicurezza da compilare",
                                         "T3 Dettaglio Misure di Sicurezza"))
                return;
        }
    }
    list.decide();
}

} // namespace engine
