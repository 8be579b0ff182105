// Kind D1: T1 activities (as C1's T1), T2 risks, T3 safety measures, T4 one sub-table of
// measures per risk, T5 procedures. Each risk box carries its code and name as status-bar text
// and the first and last row of its T4 sub-table as help text ("015017"); T5 goes on one past
// the last risk's last row.
#include "data/generator/layout.h"

#include <stdexcept>

namespace sample {

namespace {

// The generic sub-table of "91 Altri rischi": the coordinator names the risk in T2.
const std::vector<std::string> kOtherRiskMeasures = {
    "Misura specifica per il rischio indicato (descrivere)",
    "Ulteriore misura specifica (descrivere)",
};

} // namespace

std::vector<ListDef> d1Lists()
{
    const std::string intro = "Spuntare le attività svolte e i rischi presenti; nelle colonne Sel. "
                              "scrivere S per le misure e le procedure previste.";
    return {
        {.number = "3.01.01",
         .title = "Allestimento della viabilità e delle aree di deposito",
         .intro = intro,
         .content = D1List{
             .activities = {
                 "Tracciamento e realizzazione della viabilità interna di cantiere",
                 "Allestimento delle aree di deposito dei materiali",
                 "Scarico e stoccaggio dei materiali con autocarro con gru",
                 "Installazione della segnaletica di sicurezza",
             },
             .risks = {
                 {"11 Investimento da veicoli e macchine",
                  {"Segnalatore acustico e luminoso di retromarcia sui mezzi",
                   "Moviere a terra durante le manovre in retromarcia",
                   "Indumenti ad alta visibilità per gli addetti a terra"}},
                 {"03 Urti, colpi, impatti e compressioni",
                  {"Materiali accatastati in modo stabile e ordinato",
                   "Casco di protezione per tutti gli addetti"}},
                 {"10 Caduta di materiale dall'alto",
                  {"Imbracature dei carichi verificate prima del sollevamento",
                   "Divieto di sostare nel raggio d'azione della gru"}},
                 {"09 Movimentazione manuale dei carichi",
                  {"Carrelli e transpallet per i carichi pesanti",
                   "Formazione degli addetti sulla movimentazione manuale"}},
                 {"91 Altri rischi", kOtherRiskMeasures},
             },
             .measures = {
                 "Percorsi pedonali separati da quelli dei mezzi",
                 "Velocità dei mezzi limitata a passo d'uomo all'interno del cantiere",
                 "Depositi stabili, lontani dai cigli degli scavi e dai passaggi",
             },
             .procedures = {
                 "Procedura per l'accesso dei mezzi dei fornitori al cantiere",
                 "Piano di stoccaggio dei materiali concordato con le imprese",
             }}},
        {.number = "4.01.01",
         .title = "Strutture in cemento armato gettato in opera",
         .intro = intro,
         .content = D1List{
             .activities = {
                 "Montaggio e smontaggio dei casseri",
                 "Lavorazione e posa delle armature",
                 "Getto del calcestruzzo con autopompa",
                 "Disarmo e pulizia delle casseforme",
             },
             .risks = {
                 {"01 Caduta dall'alto",
                  {"Parapetti normali su tutti i lati liberi dei solai e delle impalcature",
                   "Ponti su cavalletti o trabattelli per i getti dei pilastri",
                   "Imbracatura di sicurezza ancorata a punti fissi"}},
                 {"10 Caduta di materiale dall'alto",
                  {"Mantovana parasassi sul ponteggio in corrispondenza dei passaggi",
                   "Sollevamento dei carichi con cassoni o forche con contenimento"}},
                 {"04 Punture, tagli e abrasioni",
                  {"Guanti da lavoro per la manipolazione dei ferri",
                   "Calzature di sicurezza con suola antiforo"}},
                 {"13 Getti e schizzi",
                  {"Occhiali o visiera durante il getto",
                   "Tubazione dell'autopompa guidata con funi"}},
                 {"09 Movimentazione manuale dei carichi",
                  {"Sollevamento dei pannelli pesanti con la gru",
                   "Carichi manuali non superiori a 25 kg per addetto"}},
                 {"91 Altri rischi", kOtherRiskMeasures},
             },
             .measures = {
                 "Opere provvisionali installate prima dell'inizio dei lavori in quota",
                 "Zona sottostante i lavori delimitata e interdetta al transito",
                 "Ferri di ripresa protetti con cappellotti",
                 "Autopompa su terreno stabile, con gli stabilizzatori estesi",
             },
             .procedures = {
                 "Montaggio e smontaggio dei casseri secondo il libretto del fabbricante",
                 "Getto con autopompa concordato con il fornitore del calcestruzzo",
                 "Verifica della stabilità delle strutture prima del disarmo",
             }}},
        {.number = "4.01.02",
         .title = "Murature e tramezzature",
         .intro = intro,
         .content = D1List{
             .activities = {
                 "Realizzazione di murature portanti in blocchi",
                 "Realizzazione di tramezzature interne in laterizio",
                 "Montaggio e uso di ponti su cavalletti",
             },
             .risks = {
                 {"01 Caduta dall'alto",
                  {"Parapetti sui lati liberi dei solai",
                   "Ponti su cavalletti solo fino a 2 m di altezza"}},
                 {"09 Movimentazione manuale dei carichi",
                  {"Bancali dei blocchi sollevati con forche e distribuiti al piano",
                   "Pause e rotazione degli addetti"}},
                 {"12 Polveri e fibre",
                  {"Mascherine FFP2 durante il taglio a secco",
                   "Bagnatura dei materiali prima del taglio"}},
                 {"04 Punture, tagli e abrasioni",
                  {"Guanti antitaglio", "Protezione della lama della sega"}},
                 {"91 Altri rischi", kOtherRiskMeasures},
             },
             .measures = {
                 "Ponti su cavalletti con impalcato largo almeno 90 cm",
                 "Taglio dei blocchi con sega ad acqua",
                 "Approvvigionamento dei blocchi al piano con la gru",
             },
             .procedures = {
                 "Procedura di montaggio dei ponti su cavalletti",
                 "Procedura per il taglio dei blocchi",
             }}},
    };
}

namespace layout {

db::Document renderD1(const ListDef& list, const D1List& d1, Form& form)
{
    std::vector<db::Block> body;
    int row = 1;

    db::Table t1;
    t1.columnWidths = {500, 3400, 1400, 2438, 950, 950};
    t1.rows.push_back(header({"N.", "Attività", "Svolta", "Descrizione", "PSC", "POS"}));
    for (const auto& text : d1.activities) {
        t1.rows.push_back(db::row({number(row), text, form.box(rowName("t1c", row, "a")),
                                   form.text(rowName("t1f", row)), form.box(rowName("t1c", row, "b")),
                                   form.box(rowName("t1c", row, "c"))}));
        ++row;
    }
    addTable(body, "T1 - Attività", std::move(t1));

    // The risk boxes must name the T4 rows, which come after T2 and T3: count them first.
    const int t2First = row;
    int t4Row = t2First + static_cast<int>(d1.risks.size() + d1.measures.size());

    db::Table t2;
    t2.columnWidths = {500, 4600, 1400, 3138};
    t2.rows.push_back(header({"N.", "Rischio", "Presente", "Descrizione"}));
    for (const auto& risk : d1.risks) {
        if (risk.measures.empty() || risk.status.size() < 4)
            throw std::logic_error("list " + list.number + ": risk \"" + risk.status + "\" is incomplete");
        const int first = t4Row;
        const int last = first + static_cast<int>(risk.measures.size()) - 1;
        t4Row = last + 1;
        db::Cell description;
        if (risk.status.starts_with("91"))
            description = form.text(rowName("t2f", row), "Descrivere il rischio");
        t2.rows.push_back(db::row({number(row), risk.status,
                                   form.box(rowName("t2c", row), risk.status,
                                            threeDigits(first) + threeDigits(last)),
                                   description}));
        ++row;
    }
    addTable(body, "T2 - Rischi", std::move(t2));

    db::Table t3;
    t3.columnWidths = {500, 7738, 1400};
    t3.rows.push_back(header({"N.", "Misura di sicurezza", "Adottata"}));
    for (const auto& text : d1.measures) {
        t3.rows.push_back(db::row({number(row), text, form.box(rowName("t3c", row))}));
        ++row;
    }
    addTable(body, "T3 - Misure di sicurezza", std::move(t3));

    for (const auto& risk : d1.risks)
        addTable(body, "T4 - Rischio " + risk.status,
                 measuresTable(form, row, risk.measures, "t4r" + risk.status.substr(0, 2) + "l", "t4f",
                               "t4c", "Misura"));

    addTable(body, "T5 - Procedure",
             measuresTable(form, row, d1.procedures, "t5l", "t5f", "t5c", "Procedura"));
    return listDocument(list, std::move(body), form);
}

} // namespace layout
} // namespace sample
