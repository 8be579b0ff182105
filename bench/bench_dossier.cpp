#include "bench/bench_dossier.h"

#include "data/generator/sample_root.h"
#include "engine/engine.h"
#include "tests/fixture_docs.h"
#include "tests/recording_frame.h"

#include <cstdio>
#include <stdexcept>

namespace benchdossier {

Sources::Sources(const fs::path& scratch) : sampleRoot_(scratch / "sample")
{
    sample::writeSampleRoot(sampleRoot_.string());
    engine::ProgramState state;
    state.cRootDir = sampleRoot_.string();
    testsupport::RecordingFrame frame;
    engine::Engine e(state, frame);
    if (!e.MTDLOAD1())
        throw std::runtime_error("the sample index does not load");
    e.FNZCLOSEALL();
    const fs::path dossier = sampleRoot_ / "DATI" / sample::kDossierName;
    header_ = dossier / "0.00.01.doc";
    for (const auto& row : state.aListIndex) {
        const fs::path file = dossier / (row.number + ".DOC");
        if (row.number != "0.00.01" && fs::exists(file))
            lists_.push_back({file, row.title, row.kind});
    }
    if (lists_.empty() || !fs::exists(header_))
        throw std::runtime_error("the sample dossier has no lists");
}

std::string listNumber(int i)
{
    const int section = i / 99;
    char number[16];
    std::snprintf(number, sizeof number, "%d.%02d.%02d", 1 + section % 5, 1 + section / 5, 1 + i % 99);
    return number;
}

void writeRoot(const Sources& sources, const fs::path& root, int lists)
{
    const fs::path dossier = root / "DATI" / std::string(kDossierDir).substr(1);
    fs::create_directories(dossier);
    for (const char* name : {"_Stato_Liste.doc", "_Rapporto_Fascicolo.doc"})
        fs::copy_file(sources.sampleRoot() / name, root / name, fs::copy_options::overwrite_existing);
    fs::copy_file(sources.header(), dossier / "0.00.01.doc", fs::copy_options::overwrite_existing);

    std::vector<testsupport::Cells> rows{{"0.00.01", "Dati generali della verifica", "A1", "S", "L00001", "ROOT"}};
    std::string lastSection;
    for (int i = 0; i < lists; ++i) {
        const std::string number = listNumber(i);
        const std::string digit = number.substr(0, 1) + ".00.00";
        const std::string section = number.substr(0, 4) + ".00";
        if (section != lastSection) {
            const std::string top = "T" + engine::withoutPoints(digit);
            if (i < 5 * 99) // the first section of each digit comes with its digit's own
                rows.push_back({digit, "Parte " + digit.substr(0, 1), "", "", top, "ROOT"});
            rows.push_back({section, "Sezione " + section, "", "", "T" + engine::withoutPoints(section), top});
            lastSection = section;
        }
        const auto& source = sources.lists()[static_cast<std::size_t>(i) % sources.lists().size()];
        rows.push_back({number, source.title, source.kind, "", engine::listItemName(number),
                        "T" + engine::withoutPoints(section)});
        fs::copy_file(source.file, dossier / (number + ".DOC"), fs::copy_options::overwrite_existing);
    }
    testsupport::writeIndex((root / "_Indice_Liste.doc").string(), rows);
}

std::vector<std::string> listFiles(const fs::path& root)
{
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(root / "DATI" / std::string(kDossierDir).substr(1))) {
        const std::string name = entry.path().filename().string();
        if (name.size() == 11 && name.ends_with(".DOC") && name != "0.00.01.doc")
            files.push_back(entry.path().string());
    }
    return files;
}

} // namespace benchdossier
