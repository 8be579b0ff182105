// The result documents a report run fills, "_Stato_Liste.doc" and "_Rapporto_Fascicolo.doc",
// and the merge template "_Fascicolo1.dot". The run inserts its rows above the template row,
// which ends as the last data row; so a filled document here has exactly one row per result.
#include "data/generator/root_parts.h"

namespace sample {

namespace db = docbuilder;

namespace {

// The template row when there are no results: blank cells the run writes into.
db::Row blankRow(int columns)
{
    return db::Row{std::vector<db::Cell>(static_cast<std::size_t>(columns))};
}

const char* const kStatusLegend =
    "Stato: 1 lista vuota, 2 dati obbligatori mancanti, 3 dati inseriti dove non selezionato, "
    "4 lista completa.";

} // namespace

db::Document statusDocument(const std::vector<StatusRow>& rows)
{
    db::Table t;
    t.columnWidths = {1500, 1200};
    t.rows.push_back(db::row({db::bold("Lista"), db::bold("Stato")}));
    for (const auto& r : rows)
        t.rows.push_back(db::row({r.list, std::to_string(r.status)}));
    if (rows.empty())
        t.rows.push_back(blankRow(2));

    db::Document doc;
    doc.pageNumberFooter = true;
    doc.title = "Stato delle liste di controllo";
    doc.author = "Quarvello";
    doc.body = {db::bold("STATO DELLE LISTE DI CONTROLLO"), kStatusLegend, std::move(t)};
    return doc;
}

db::Document reportDocument(const std::vector<Finding>& findings, const std::vector<Measure>& measures)
{
    // The readers start at the second header row; its first cell must not be a list number.
    db::Table t1;
    t1.columnWidths = {1250, 1700, 5688, 1000};
    t1.rows.push_back(db::row({db::span(4, db::bold("Rilievi delle liste di controllo"))}));
    t1.rows.push_back(db::row({db::bold("Lista"), db::bold("Riferimento"), db::bold("Messaggio"),
                               db::bold("Stato")}));
    for (const auto& f : findings)
        t1.rows.push_back(db::row({f.list, f.reference, f.message, std::to_string(f.status)}));
    if (findings.empty())
        t1.rows.push_back(blankRow(4));

    db::Table t2;
    t2.columnWidths = {1250, 1700, 2000};
    t2.rows.push_back(db::row({db::span(3, db::bold("Misure di sicurezza dichiarate"))}));
    t2.rows.push_back(db::row({db::bold("Lista"), db::bold("Riferimento"), db::bold("Stato misura")}));
    for (const auto& m : measures)
        t2.rows.push_back(db::row({m.list, m.reference, m.state}));
    if (measures.empty())
        t2.rows.push_back(blankRow(3));

    db::Document doc;
    doc.pageNumberFooter = true;
    doc.title = "Rapporto del fascicolo";
    doc.author = "Quarvello";
    doc.body = {db::bold("RAPPORTO DEL FASCICOLO"),
                kStatusLegend,
                std::move(t1),
                "",
                std::move(t2)};
    return doc;
}

db::Document mergeTemplate()
{
    // The merged lists are inserted at the start; anything of the template's own would trail.
    db::Document doc;
    doc.isTemplate = true;
    doc.pageNumberFooter = true;
    doc.title = "Fascicolo delle liste di controllo";
    doc.author = "Quarvello";
    return doc;
}

} // namespace sample
