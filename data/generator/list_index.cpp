// The list index "_Indice_Liste.doc" and the section separators of WRD.
#include "data/generator/lists.h"
#include "data/generator/root_parts.h"

#include <stdexcept>

namespace sample {

namespace db = docbuilder;

const std::vector<Section>& sections()
{
    static const std::vector<Section> all = {
        {"0.00.00", "DATI GENERALI"},
        {"1.00.00", "SICUREZZA PREVENTIVA"},
        {"1.01.00", "Impresa"},
        {"1.02.00", "Cantiere"},
        {"2.00.00", "SICUREZZA GENERALE"},
        {"2.01.00", "Protezione e misure di sicurezza contro i rischi naturali"},
        {"2.02.00", "Rischi dovuti a reti e servizi tecnici nell'area del cantiere o al contorno"},
        {"3.00.00", "ORGANIZZAZIONE DEL CANTIERE"},
        {"3.01.00", "Accessi, depositi e segnaletica"},
        {"3.02.00", "Protezione di terzi - Delimitazione del cantiere"},
        {"3.03.00", "Provvedimenti per evitare o ridurre le emissioni inquinanti"},
        {"3.04.00", "Servizi igienico assistenziali"},
        {"3.05.00", "Presidi sanitari e emergenze"},
        {"3.06.00", "Installazione ed esercizio degli impianti e delle macchine"},
        {"3.07.00", "Installazione ed esercizio dei posti di lavoro fissi"},
        {"4.00.00", "SICUREZZA DI FASE"},
        {"4.01.00", "Costruzioni edili in genere"},
        {"4.02.00", "Costruzioni stradali in genere"},
        {"4.03.00", "Gallerie"},
        {"4.04.00", "Canalizzazioni"},
        {"4.05.00", "Fognature"},
        {"4.06.00", "Lavorazioni ferrotranviarie"},
        {"4.07.00", "Fondazioni speciali"},
        {"4.08.00", "Impermeabilizzazioni"},
        {"4.09.00", "Verniciature industriali"},
        {"4.10.00", "Lavori in situazioni particolari"},
        {"5.00.00", "DOTAZIONI DI LAVORO"},
        {"5.02.00", "Apparecchi di sollevamento e trasporto semoventi"},
        {"5.03.00", "Macchine operatrici"},
        {"5.04.00", "Macchine da lavorazione"},
        {"5.05.00", "Utensili"},
        {"5.06.00", "Opere provvisionali"},
        {"5.07.00", "Attrezzature"},
    };
    return all;
}

std::string symbolOf(char letter, const std::string& number)
{
    std::string s(1, letter);
    for (char c : number)
        if (c != '.')
            s += c;
    return s;
}

namespace {

std::string sectionOf(const std::string& listNumber)
{
    return listNumber.substr(0, 4) + ".00";
}

// A top section hangs at the root, the others under the top section of their first digit.
std::string parentOf(const Section& s)
{
    if (s.number.ends_with(".00.00"))
        return "ROOT";
    return symbolOf('T', s.number.substr(0, 1) + ".00.00");
}

} // namespace

db::Document indexDocument()
{
    db::Table t;
    t.columnWidths = {1250, 4038, 800, 1250, 1150, 1150};
    t.rows.push_back(db::row({db::bold("Numero"), db::bold("Titolo"), db::bold("Tipo"),
                              db::bold("Obbligatoria"), db::bold("Simbolo"), db::bold("Simbolo Padre")}));
    std::size_t placed = 0;
    for (const auto& s : sections()) {
        const std::string symbol = symbolOf('T', s.number);
        t.rows.push_back(db::row({db::bold(s.number), db::bold(s.title), "", "", db::bold(symbol),
                                  db::bold(parentOf(s))}));
        // Each list right under its section, so that a parent always comes before its children.
        for (const auto& l : allLists()) {
            if (sectionOf(l.number) != s.number)
                continue;
            t.rows.push_back(db::row({l.number, l.title, kindName(l), l.mandatory ? "S" : "N",
                                      symbolOf('L', l.number), symbol}));
            ++placed;
        }
    }
    if (placed != allLists().size())
        throw std::logic_error("a list of the catalogue belongs to no section");

    db::Document doc;
    doc.pageNumberFooter = true;
    doc.title = "Indice delle liste di controllo";
    doc.author = "Quarvello";
    doc.body = {db::bold("INDICE DELLE LISTE DI CONTROLLO"),
                "Sezioni e liste di controllo del fascicolo. Tipo: schema della lista; "
                "Obbligatoria: S se la lista non può mancare in un fascicolo.",
                std::move(t)};
    return doc;
}

db::Document separatorDocument(const Section& section)
{
    std::string top;
    for (const auto& s : sections())
        if (s.number == section.number.substr(0, 1) + ".00.00")
            top = s.title;

    db::Document doc;
    doc.pageNumberFooter = true;
    doc.title = "Sezione " + section.number;
    doc.author = "Quarvello";
    doc.body = {"", "", "", ""};
    if (!section.number.ends_with(".00.00"))
        doc.body.insert(doc.body.end(), {db::bold(top), ""});
    doc.body.insert(doc.body.end(), {db::bold("SEZIONE " + section.number), db::bold(section.title)});
    return doc;
}

} // namespace sample
