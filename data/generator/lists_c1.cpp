// Kind C1: T1 the site's situation (row box t1c..a, description t1f, PSC box t1c..b, POS box
// t1c..c), T2 the safety measures adopted (t2c), T3 their details as a measures table.
#include "data/generator/layout.h"

namespace sample {

std::vector<ListDef> c1Lists()
{
    return {
        {.number = "1.02.01",
         .title = "Situazione generale del cantiere",
         .mandatory = true,
         .intro = "Spuntare le situazioni presenti e dove sono trattate (PSC, POS); nella colonna Sel. "
                  "scrivere S per le misure previste.",
         .content = C1List{
             .situations = {
                 "Cantiere in area urbana con traffico veicolare e pedonale adiacente",
                 "Edifici confinanti o strutture a ridosso dell'area di lavoro",
                 "Linee elettriche aeree nell'area o al contorno del cantiere",
                 "Sottoservizi (gas, acqua, fognatura, linee elettriche interrate)",
                 "Altri cantieri o attività produttive confinanti",
                 "Scuole, ospedali o altri ricettori sensibili nelle vicinanze",
             },
             .measures = {
                 "Recinzione dell'area di cantiere e separazione dei percorsi pedonali",
                 "Segnaletica stradale di avvicinamento e di cantiere",
                 "Individuazione e segnalazione dei sottoservizi prima degli scavi",
                 "Coordinamento con le imprese e le attività confinanti",
                 "Limitazione degli orari delle lavorazioni rumorose",
             },
             .details = {
                 "Recinzione in pannelli metallici alta almeno 2 m, con rete antipolvere",
                 "Passaggio pedonale protetto lungo il fronte stradale",
                 "Moviere durante l'ingresso e l'uscita dei mezzi",
                 "Tracciamento dei sottoservizi con l'ente gestore",
                 "Riunione di coordinamento con le imprese confinanti",
             }}},
        {.number = "2.02.01",
         .title = "Linee elettriche e sottoservizi interferenti",
         .intro = "Spuntare le reti presenti e dove sono trattate (PSC, POS); nella colonna Sel. "
                  "scrivere S per le misure previste.",
         .content = C1List{
             .situations = {
                 "Linee elettriche aeree a meno di 7 m dalle zone di lavoro",
                 "Cavi elettrici interrati nell'area degli scavi",
                 "Condotte del gas interrate",
                 "Condotte dell'acquedotto e della fognatura",
                 "Linee telefoniche e di trasmissione dati",
             },
             .measures = {
                 "Richiesta all'ente gestore di disattivare o proteggere la linea",
                 "Tracciamento in superficie dei sottoservizi",
                 "Scavo a mano in prossimità delle condotte",
                 "Sbarramenti e segnaletica per mantenere le distanze di sicurezza",
             },
             .details = {
                 "Isolamento della linea aerea a cura dell'ente gestore",
                 "Portali di limitazione dell'altezza per il passaggio dei mezzi",
                 "Assistenza dell'ente gestore durante gli scavi",
                 "Segnalazione dei tracciati con picchetti e vernice",
             }}},
        {.number = "3.02.01",
         .title = "Recinzione e delimitazione del cantiere",
         .intro = "Spuntare le situazioni presenti e dove sono trattate (PSC, POS); nella colonna Sel. "
                  "scrivere S per le misure previste.",
         .content = C1List{
             .situations = {
                 "Cantiere confinante con la pubblica via",
                 "Accessi carrabili che interferiscono con la viabilità pubblica",
                 "Aree di lavoro esterne alla recinzione (occupazione di suolo pubblico)",
                 "Terzi non addetti ai lavori nell'area (edificio abitato)",
             },
             .measures = {
                 "Recinzione continua e stabile lungo tutto il perimetro",
                 "Cancelli di accesso chiusi fuori dall'orario di lavoro",
                 "Cartello di cantiere e cartelli di divieto di accesso",
                 "Illuminazione notturna della recinzione sulla pubblica via",
             },
             .details = {
                 "Recinzione in pannelli metallici grigliati su basamenti",
                 "Lanterne a luce rossa fissa sugli spigoli della recinzione",
                 "Percorso protetto per l'accesso dei residenti",
                 "Cartello di cantiere con i dati della notifica preliminare",
             }}},
    };
}

namespace layout {

db::Document renderC1(const ListDef& list, const C1List& c1, Form& form)
{
    int row = 1;
    db::Table t1;
    t1.columnWidths = {500, 3400, 1400, 2438, 950, 950};
    t1.rows.push_back(header({"N.", "Situazione", "Presente", "Descrizione", "PSC", "POS"}));
    for (const auto& text : c1.situations) {
        t1.rows.push_back(db::row({number(row), text, form.box(rowName("t1c", row, "a")),
                                   form.text(rowName("t1f", row)), form.box(rowName("t1c", row, "b")),
                                   form.box(rowName("t1c", row, "c"))}));
        ++row;
    }
    db::Table t2;
    t2.columnWidths = {500, 7738, 1400};
    t2.rows.push_back(header({"N.", "Misura di sicurezza", "Adottata"}));
    for (const auto& text : c1.measures) {
        t2.rows.push_back(db::row({number(row), text, form.box(rowName("t2c", row))}));
        ++row;
    }
    db::Table t3 = measuresTable(form, row, c1.details, "t3l", "t3f", "t3c", "Dettaglio della misura");
    std::vector<db::Block> body;
    addTable(body, "T1 - Situazione del cantiere", std::move(t1));
    addTable(body, "T2 - Misure di sicurezza", std::move(t2));
    addTable(body, "T3 - Dettaglio delle misure di sicurezza", std::move(t3));
    return listDocument(list, std::move(body), form);
}

} // namespace layout
} // namespace sample
