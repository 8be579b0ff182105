// The merged dossier document over a dossier of 200 lists (or --lists N): Engine::FNZLISTWRD with the picker
// answered as it would be in print mode (each section's separator before its first list, then
// the lists), next to the least any reader of the same documents must do: inflate each one's
// word/document.xml and parse it.
//
//   merge_bench [--runs N] [--lists N] [--visible [--shot PNG]]
//
// Printed: the merge loop per document, the finish (the template's styles, protection, the save
// of the merged document) apart, the baseline per document and the ratio; the heap in use after
// a quarter, half and all of the lists, per list, beside the inserted documents' XML per list.
//
// With --visible the instance runs visible in a QApplication (QT_QPA_PLATFORM=offscreen), so the
// merged document has its window, which follows the growing document while the merge lets events
// run after each document. The time spent in those passes of the event loop is the window's cost;
// runs that let no events run (the window cannot follow) take turns with them for comparison.
//
// Every figure is the best of N runs (5 unless told): on a shared machine the slower runs
// measure the neighbours.

#include "bench/bench_dossier.h"
#include "bench/inflate_parse.h"
#include "engine/engine.h"
#include "tests/recording_frame.h"
#include "wordauto/window/page_view.h"

#include <QApplication>
#include <pugixml.hpp>
#include <QPixmap>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

int g_lists = 200;
std::string g_shot; // with --visible: a picture of the merged document's window, after the merge
constexpr double kSettleSeconds = 1.5;
// Where the heap is measured: after a quarter, a half and all of the lists.
constexpr int kCheckpoints = 3;
int checkpoint(int c) { return g_lists * (1 << c) / 4; }

[[noreturn]] void fail(const std::string& why)
{
    std::fprintf(stderr, "merge_bench: %s\n", why.c_str());
    std::exit(1);
}

double secondsSince(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

long long heapInUse()
{
    const auto m = mallinfo2();
    return static_cast<long long>(m.uordblks + m.hblkhd); // small blocks and mapped ones
}

// The root: 200 lists in a dossier, the merge template and a separator for each section.
struct Dossier {
    fs::path scratch = fs::temp_directory_path() / "quarvello_merge_bench";
    fs::path root = scratch / "root";
    std::vector<std::string> picked; // as the picker collects them: separators and lists
    std::vector<bool> isList;        // per picked document
    std::vector<std::size_t> xmlBytes; // per picked document, its word/document.xml

    Dossier()
    {
        fs::remove_all(scratch);
        const benchdossier::Sources sources(scratch);
        benchdossier::writeRoot(sources, root, g_lists);
        fs::copy_file(sources.sampleRoot() / "_Fascicolo1.dot", root / "_Fascicolo1.dot");
        fs::create_directories(root / "WRD");
        fs::path anySeparator;
        for (const auto& entry : fs::directory_iterator(sources.sampleRoot() / "WRD"))
            anySeparator = entry.path();
        if (anySeparator.empty())
            fail("the sample root has no separators");

        const fs::path dossier = root / "DATI" / std::string(benchdossier::kDossierDir).substr(1);
        std::string lastSection;
        for (int i = 0; i < g_lists; ++i) {
            const std::string number = benchdossier::listNumber(i);
            const std::string section = number.substr(0, 4) + ".00";
            if (section != lastSection) {
                const fs::path separator = root / "WRD" / (section + ".DOC");
                const fs::path own = sources.sampleRoot() / "WRD" / (section + ".DOC");
                fs::copy_file(fs::exists(own) ? own : anySeparator, separator, fs::copy_options::overwrite_existing);
                picked.push_back(separator.string());
                isList.push_back(false);
                lastSection = section;
            }
            picked.push_back((dossier / (number + ".DOC")).string());
            isList.push_back(true);
        }
        for (const auto& p : picked)
            xmlBytes.push_back(benchbaseline::inflateMainPart(benchbaseline::readFile(p)).size());
    }
    ~Dossier() { fs::remove_all(scratch); }
    fs::path merged() const { return root / "DATI" / std::string(benchdossier::kDossierDir).substr(1) / "_Fascicolo.doc"; }
};

// The recording frame, with the moments of the command stamped: the picker answered, each
// pass of the event loop after a document, the closing message (right after the save).
class MergeFrame : public testsupport::RecordingFrame {
public:
    Clock::time_point picked, lastPump, done;
    engine::BoxAnswer messageBox(const std::string& text, const std::string& caption, unsigned type) override
    {
        done = Clock::now();
        return RecordingFrame::messageBox(text, caption, type);
    }
};

struct Figures {
    double loop = 0;   // picker answered to the pass after the last document
    double finish = 0; // styles, protection, save
    double pumping = 0; // inside the passes of the event loop
    int relayouts = 0;  // of the window, seen by its page count changing during the merge
    int windowPages = 0;
    double relayout = 0; // one layout of the merged document by its window
    long documentPages = 0;
    long long heapAt[kCheckpoints] = {};
    std::size_t mergedXml = 0;
};

wordauto::window::PageView* pageView()
{
    for (QWidget* w : QApplication::allWidgets())
        if (auto* view = dynamic_cast<wordauto::window::PageView*>(w))
            return view;
    return nullptr;
}

Figures mergeOnce(const Dossier& d, bool letEventsRun)
{
    fs::remove(d.merged());
    engine::ProgramState state;
    state.cRootDir = d.root.string();
    state.cDossierDir = benchdossier::kDossierDir;
    MergeFrame frame;
    frame.dossierBox = state.cDossierDir;
    engine::Engine e(state, frame);
    if (!e.MTDLOAD1())
        fail("the generated index does not load");

    Figures f;
    long long heapBefore = 0;
    frame.picker = [&](const std::string& mode) {
        if (mode != engine::kPickerPrint)
            fail("the merge asked the picker in mode " + mode);
        state.aListPick = d.picked;
        malloc_trim(0);
        heapBefore = heapInUse();
        frame.picked = Clock::now();
        return engine::PickerEnd::Done;
    };
    int lists = 0;
    int checkpoint = 0;
    frame.onPump = [&] {
        if (d.isList[static_cast<std::size_t>(frame.pumps - 1)])
            ++lists;
        if (checkpoint < kCheckpoints && lists == ::checkpoint(checkpoint))
            f.heapAt[checkpoint++] = heapInUse() - heapBefore;
        if (letEventsRun && QCoreApplication::instance()) {
            const auto* view = pageView();
            const int pagesBefore = view ? view->pageCount() : -1;
            const auto t0 = Clock::now();
            QCoreApplication::processEvents();
            f.pumping += secondsSince(t0);
            view = pageView();
            f.relayouts += view && view->pageCount() != pagesBefore ? 1 : 0;
        }
        frame.lastPump = Clock::now();
    };
    e.FNZLISTWRD();
    if (frame.boxes.size() != 1 || frame.boxes[0].text != "Operazione completata!")
        fail("the merge did not complete: " + (frame.boxes.empty() ? std::string("no message") : frame.boxes[0].text));
    if (frame.pumps != static_cast<int>(d.picked.size()) || !fs::exists(d.merged()))
        fail("the merge did not insert every document");
    f.loop = std::chrono::duration<double>(frame.lastPump - frame.picked).count();
    f.finish = std::chrono::duration<double>(frame.done - frame.lastPump).count();
    f.mergedXml = benchbaseline::inflateMainPart(benchbaseline::readFile(d.merged())).size();
    if (QCoreApplication::instance()) {
        // As the closing message's own event loop would: events run until the window has had
        // time to follow; then it must show the merged document as it is.
        const auto t0 = Clock::now();
        while (secondsSince(t0) < kSettleSeconds)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        auto* view = pageView();
        f.windowPages = view ? view->pageCount() : 0;
        if (view && !g_shot.empty())
            view->window()->grab().save(QString::fromStdString(g_shot));
        if (view) {
            const auto t1 = Clock::now();
            view->relayout();
            f.relayout = secondsSince(t1);
        }
        f.documentPages = e.oWord->ActiveDocument().BuiltInDocumentProperties().Item(wordauto::wdPropertyPages).Value();
    }
    e.FNZCLOSEALL();
    return f;
}

// keep: every parsed document is kept to the end, as the merge keeps what it inserted, so its
// memory is fresh each time instead of the same few pages reused.
double baselineOnce(const Dossier& d, bool keep)
{
    std::vector<std::unique_ptr<pugi::xml_document>> kept(d.picked.size());
    const auto t0 = Clock::now();
    std::size_t blocks = 0;
    for (std::size_t i = 0; i < d.picked.size(); ++i)
        blocks += keep ? benchbaseline::inflateAndParse(d.picked[i], kept[i])
                       : benchbaseline::inflateAndParse(d.picked[i]);
    const double seconds = secondsSince(t0);
    if (blocks == 0)
        fail("the documents have empty bodies");
    return seconds;
}

void keepBest(double& best, double s) { best = std::min(best, s); }

} // namespace

int main(int argc, char** argv)
{
    int runs = 5;
    bool visible = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--lists") == 0 && i + 1 < argc)
            g_lists = std::max(4, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--shot") == 0 && i + 1 < argc)
            g_shot = argv[++i];
        else if (std::strcmp(argv[i], "--visible") == 0)
            visible = true;
        else
            fail(std::string("unknown argument ") + argv[i] + " (merge_bench [--runs N] [--lists N] [--visible [--shot PNG]])");
    }
    std::unique_ptr<QApplication> app;
    if (visible)
        app = std::make_unique<QApplication>(argc, argv);

    const Dossier d;
    const double docs = static_cast<double>(d.picked.size());
    constexpr double kInf = std::numeric_limits<double>::max();
    double baseline = kInf, keptBaseline = kInf, loop = kInf, finish = kInf, quietLoop = kInf, pumping = kInf;
    Figures last;
    for (int r = 0; r < runs; ++r) {
        keepBest(baseline, baselineOnce(d, false));
        keepBest(keptBaseline, baselineOnce(d, true));
        last = mergeOnce(d, true);
        keepBest(loop, last.loop);
        keepBest(finish, last.finish);
        keepBest(pumping, last.pumping);
        if (visible)
            keepBest(quietLoop, mergeOnce(d, false).loop);
    }

    std::printf("merge of %d lists and %zu separators (%s, best of %d runs)\n", g_lists,
                d.picked.size() - static_cast<std::size_t>(g_lists),
                visible ? "visible instance, its window following" : "no windows", runs);
    std::printf("  merge loop:     %8.2f ms per document (%.0f ms in all)\n", loop / docs * 1e3, loop * 1e3);
    std::printf("  finish (styles, protection, save of the merged document): %.0f ms (%.2f ms per document)\n",
                finish * 1e3, finish / docs * 1e3);
    std::printf("  inflate + parse of the same documents: %.2f ms per document\n", baseline / docs * 1e3);
    std::printf("  ratio merge loop / baseline: %.2fx (goal: at most 3x)   %s\n", loop / baseline,
                loop / baseline <= 3.0 ? "met" : "NOT MET");
    std::printf("  ratio merge loop + finish / baseline: %.2fx\n", (loop + finish) / baseline);
    std::printf("  inflate + parse, every document kept (fresh memory each time, as the merge): %.2f ms per "
                "document; ratio merge loop / it: %.2fx\n",
                keptBaseline / docs * 1e3, loop / keptBaseline);
    if (visible) {
        std::printf("  inside the passes of the event loop (the window following): %.0f ms, %.0f%% of the loop\n",
                    pumping * 1e3, pumping / loop * 100);
        std::printf("  relayouts of the window during the merge (last run): %d\n", last.relayouts);
        std::printf("  %.1f s after the merge the window shows %d pages, the document has %ld\n", kSettleSeconds,
                    last.windowPages, last.documentPages);
        std::printf("  one layout of the merged document by its window: %.0f ms\n", last.relayout * 1e3);
        std::printf("  merge loop letting no events run: %.0f ms; the window's cost %.0f ms (%.0f%%)\n",
                    quietLoop * 1e3, (loop - quietLoop) * 1e3, (loop - quietLoop) / quietLoop * 100);
    }

    std::printf("  memory (heap in use above the start, last run):\n");
    std::printf("    %6s %14s %16s %20s\n", "lists", "heap MB", "heap per list KB", "XML per list KB");
    for (int c = 0; c < kCheckpoints; ++c) {
        std::size_t xml = 0;
        int lists = 0;
        for (std::size_t i = 0; i < d.picked.size() && lists < checkpoint(c); ++i) {
            xml += d.xmlBytes[i];
            lists += d.isList[i] ? 1 : 0;
        }
        std::printf("    %6d %14.1f %16.1f %20.1f\n", checkpoint(c), static_cast<double>(last.heapAt[c]) / 1048576,
                    static_cast<double>(last.heapAt[c]) / checkpoint(c) / 1024,
                    static_cast<double>(xml) / checkpoint(c) / 1024);
    }
    std::printf("  merged word/document.xml: %.1f MB, %.1f KB per list\n",
                static_cast<double>(last.mergedXml) / 1048576, static_cast<double>(last.mergedXml) / g_lists / 1024);
    return 0;
}
