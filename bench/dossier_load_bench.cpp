// What loading costs at the largest sizes a coordinator meets: an index of 10,000 rows, and a
// dossier of 1,000 list documents read into the tree with their header.

#include "data/docbuilder/docbuilder.h"
#include "engine/engine.h"
#include "tests/fixture_docs.h"
#include "tests/recording_frame.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;
namespace db = docbuilder;

namespace {

constexpr int kIndexRows = 10000;
constexpr int kDossierLists = 1000;

std::string number(int section, int list)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d.%02d.%02d", 1 + section / 100, section % 100, list);
    return buf;
}

// A root folder with the index and one dossier, written once.
struct Root {
    fs::path dir = fs::temp_directory_path() / "quarvello_dossier_bench";
    std::string dossierDir = "/Cantiere";

    Root()
    {
        fs::remove_all(dir);
        fs::create_directories(dir / "DATI" / "Cantiere");
        std::vector<testsupport::Cells> rows;
        for (int s = 0; rows.size() < kIndexRows; ++s) {
            const std::string sec = number(s, 0);
            rows.push_back({sec, "Sezione " + sec, "", "", "T" + engine::withoutPoints(sec), "ROOT"});
            for (int l = 1; l <= 99 && rows.size() < kIndexRows; ++l) {
                const std::string n = number(s, l);
                rows.push_back({n, "Lista " + n, "B1", l % 7 ? "" : "S", engine::listItemName(n),
                                "T" + engine::withoutPoints(sec)});
            }
        }
        testsupport::writeIndex((dir / "_Indice_Liste.doc").string(), rows);
        int written = 0;
        for (const auto& r : rows) {
            if (r[4][0] != 'L' || written == kDossierLists)
                continue;
            db::Document d;
            d.body = {db::Paragraph("Lista " + r[0]),
                      db::table({db::row({"001", db::CheckBox{"t1c001", true}}),
                                 db::row({"002", db::CheckBox{"t1c002", false}})}),
                      db::para({"Note: ", db::TextField{"note1", ""}})};
            db::write(d, (dir / "DATI" / "Cantiere" / (r[0] + ".DOC")).string());
            ++written;
        }
        db::Document header;
        header.body = {db::para({db::TextField{"f001", "Edil Rossi S.r.l."}, db::TextField{"f006", "05.03.2026"}})};
        db::write(header, (dir / "DATI" / "Cantiere" / "0.00.01.DOC").string());
    }
    ~Root() { fs::remove_all(dir); }
};

Root& root()
{
    static Root r;
    return r;
}

void BM_IndexLoad(benchmark::State& st)
{
    engine::ProgramState state;
    state.cRootDir = root().dir.string();
    testsupport::RecordingFrame frame;
    engine::Engine e(state, frame);
    double seconds = 0;
    for (auto _ : st) {
        const auto t0 = std::chrono::steady_clock::now();
        if (!e.MTDLOAD1())
            st.SkipWithError("index not loaded");
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        e.FNZCLOSEALL();
    }
    st.counters["rows"] = static_cast<double>(state.aSectionIndex.size() + state.aListIndex.size());
    st.counters["us_per_row"] = seconds / static_cast<double>(st.iterations()) / kIndexRows * 1e6;
}

void BM_DossierLoad(benchmark::State& st)
{
    engine::ProgramState state;
    state.cRootDir = root().dir.string();
    state.cDossierDir = root().dossierDir;
    testsupport::RecordingFrame frame;
    frame.dossierBox = state.cDossierDir;
    engine::Engine e(state, frame);
    if (!e.MTDLOAD1())
        st.SkipWithError("index not loaded");
    double seconds = 0;
    for (auto _ : st) {
        const auto t0 = std::chrono::steady_clock::now();
        e.FNZLOAD();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    }
    // The header is no list of this index: it is reported and dropped, the lists all load.
    if (state.aDossierLists.size() != kDossierLists)
        st.SkipWithError("not every list was loaded");
    st.counters["lists"] = static_cast<double>(state.aDossierLists.size());
    st.counters["us_per_list"] = seconds / static_cast<double>(st.iterations()) / kDossierLists * 1e6;
    e.FNZCLOSEALL();
}

} // namespace

BENCHMARK(BM_IndexLoad)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_DossierLoad)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_MAIN();
