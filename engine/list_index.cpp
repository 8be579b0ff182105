#include "engine/engine.h"

#include "runtime/file_lookup.h"

#include <array>

namespace engine {

namespace {

constexpr const char* kIndexFile = "_Indice_Liste.doc";

struct CatalogueRow {
    const char* number;
    const char* title;
};

// The sections the program knows without an index.
constexpr std::array<CatalogueRow, 32> kCatalogue = {{
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
}};

// The first failing validation test of a row, or nullptr.
const char* validationError(const IndexRow& row)
{
    if (isBlank(row.title))
        return "Errore nell'indice liste [Titolo] riga: ";
    if (!row.symbol.empty() && row.symbol[0] == 'L' && isBlank(row.kind))
        return "Errore nell'indice liste [Tipo] riga: ";
    if (isBlank(row.symbol) || (row.symbol[0] != 'T' && row.symbol[0] != 'L'))
        return "Errore nell'indice liste [Simbolo] riga: ";
    if (isBlank(row.parent) || (row.parent[0] != 'T' && row.parent[0] != 'R'))
        return "Errore nell'indice liste [Simbolo Padre] riga: ";
    return nullptr;
}

} // namespace

bool Engine::MTDLOAD1()
{
    state_.aSectionIndex.clear();
    state_.aListIndex.clear();

    const auto found = vendrik::findFile(state_.cRootDir, kIndexFile);
    if (!found) {
        frame_.messageBox(vendrik::joinPath(state_.cRootDir, kIndexFile) + "\r\n"
                              + "Il file indice liste non esiste",
                          kCaptionCorvalta, mb::Stop);
        return false;
    }

    if (wordauto::DOC_Application::WindowExists()) {
        if (oWord) {
            try {
                oWord->Quit();
            } catch (...) {
            }
        }
        frame_.messageBox("Chiudere Word prima di proseguire", kCaptionCorvalta, mb::Exclamation);
    }

    auto progress = frame_.createProgress(kCaptionQuarvello);
    progress->hideCancel();
    progress->setText("Caricamento dati... Attendere...");
    progress->show();
    progress->setRange(1, 100);
    progress->setPosition(0);

    oWord.emplace(); // always a new instance; a held one is dropped
    oWord->Documents().Open(*found, false, true);
    auto doc = oWord->ActiveDocument();
    oWord->Visible(false);
    auto table = doc.Tables().Item(1);
    const int n = table.Rows().Count();

    bool result = true;
    for (int i = 2; i <= n; ++i) {
        advanceBar(*progress, percentDown(static_cast<std::uint64_t>(i), static_cast<std::uint64_t>(n)));
        auto cell = [&](int c) { return cleanCell(table.Cell(i, c).Range().Text_()); };
        IndexRow row;
        row.number = cell(1);
        if (isBlank(row.number))
            continue;
        row.title = cell(2);
        row.kind = cell(3);
        const std::string mandatory = cell(4);
        row.symbol = cell(5);
        row.parent = cell(6);
        if (const char* error = validationError(row)) {
            result = false;
            frame_.errorBox(error + std::to_string(i));
            break;
        }
        row.mandatory = mandatory == "S";
        (row.symbol[0] == 'T' ? state_.aSectionIndex : state_.aListIndex).push_back(std::move(row));
    }

    progress->close();
    if (!result) {
        oWord->ActiveDocument().Close();
        oWord->Quit();
        oWord.reset();
    }
    return result;
}

void Engine::MTDLOAD0()
{
    state_.aSectionIndex.clear();
    state_.aListIndex.clear();
    for (const auto& entry : kCatalogue) {
        IndexRow row;
        row.number = entry.number;
        row.title = entry.title;
        row.symbol = "T" + withoutPoints(row.number);
        const bool top = row.number.compare(1, 6, ".00.00") == 0;
        row.parent = top ? std::string(kTreeRoot) : "T" + row.number.substr(0, 1) + "0000";
        state_.aSectionIndex.push_back(std::move(row));
    }
}

} // namespace engine
