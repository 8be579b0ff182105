// Kinds E1 and E2: measures tables only. E1 has T1 safety measures and T2 DPI, numbered on
// from T1; E2 has T1 alone. In each row the coordinator writes S in the selection field.
#include "data/generator/layout.h"

namespace sample {

std::vector<ListDef> eLists()
{
    const std::string intro = "Nella colonna Sel. scrivere S per le misure previste, descriverle e "
                              "spuntare quelle attuate.";
    return {
        {.number = "3.04.01",
         .title = "Servizi igienico assistenziali e baraccamenti",
         .intro = intro,
         .content = E1List{
             .measures = {
                 "Box ufficio e spogliatoio riscaldati, aerati e illuminati",
                 "Gabinetti chimici o allacciati alla fognatura, in numero adeguato agli addetti",
                 "Lavabi con acqua corrente e mezzi detergenti",
                 "Locale di refezione con tavoli, sedili e scaldavivande",
                 "Armadietti a doppio scomparto per gli indumenti",
                 "Pulizia periodica dei locali e dei servizi",
             },
             .dpi = {
                 "Indumenti da lavoro forniti dall'impresa",
                 "Indumenti di protezione dal freddo e dalla pioggia",
                 "Guanti in lattice per le operazioni di pulizia",
             }}},
        {.number = "3.05.01",
         .title = "Gestione delle emergenze e primo soccorso",
         .intro = intro,
         .content = E1List{
             .measures = {
                 "Cassetta di pronto soccorso con il contenuto minimo di legge",
                 "Addetti al primo soccorso designati e formati, presenti in cantiere",
                 "Numeri telefonici di emergenza esposti nel box ufficio",
                 "Estintori portatili vicino ai depositi e ai quadri elettrici",
                 "Percorsi di esodo e punto di raccolta segnalati",
             },
             .dpi = {
                 "Guanti monouso e maschera per la rianimazione",
                 "Guanti e indumenti di protezione per gli addetti antincendio",
             }}},
        {.number = "5.05.01",
         .title = "Utensili elettrici portatili",
         .intro = intro,
         .content = E1List{
             .measures = {
                 "Utensili a doppio isolamento (classe II) con marcatura CE",
                 "Cavi di alimentazione e prolunghe integri, adatti alla posa mobile",
                 "Protezioni degli organi lavoratori (carter, cuffie) presenti ed efficienti",
                 "Utensili alimentati da quadro con interruttore differenziale",
                 "Integrità verificata dall'addetto prima dell'uso",
             },
             .dpi = {
                 "Occhiali di protezione",
                 "Otoprotettori",
                 "Guanti di protezione meccanica",
                 "Mascherine antipolvere FFP2",
             }}},
        {.number = "5.03.01",
         .title = "Escavatori e pale meccaniche",
         .intro = intro,
         .content = E2List{{
             "Macchina con marcatura CE e libretto d'uso e manutenzione",
             "Registro dei controlli periodici aggiornato",
             "Cabina con protezione contro il ribaltamento (ROPS) e la caduta di oggetti (FOPS)",
             "Segnalatore acustico e luminoso di retromarcia efficiente",
             "Operatore formato e abilitato alla conduzione",
             "Divieto di sostare nel raggio d'azione della macchina segnalato",
         }}},
        {.number = "5.06.01",
         .title = "Ponteggi metallici fissi",
         .intro = intro,
         .content = E2List{{
             "Ponteggio di tipo autorizzato, con il libretto del fabbricante in cantiere",
             "Piano di montaggio, uso e smontaggio (PiMUS) redatto e disponibile",
             "Montaggio eseguito da addetti formati sotto la sorveglianza di un preposto",
             "Progetto firmato da un tecnico abilitato oltre 20 m di altezza o per schemi non tipo",
             "Impalcati completi, con tavole accostate e fissate",
             "Parapetti con corrente superiore, corrente intermedio e tavola fermapiede",
             "Ancoraggi alla struttura secondo lo schema del libretto",
             "Messa a terra del ponteggio secondo la valutazione del rischio di fulminazione",
         }}},
        {.number = "5.06.02",
         .title = "Parapetti provvisori e reti di sicurezza",
         .intro = intro,
         .content = E2List{{
             "Parapetti provvisori su tutti i lati liberi prospicienti il vuoto",
             "Parapetti alti almeno 1 m, con tavola fermapiede",
             "Aperture nei solai protette con coperture fissate o parapetti",
             "Reti di sicurezza installate e verificate sotto le zone di lavoro in quota",
             "Vani scala e vani ascensore protetti",
         }}},
    };
}

namespace layout {

db::Document renderE1(const ListDef& list, const E1List& e1, Form& form)
{
    int row = 1;
    db::Table t1 = measuresTable(form, row, e1.measures, "t1l", "t1f", "t1c", "Misura di sicurezza");
    db::Table t2 = measuresTable(form, row, e1.dpi, "t2l", "t2f", "t2c", "Dispositivo");
    std::vector<db::Block> body;
    addTable(body, "T1 - Misure di sicurezza", std::move(t1));
    addTable(body, "T2 - Dispositivi di protezione individuale (DPI)", std::move(t2));
    return listDocument(list, std::move(body), form);
}

db::Document renderE2(const ListDef& list, const E2List& e2, Form& form)
{
    int row = 1;
    db::Table t1 = measuresTable(form, row, e2.measures, "t1l", "t1f", "t1c", "Misura di sicurezza");
    std::vector<db::Block> body;
    addTable(body, "T1 - Misure di sicurezza", std::move(t1));
    return listDocument(list, std::move(body), form);
}

} // namespace layout
} // namespace sample
