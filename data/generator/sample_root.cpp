#include "data/generator/sample_root.h"

#include "data/generator/lists.h"
#include "data/generator/root_parts.h"

#include <filesystem>
#include <set>

namespace sample {

void writeSampleRoot(const std::string& root)
{
    namespace fs = std::filesystem;
    const fs::path base(root);
    const fs::path dossier = base / "DATI" / kDossierName;
    for (const fs::path& folder : {base / "LDC", base / "WRD", dossier})
        fs::create_directories(folder);

    auto put = [](const docbuilder::Document& doc, const fs::path& path) {
        docbuilder::write(doc, path.string());
    };
    put(indexDocument(), base / "_Indice_Liste.doc");
    put(statusDocument(), base / "_Stato_Liste.doc");
    put(reportDocument(), base / "_Rapporto_Fascicolo.doc");
    put(mergeTemplate(), base / "_Fascicolo1.dot");

    std::set<std::string> withLists;
    for (const auto& list : allLists()) {
        put(renderList(list), base / "LDC" / (list.number + ".DOC"));
        withLists.insert(list.number.substr(0, 4) + ".00");
    }
    for (const auto& section : sections())
        if (withLists.contains(section.number))
            put(separatorDocument(section), base / "WRD" / (section.number + ".DOC"));

    writeDossier(dossier.string());
}

} // namespace sample
