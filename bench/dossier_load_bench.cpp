// Start-up on a large dossier: the main window made off screen, MTDINIT run against a generated
// root folder (list index, dossier load with faces and detail rows read back from the result
// documents of a report run), timed until the tree is filled; and the dossier load alone. Both at
// 1,000 and 10,000 lists in one run, so the per-list figures of the two sizes can be compared:
// a load that stays linear keeps them close. Then, in the same window: the list picker filled in
// each mode, and 100 lists spread over the dossier removed and added again through the picker,
// ticked and confirmed by a script as a user would.
//
//   dossier_load_bench [--runs N] [--write FOLDER]
//
// Every figure is the best of N runs (5 unless told): on a shared machine the slower runs
// measure the neighbours. The two sizes take turns, run after run. With --write the generated folders stay in FOLDER, one per size, each
// with its ORMK.INI, so the program can be started on them by hand.

#include "app/dwlist.h"
#include "app/dwmain.h"
#include "bench/bench_dossier.h"
#include "framework/msgbox.h"
#include "tests/recording_frame.h"

#include <QApplication>
#include <QDir>
#include <QHash>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kSizes[] = {1000, 10000};
constexpr int kPicked = 100; // lists removed and added again per run

double seconds(const std::function<void()>& work)
{
    const auto t0 = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Resident and peak resident memory of the process, in MB.
double statusMegabytes(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.starts_with(key)) {
            std::istringstream fields(line.substr(std::strlen(key)));
            double kb = 0;
            fields >> kb;
            return kb / 1024;
        }
    return 0;
}
void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

void quitWord(app::DWMAIN& window)
{
    auto& word = window.engine().oWord;
    if (word && word->IsRunning())
        word->Quit(0);
}

void fail(const std::string& why)
{
    std::fprintf(stderr, "dossier_load_bench: %s\n", why.c_str());
    std::exit(1);
}

// One size: its root folder with the results of a report run, and the settings to start on it.
struct Setup {
    int lists;
    fs::path runDir; // ORMK.INI here, the root folder in root/
    std::vector<std::string> picked; // spread over the dossier, in its order
    fs::path root() const { return runDir / "root"; }

    Setup(const benchdossier::Sources& sources, const fs::path& base, int n) : lists(n), runDir(base / std::to_string(n))
    {
        fs::create_directories(runDir);
        benchdossier::writeRoot(sources, root(), n);
        // The archive holds the picked lists as they are in the dossier, so adding them back
        // leaves the dossier as it was for the next run.
        fs::create_directories(root() / "LDC");
        for (int i = 0; i < kPicked; ++i) {
            picked.push_back(benchdossier::listNumber(i * (n / kPicked) + n / kPicked / 2));
            fs::copy_file(root() / "DATI" / std::string(benchdossier::kDossierDir).substr(1) / (picked.back() + ".DOC"),
                          root() / "LDC" / (picked.back() + ".DOC"), fs::copy_options::overwrite_existing);
        }
        std::ofstream(runDir / "ORMK.INI") << "[STP1]\r\nSLE0=" << root().string() << "\r\nSLE1="
                                           << benchdossier::kDossierDir << "\r\nCB1=1\r\nCB2=1\r\nCB3=1\r\nSLE9=0\r\n";
        runReport();
    }

    void runReport() const
    {
        engine::ProgramState state;
        state.cRootDir = root().string();
        state.cDossierDir = benchdossier::kDossierDir;
        testsupport::RecordingFrame frame;
        frame.dossierBox = state.cDossierDir;
        engine::Engine e(state, frame);
        if (!e.MTDLOAD1())
            fail("the generated index does not load");
        e.FNZLOAD();
        if (state.aDossierLists.size() != static_cast<std::size_t>(lists) + 1)
            fail("the generated dossier does not load whole");
        frame.boxes.clear();
        const double before = statusMegabytes("VmRSS:");
        resetPeak();
        const double s = seconds([&] { e.FNZPARSE(); });
        const double peak = statusMegabytes("VmHWM:");
        const double after = statusMegabytes("VmRSS:");
        if (state.aListStatus.empty() || !fs::exists(root() / "DATI" / "Cantiere" / "_Stato_Liste.doc"))
            fail("the report run left no results");
        std::printf("report run over %5d lists: %7.0f ms; resident memory %6.1f MB before, %6.1f MB at "
                    "its peak, %6.1f MB after (%zu status rows, %zu findings, %zu measures)\n",
                    lists, s * 1e3, before, peak, after, state.aListStatus.size(), state.aListPickRows.size(),
                    state.aRptMeasures.size());
    }
};

struct Figures {
    double startup = 0; // window made and shown, MTDINIT, one pass of the event loop
    double indexLoad = 0;
    double dossierLoad = 0;
    double engineLoad = 0; // the same load into a plain recording frame: the engine's own share
    double pickerPrn = 0;  // the picker made and filled, each mode
    double pickerDel = 0;
    double pickerAdd = 0;  // with the picked lists out of the dossier
    double listDel = 0;    // the command, picker and tree, with the lists ticked and confirmed
    double listAdd = 0;
};

// The picker of `mode`, made with the window as its owner and filled.
double fillPicker(app::DWMAIN& window, const char* mode, int expectedItems)
{
    std::unique_ptr<app::DWLIST> picker;
    const double s = seconds([&] {
        picker = std::make_unique<app::DWLIST>(&window, QString::fromLatin1(mode), window.engine().state());
    });
    if (picker->itemCount() != expectedItems)
        fail(std::string("the picker in mode ") + mode + " shows " + std::to_string(picker->itemCount())
             + " lists, not " + std::to_string(expectedItems));
    return s;
}

// Runs a list command of the window; when its picker shows, ticks `numbers` and presses OK.
double pickAndRun(app::DWMAIN& window, const char* command, const std::vector<std::string>& numbers)
{
    bool picked = false;
    QTimer::singleShot(0, &window, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* picker = qobject_cast<app::DWLIST*>(w); picker && picker->isVisible()) {
                QHash<QString, int> rows;
                for (int i = 0; i < picker->itemCount(); ++i)
                    rows.insert(picker->itemNumber(i), i);
                for (const auto& n : numbers) {
                    const int row = rows.value(QString::fromStdString(n), -1);
                    if (row < 0)
                        fail(std::string(command) + ": the picker does not show " + n);
                    picker->setItemChecked(row, true);
                }
                picked = true;
                picker->findChild<QPushButton*>(QStringLiteral("PBOK"))->click();
                return;
            }
    });
    const double s = seconds([&] { QMetaObject::invokeMethod(&window, command); });
    if (!picked)
        fail(std::string(command) + ": the picker did not show");
    return s;
}

// One run of every measurement on one size. The sizes take turns run after run, so both meet
// the same spells of load on a shared machine and their ratio stays fair.
Figures measureOnce(const Setup& setup)
{
    if (!QDir::setCurrent(QString::fromStdString(setup.runDir.string())))
        fail("cannot work in " + setup.runDir.string());
    const auto expectedItems = [&](app::DWMAIN& w) {
        // Every list item and at least one detail row under some of them.
        if (w.engine().state().aDossierLists.size() != static_cast<std::size_t>(setup.lists) + 1
            || w.TV1->ITEMCOUNT() <= setup.lists || !vendrik::MessageBoxLog::shown().empty()) {
            for (const auto& box : vendrik::MessageBoxLog::shown())
                std::fprintf(stderr, "%s\n", box.text.toStdString().c_str());
            fail("the start-up did not fill the tree as expected: " + std::to_string(w.TV1->ITEMCOUNT())
                 + " items");
        }
    };
    Figures f;
    vendrik::MessageBoxLog::reset();
    vendrik::MessageBoxLog::setScripted(true);
    engine::ProgramState state;
    std::unique_ptr<app::DWMAIN> window;
    f.startup = seconds([&] {
        window = std::make_unique<app::DWMAIN>(state);
        window->show();
        window->MTDINIT();
        QApplication::processEvents();
    });
    expectedItems(*window);
    window->engine().FNZCLOSEALL(); // else the index load warns of the Word it finds running
    f.indexLoad = seconds([&] { window->engine().MTDLOAD1(); });
    f.dossierLoad = seconds([&] { window->engine().FNZLOAD(); });
    expectedItems(*window);
    quitWord(*window);

    // The picker, then 100 lists removed and added again in the same window.
    const int inDossier = setup.lists + 1; // with the header list
    f.pickerPrn = fillPicker(*window, "PRN", inDossier);
    f.pickerDel = fillPicker(*window, "DEL", inDossier);
    vendrik::MessageBoxLog::queueAnswer(vendrik::answer::Yes); // "Procedere?"
    f.listDel = pickAndRun(*window, "FNZLISTDEL", setup.picked);
    const auto& lists = window->engine().state().aDossierLists;
    if (lists.size() != static_cast<std::size_t>(inDossier - kPicked) || window->TV1->GETITEMATTRIBUTES(
            QString::fromStdString(engine::listItemName(setup.picked.front()))))
        fail("FNZLISTDEL did not remove the picked lists");
    if (vendrik::MessageBoxLog::shown().size() != 1)
        fail("FNZLISTDEL showed more than its question");
    vendrik::MessageBoxLog::clear();
    f.pickerAdd = fillPicker(*window, "ADD", kPicked);
    f.listAdd = pickAndRun(*window, "FNZLISTADD", setup.picked);
    if (lists.size() != static_cast<std::size_t>(inDossier) || !vendrik::MessageBoxLog::shown().empty()
        || !window->TV1->GETITEMATTRIBUTES(QString::fromStdString(engine::listItemName(setup.picked.front()))))
    {
        for (const auto& box : vendrik::MessageBoxLog::shown())
            std::fprintf(stderr, "%s\n", box.text.toStdString().c_str());
        fail("FNZLISTADD did not bring the picked lists back");
    }
    window.reset();

    engine::ProgramState plain;
    plain.cRootDir = setup.root().string();
    plain.cDossierDir = benchdossier::kDossierDir;
    plain.lShowNotes = plain.lShowStatus = plain.lShowDetail = true;
    testsupport::RecordingFrame frame;
    frame.dossierBox = plain.cDossierDir;
    engine::Engine e(plain, frame);
    if (!e.MTDLOAD1())
        fail("the generated index does not load");
    f.engineLoad = seconds([&] { e.FNZLOAD(); });
    if (plain.aDossierLists.size() != static_cast<std::size_t>(setup.lists) + 1 || frame.childrenOf("L10101").empty())
        fail("the dossier load into the recording frame missed lists or detail rows");
    e.FNZCLOSEALL();
    return f;
}

void keepBest(Figures& best, const Figures& run, bool first)
{
    for (double Figures::*field : {&Figures::startup, &Figures::indexLoad, &Figures::dossierLoad, &Figures::engineLoad,
                                   &Figures::pickerPrn, &Figures::pickerDel, &Figures::pickerAdd, &Figures::listDel,
                                   &Figures::listAdd})
        if (first || run.*field < best.*field)
            best.*field = run.*field;
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 5;
    fs::path keep;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--write" && i + 1 < argc)
            keep = fs::absolute(argv[++i]);
        else
            fail("usage: dossier_load_bench [--runs N] [--write FOLDER]");
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    const fs::path scratch = fs::temp_directory_path() / "quarvello_dossier_bench";
    fs::remove_all(scratch);
    const fs::path base = keep.empty() ? scratch / "roots" : keep;
    const benchdossier::Sources sources(scratch);
    std::vector<Setup> setups;
    for (int n : kSizes)
        setups.emplace_back(sources, base, n);

    std::vector<Figures> figures(setups.size());
    for (int run = 0; run < runs; ++run)
        for (std::size_t i = 0; i < setups.size(); ++i)
            keepBest(figures[i], measureOnce(setups[i]), run == 0);
    QDir::setCurrent(QDir::tempPath());

    std::printf("\nbest of %d runs           %12s %12s %12s %12s %8s\n", runs, "1,000 lists", "per list",
                "10,000 lists", "per list", "ratio");
    const auto row = [&](const char* what, double Figures::*field) {
        const double small = figures[0].*field, large = figures[1].*field;
        const double perSmall = small / kSizes[0], perLarge = large / kSizes[1];
        std::printf("%-25s %9.1f ms %9.1f us %9.1f ms %9.1f us %7.2fx\n", what, small * 1e3, perSmall * 1e6,
                    large * 1e3, perLarge * 1e6, perLarge / perSmall);
    };
    row("start-up (window + tree)", &Figures::startup);
    row("  list index load", &Figures::indexLoad);
    row("  dossier load + faces", &Figures::dossierLoad);
    row("  the same, engine alone", &Figures::engineLoad);
    row("picker filled, PRN", &Figures::pickerPrn);
    row("picker filled, DEL", &Figures::pickerDel);
    row("picker filled, ADD", &Figures::pickerAdd);
    row("remove 100 lists", &Figures::listDel);
    row("add 100 lists", &Figures::listAdd);
    std::printf("(per list: of the dossier; the picker shows and walks all its lists, one pass of the event\n"
                " loop each, so removing 100 lists costs in proportion to the dossier. Per list picked:\n");
    for (const auto& [what, field] : {std::pair{"remove", &Figures::listDel}, std::pair{"add", &Figures::listAdd}})
        std::printf("  %-6s %9.1f us at 1,000, %9.1f us at 10,000 lists)\n", what, figures[0].*field / kPicked * 1e6,
                    figures[1].*field / kPicked * 1e6);
    std::printf("goals: start-up of 10,000 lists under 300 ms (%s); per-list ratio at most 1.3x\n",
                figures[1].startup < 0.3 ? "met" : "not met");
    std::printf("the machine may be shared: compare the ratios of one run, not figures across runs\n");

    fs::remove_all(scratch);
    if (!keep.empty())
        std::printf("\nroots kept in %s: start the program with  cd %s/10000 && quarvello\n", keep.c_str(),
                    keep.c_str());
    return 0;
}
