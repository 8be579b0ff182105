// What the last report run over the sample dossier wrote, worked out by hand from the filled
// lists of dossier.cpp: one status row per list that got a status (1.01.03, 2.02.01 and 4.01.02
// got none), the findings in the order the run meets them, and the measures selected with S.
#include "data/generator/root_parts.h"

namespace sample {

std::vector<StatusRow> dossierStatuses()
{
    return {
        {"0.00.01", 4}, {"1.01.01", 3}, {"1.01.02", 4}, {"1.02.01", 2}, {"1.02.02", 1},
        {"3.01.01", 2}, {"3.02.01", 3}, {"3.04.01", 4}, {"3.05.01", 2}, {"3.06.01", 2},
        {"4.01.01", 4}, {"5.05.01", 3}, {"5.06.01", 2}, {"5.06.02", 1},
    };
}

std::vector<Finding> dossierFindings()
{
    return {
        {"1.01.01", "f006", "Campo [Cassa Edile di iscrizione] vuoto", 3},
        {"1.01.01", "f009", "Campo [Rappresentante dei lavoratori per la sicurezza (RLS)] vuoto", 3},
        {"1.02.01", "T1-002", "Campo descrizione vuoto", 2},
        {"1.02.01", "T1-004", "PSC/POS manca spunta", 2},
        {"1.02.01", "T3-013", "Non Attuato", 2},
        {"1.02.01", "T3-015", "Campo descrizione vuoto", 2},
        {"1.02.02", "L1", "Lista vuota - da compilare", 1},
        {"3.01.01", "T1-003", "Campo descrizione vuoto", 2},
        {"3.01.01", "T1-003", "POS manca spunta", 2},
        {"3.01.01", "T4-014", "Non Attuato", 2},
        {"3.01.01", "T4-018", "Sottotabella rischio 10 Caduta di materiale dall'alto da compilare", 2},
        {"3.01.01", "T5-024", "Campo descrizione vuoto", 2},
        {"3.02.01", "T1-003", "Campo descrizione compilato", 3},
        {"3.02.01", "T1-003", "PSC/POS spuntato", 3},
        {"3.02.01", "T3-010", "Attuato", 3},
        {"3.05.01", "T1-004", "Non Attuato", 2},
        {"3.05.01", "T2", "Tabella DPI da compilare", 2},
        {"3.06.01", "T1-006", "Manca spunta", 2},
        {"3.06.01", "T2-008", "Campo descrizione vuoto", 2},
        {"5.05.01", "T1-002", "Campo descrizione compilato", 3},
        {"5.05.01", "T2-007", "Attuato", 3},
        {"5.06.01", "T1-003", "Campo descrizione vuoto", 2},
        {"5.06.01", "T1-005", "Non Attuato", 2},
        {"5.06.01", "T1-006", "Non Attuato", 2},
        {"5.06.02", "L1", "Lista vuota - da compilare", 1},
    };
}

std::vector<Measure> dossierMeasures()
{
    return {
        {"1.02.01", "T3-012", "Attuato"},
        {"1.02.01", "T3-013", "Non Attuato"},
        {"1.02.01", "T3-015", "Attuato"},
        {"3.01.01", "T4-013", "Attuato"},
        {"3.01.01", "T4-014", "Non Attuato"},
        {"3.01.01", "T4-022", "Attuato"},
        {"3.01.01", "T5-024", "Attuato"},
        {"3.04.01", "T1-001", "Attuato"},
        {"3.04.01", "T1-002", "Attuato"},
        {"3.04.01", "T1-003", "Attuato"},
        {"3.04.01", "T2-007", "Attuato"},
        {"3.05.01", "T1-001", "Attuato"},
        {"3.05.01", "T1-002", "Attuato"},
        {"3.05.01", "T1-004", "Non Attuato"},
        {"4.01.01", "T4-015", "Attuato"},
        {"4.01.01", "T4-016", "Attuato"},
        {"4.01.01", "T4-022", "Attuato"},
        {"4.01.01", "T5-028", "Attuato"},
        {"4.01.01", "T5-029", "Attuato"},
        {"5.06.01", "T1-001", "Attuato"},
        {"5.06.01", "T1-002", "Attuato"},
        {"5.06.01", "T1-003", "Attuato"},
        {"5.06.01", "T1-005", "Non Attuato"},
        {"5.06.01", "T1-006", "Non Attuato"},
    };
}

} // namespace sample
