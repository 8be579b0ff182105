// Kind A1: plain forms of text fields f001, f002, ...; the status-bar text of each field is its
// label, which the report quotes when the field is left blank.
#include "data/generator/layout.h"

namespace sample {

std::vector<ListDef> a1Lists()
{
    return {
        {.number = "0.00.01",
         .title = "Dati generali della verifica",
         .mandatory = true,
         .intro = "Compilare i dati della verifica in cantiere; la data nella forma gg.mm.aaaa.",
         .content = A1List{{
             "Ragione sociale dell'impresa",
             "Committente",
             "Descrizione dei lavori",
             "Indirizzo del cantiere",
             "Verifica effettuata da",
             "Data della verifica (gg.mm.aaaa)",
         }}},
        {.number = "1.01.01",
         .title = "Anagrafica dell'impresa esecutrice",
         .mandatory = true,
         .intro = "Riportare i dati dell'impresa come risultano dalla visura camerale e dal POS.",
         .content = A1List{{
             "Ragione sociale dell'impresa",
             "Partita IVA",
             "Sede legale",
             "Posizione INAIL",
             "Posizione INPS",
             "Cassa Edile di iscrizione",
             "Datore di lavoro",
             "Responsabile del servizio di prevenzione e protezione (RSPP)",
             "Rappresentante dei lavoratori per la sicurezza (RLS)",
             "Medico competente",
             "Preposto in cantiere",
         }}},
        {.number = "1.02.02",
         .title = "Figure responsabili della sicurezza del cantiere",
         .intro = "Indicare nome, qualifica e recapito di ciascuna figura.",
         .content = A1List{{
             "Committente",
             "Responsabile dei lavori",
             "Coordinatore per la progettazione (CSP)",
             "Coordinatore per l'esecuzione dei lavori (CSE)",
             "Direttore dei lavori",
             "Estremi della notifica preliminare",
         }}},
    };
}

namespace layout {

db::Document renderA1(const ListDef& list, const A1List& a1, Form& form)
{
    db::Table t;
    t.columnWidths = {500, 4300, 4838};
    t.rows.push_back(header({"N.", "Dato", "Valore"}));
    int row = 1;
    for (const auto& label : a1.fields) {
        t.rows.push_back(db::row({number(row), label, form.text(rowName("f", row), label)}));
        ++row;
    }
    std::vector<db::Block> body;
    addTable(body, "Dati", std::move(t));
    return listDocument(list, std::move(body), form);
}

} // namespace layout
} // namespace sample
