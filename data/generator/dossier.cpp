// The sample dossier DATI/Cantiere Via Roma: filled copies of most lists of the catalogue, so
// that a report run over it gives every status, plus three documents the checks refuse.
//
//   list     kind  what was filled in                                   expected
//   0.00.01  A1    header: every field f001..f006, notes                 4 complete
//   1.01.01  A1    company data, f006 and f009 left blank                3 (one row per blank field)
//   1.01.02  B1    every T1 box ticked, T2 row 11 ticked and described   4 complete
//   1.01.03  B1    field t2c013 written as "t2c13"                       none: the field-name check
//                                                                        reports T2-[13]-t2c13
//   1.02.01  C1    T1-002 without description, T1-004 without PSC/POS,   2 (+ measures T3-012,
//                  T3-013 not implemented, T3-015 without description      T3-013, T3-015)
//   1.02.02  A1    nothing                                               1 empty
//   2.02.01  C1    T2 numbered again from t2c001 instead of t2c006       none: structural fault
//                                                                        [T2 Misure di Sicurezza]
//   3.01.01  D1    T1-003 without description and POS, T4-014 not        2 (+ measures T4-013,
//                  implemented, risk 10 ticked without a measure,          T4-014, T4-022, T5-024)
//                  T5-024 without description
//   3.02.01  C1    T1-003 not ticked but described and POS ticked,       3 (inconsistencies only,
//                  T3-010 implemented but not selected                     no measures)
//   3.04.01  E1    three measures and one DPI, all described and done    4 (+ 4 measures)
//   3.05.01  E1    T1-004 not implemented, no DPI selected               2 (+ 3 measures)
//   3.06.01  B1    T1-006 not ticked, T2-008 ticked without description  2
//   4.01.01  D1    two activities, risks 01 and 13 with their measures   4 (+ measures T4-015,
//                  and two procedures, everything done                     T4-016, T4-022, T5-028, T5-029)
//   4.01.02  D1    risk box t2c006 (12 Polveri e fibre) without its      none: structural fault
//                  help text                                              [t2c006] StatusText / HelpText vuoto
//   5.05.01  E1    T1-002 described but not selected, T2-007             3
//                  implemented but not selected
//   5.06.01  E2    T1-003 without description, T1-005 and T1-006 not     2 (+ 5 measures)
//                  implemented
//   5.06.02  E2    nothing                                               1 empty
//
// 5.03.01 (E2) is left out, for adding it from the blank lists. The dossier's _Stato_Liste.doc
// and _Rapporto_Fascicolo.doc hold what the last report run over these lists wrote (see
// dossier_results.cpp). Fillings name the fields as the blank lists have them; `renamed` then
// writes a field under another name.
#include "data/generator/lists.h"
#include "data/generator/root_parts.h"

#include <filesystem>

namespace sample {

namespace {

struct FilledList {
    std::string number;
    Filling filling;
};

std::vector<FilledList> filledLists()
{
    return {
        {"0.00.01",
         {.text = {{"f001", "Edil Rossi S.r.l."},
                   {"f002", "Condominio Via Roma 12"},
                   {"f003", "Ristrutturazione e ampliamento di edificio residenziale"},
                   {"f004", "Via Roma 12, Verona"},
                   {"f005", "Geom. Marco Bianchi (CSE)"},
                   {"f006", "14.03.2024"},
                   {"note1", "Sopralluogo con il capocantiere Luca Ferrari. Ponteggio lato nord da "
                             "completare: verificare parapetti e impalcati del terzo livello alla "
                             "prossima visita."}}}},
        {"1.01.01",
         {.text = {{"f001", "Edil Rossi S.r.l."},
                   {"f002", "01234560235"},
                   {"f003", "Via dell'Artigianato 8, 37135 Verona"},
                   {"f004", "12345678/90"},
                   {"f005", "7012345678"},
                   {"f007", "Mario Rossi"},
                   {"f008", "Mario Rossi"},
                   {"f010", "Dott.ssa Laura Verdi"},
                   {"f011", "Luca Ferrari"},
                   {"note1", "Richiesti all'impresa i dati della Cassa Edile e il nominativo dell'RLS."}}}},
        {"1.01.02",
         {.text = {{"t2f011", "Schede di sicurezza dei prodotti, libretti dei ponteggi"}},
          .ticked = {"t1c001", "t1c002", "t1c003", "t1c004", "t1c005", "t1c006", "t1c007", "t1c008",
                     "t1c009", "t1c010", "t2c011"}}},
        {"1.01.03",
         {.text = {{"t2f013", "Impianti: Elettra Verona S.n.c."}},
          .ticked = {"t1c001", "t1c002", "t1c003", "t1c004", "t1c005", "t1c006", "t1c007", "t1c008",
                     "t1c009", "t1c010", "t1c011", "t1c012", "t2c013"},
          .renamed = {{"t2c013", "t2c13"}}}},
        {"1.02.01",
         {.text = {{"t1f001", "Via Roma a senso unico, marciapiede sul lato est"},
                   {"t1f004", "Rete del gas e acquedotto sotto il marciapiede"},
                   {"t3l012", "S"}, {"t3f012", "Pannelli su basamenti in calcestruzzo, rete verde"},
                   {"t3l013", "S"}, {"t3f013", "Corridoio con parapetto e tettoia"},
                   {"t3l015", "S"}},
          .ticked = {"t1c001a", "t1c001b", "t1c001c", "t1c002a", "t1c002b", "t1c004a",
                     "t2c007", "t2c008", "t2c009", "t3c012", "t3c015"}}},
        {"1.02.02", {}},
        {"2.02.01",
         {.text = {{"t1f001", "Linea MT lungo il confine sud"}},
          .ticked = {"t1c001a", "t1c001b", "t2c006", "t2c007"},
          .renamed = {{"t2c006", "t2c001"}, {"t2c007", "t2c002"}, {"t2c008", "t2c003"},
                      {"t2c009", "t2c004"}}}},
        {"3.01.01",
         {.text = {{"t1f001", "Pista in misto stabilizzato dall'ingresso su Via Roma"},
                   {"t2f009", "Interferenza con lo scarico del calcestruzzo del cantiere confinante"},
                   {"t4r11l013", "S"}, {"t4f013", "Presente su escavatore e autocarro"},
                   {"t4r11l014", "S"}, {"t4f014", "Capocantiere durante le manovre"},
                   {"t4r91l022", "S"}, {"t4f022", "Orari di scarico concordati con il cantiere confinante"},
                   {"t5l024", "S"}},
          .ticked = {"t1c001a", "t1c001b", "t1c001c", "t1c003a", "t1c003b",
                     "t2c005", "t2c007", "t2c009", "t3c010", "t3c011",
                     "t4c013", "t4c022", "t5c024"}}},
        {"3.02.01",
         {.text = {{"t1f001", "Fronte su Via Roma, circa 40 m"},
                   {"t1f003", "Occupazione di suolo pubblico per il ponteggio"},
                   {"t1f004", "Edificio abitato durante i lavori"},
                   {"t3l009", "S"}, {"t3f009", "Pannelli da 3,5 x 2 m"},
                   {"t3l011", "S"}, {"t3f011", "Passaggio coperto lato cortile"}},
          .ticked = {"t1c001a", "t1c001b", "t1c001c", "t1c003c", "t1c004a", "t1c004c",
                     "t2c005", "t2c006", "t2c007", "t3c009", "t3c010", "t3c011"}}},
        {"3.04.01",
         {.text = {{"t1l001", "S"}, {"t1f001", "Due box prefabbricati da 6 x 2,4 m"},
                   {"t1l002", "S"}, {"t1f002", "Due WC chimici, svuotamento settimanale"},
                   {"t1l003", "S"}, {"t1f003", "Lavabo con boiler nel box spogliatoio"},
                   {"t2l007", "S"}, {"t2f007", "Tute e giacconi dell'impresa"}},
          .ticked = {"t1c001", "t1c002", "t1c003", "t2c007"}}},
        {"3.05.01",
         {.text = {{"t1l001", "S"}, {"t1f001", "Cassetta nel box ufficio"},
                   {"t1l002", "S"}, {"t1f002", "Luca Ferrari, Giorgio Neri"},
                   {"t1l004", "S"}, {"t1f004", "Due estintori a polvere da 6 kg"}},
          .ticked = {"t1c001", "t1c002"}}},
        {"3.06.01",
         {.ticked = {"t1c001", "t1c002", "t1c003", "t1c004", "t1c005", "t1c007", "t2c008"}}},
        {"4.01.01",
         {.text = {{"t1f001", "Casseri in pannelli metallici per pilastri e travi"},
                   {"t1f003", "Getto dei solai con autopompa da 36 m"},
                   {"t4r01l015", "S"}, {"t4f015", "Parapetti su tutto il perimetro del solaio"},
                   {"t4r01l016", "S"}, {"t4f016", "Trabattello per i getti dei pilastri"},
                   {"t4r13l022", "S"}, {"t4f022", "Visiere consegnate agli addetti al getto"},
                   {"t5l028", "S"}, {"t5f028", "Libretto del fabbricante in cantiere"},
                   {"t5l029", "S"}, {"t5f029", "Procedura concordata con il fornitore"}},
          .ticked = {"t1c001a", "t1c001b", "t1c001c", "t1c003a", "t1c003b", "t1c003c",
                     "t2c005", "t2c008", "t3c011", "t3c014",
                     "t4c015", "t4c016", "t4c022", "t5c028", "t5c029"}}},
        {"4.01.02",
         {.text = {{"t1f001", "Murature portanti del piano terra in blocchi di laterizio"}},
          .ticked = {"t1c001a", "t1c001b", "t1c001c", "t2c004", "t2c006"},
          .withoutHelpText = {"t2c006"}}},
        {"5.05.01",
         {.text = {{"t1l001", "S"}, {"t1f001", "Smerigliatrice angolare e trapano a percussione"},
                   {"t1f002", "Prolunga avvolgicavo da 25 m"},
                   {"t1l004", "S"}, {"t1f004", "Quadro ASC al piano terra"},
                   {"t2l006", "S"}, {"t2f006", "Occhiali a mascherina"}},
          .ticked = {"t1c001", "t1c004", "t2c006", "t2c007"}}},
        {"5.06.01",
         {.text = {{"t1l001", "S"}, {"t1f001", "Ponteggio a telai prefabbricati, autorizzazione in cantiere"},
                   {"t1l002", "S"}, {"t1f002", "PiMUS rev. 1 del 04.03.2024"},
                   {"t1l003", "S"},
                   {"t1l005", "S"}, {"t1f005", "Da completare al terzo livello lato nord"},
                   {"t1l006", "S"}, {"t1f006", "Mancanti al terzo livello lato nord"}},
          .ticked = {"t1c001", "t1c002", "t1c003"}}},
        {"5.06.02", {}},
    };
}

} // namespace

void writeDossier(const std::string& folder)
{
    namespace fs = std::filesystem;
    for (const auto& [number, filling] : filledLists()) {
        // The header's name as the coordinators write it; the program finds either case.
        const std::string file = number == "0.00.01" ? "0.00.01.doc" : number + ".DOC";
        docbuilder::write(renderList(listByNumber(number), filling), (fs::path(folder) / file).string());
    }
    docbuilder::write(statusDocument(dossierStatuses()), (fs::path(folder) / "_Stato_Liste.doc").string());
    docbuilder::write(reportDocument(dossierFindings(), dossierMeasures()),
                      (fs::path(folder) / "_Rapporto_Fascicolo.doc").string());
}

} // namespace sample
