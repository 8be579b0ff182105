// Kind B1: T1 the contents a document must have (boxes t1c, all to be ticked), T2 further
// indications (box t2c and description t2f), numbered on from T1.
#include "data/generator/layout.h"

namespace sample {

std::vector<ListDef> b1Lists()
{
    return {
        {.number = "1.01.02",
         .title = "Piano operativo di sicurezza (POS) - contenuti minimi",
         .mandatory = true,
         .intro = "Spuntare i contenuti presenti nel POS consegnato dall'impresa.",
         .content = B1List{
             .requirements = {
                 "Dati identificativi dell'impresa esecutrice e nominativo del datore di lavoro",
                 "Mansioni inerenti alla sicurezza svolte in cantiere da ogni figura nominata",
                 "Descrizione dell'attività di cantiere, delle modalità organizzative e dei turni di lavoro",
                 "Elenco dei ponteggi, delle opere provvisionali, delle macchine e degli impianti utilizzati",
                 "Elenco delle sostanze pericolose utilizzate, con le relative schede di sicurezza",
                 "Esito della valutazione del rumore",
                 "Misure preventive e protettive integrative rispetto a quelle del PSC",
                 "Procedure complementari e di dettaglio richieste dal PSC",
                 "Elenco dei dispositivi di protezione individuale forniti ai lavoratori",
                 "Documentazione sull'informazione e sulla formazione fornite ai lavoratori",
             },
             .further = {
                 "Allegati al POS (specificare)",
                 "Modifiche rispetto alla revisione precedente (specificare)",
                 "Altre osservazioni del coordinatore",
             }}},
        {.number = "1.01.03",
         .title = "Verifica dell'idoneità tecnico-professionale dell'impresa",
         .intro = "Spuntare i documenti esibiti dall'impresa affidataria.",
         .content = B1List{
             .requirements = {
                 "Iscrizione alla Camera di commercio con oggetto sociale inerente all'appalto",
                 "Documento di valutazione dei rischi (DVR)",
                 "Documento unico di regolarità contributiva (DURC) in corso di validità",
                 "Dichiarazione di non essere oggetto di provvedimenti di sospensione",
                 "Nomina del responsabile del servizio di prevenzione e protezione",
                 "Nomina degli addetti al primo soccorso e alla prevenzione incendi",
                 "Nomina del medico competente",
                 "Attestati di formazione dei lavoratori e dei preposti",
                 "Elenco dei DPI consegnati ai lavoratori",
                 "Documentazione di macchine, attrezzature e opere provvisionali",
                 "Dichiarazione dell'organico medio annuo distinto per qualifica",
                 "Contratto collettivo applicato ai lavoratori dipendenti",
             },
             .further = {
                 "Subappalti previsti (specificare imprese e lavorazioni)",
                 "Lavoratori autonomi presenti in cantiere (specificare)",
             }}},
        {.number = "3.06.01",
         .title = "Impianto elettrico di cantiere - documentazione",
         .intro = "Spuntare i documenti dell'impianto elettrico e di terra presenti in cantiere.",
         .content = B1List{
             .requirements = {
                 "Progetto dell'impianto elettrico di cantiere, quando richiesto",
                 "Dichiarazione di conformità dell'impianto rilasciata dall'installatore",
                 "Dichiarazione di conformità dell'impianto di messa a terra",
                 "Invio della dichiarazione di conformità all'INAIL e all'ASL",
                 "Verifica periodica dell'impianto di messa a terra",
                 "Valutazione del rischio di fulminazione delle strutture metalliche",
                 "Quadri elettrici per cantiere (ASC) con marcatura e targa",
             },
             .further = {
                 "Gruppi elettrogeni utilizzati (specificare)",
                 "Altre osservazioni del coordinatore",
             }}},
    };
}

namespace layout {

db::Document renderB1(const ListDef& list, const B1List& b1, Form& form)
{
    int row = 1;
    db::Table t1;
    t1.columnWidths = {500, 7738, 1400};
    t1.rows.push_back(header({"N.", "Adempimento / contenuto del documento", "Presente"}));
    for (const auto& text : b1.requirements) {
        t1.rows.push_back(db::row({number(row), text, form.box(rowName("t1c", row))}));
        ++row;
    }
    db::Table t2;
    t2.columnWidths = {500, 4800, 1000, 3338};
    t2.rows.push_back(header({"N.", "Indicazione", "Sì", "Descrizione"}));
    for (const auto& text : b1.further) {
        t2.rows.push_back(db::row({number(row), text, form.box(rowName("t2c", row)),
                                   form.text(rowName("t2f", row))}));
        ++row;
    }
    std::vector<db::Block> body;
    addTable(body, "T1 - Adempimenti / contenuti del documento", std::move(t1));
    addTable(body, "T2 - Ulteriori indicazioni", std::move(t2));
    return listDocument(list, std::move(body), form);
}

} // namespace layout
} // namespace sample
