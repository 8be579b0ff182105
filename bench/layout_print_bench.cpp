// How long laying out the 1,199-field check list and printing it to PDF takes, beside
// LibreOffice's conversion of the same file when soffice is installed, and how much memory the
// finished layout holds against the size of word/document.xml.
//
// LibreOffice is timed from outside (a conversion per run of soffice): once with one copy of
// the list and once with three, so that its start-up can be told from the time per document.
// Memory: glibc's count of bytes in use (mallinfo2) while the layout is held, less before it
// was made; that takes Qt's own allocations in as well.

#include "bench/field_list.h"
#include "data/docbuilder/docbuilder.h"
#include "wordauto/oxml/document_model.h"
#include "wordauto/layout/document_layout.h"
#include "wordauto/layout/page_painter.h"
#include "wordauto/opc/package.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QGuiApplication>
#include <QPdfWriter>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

namespace fs = std::filesystem;
using wordauto::detail::DocumentModel;

namespace {

struct Fixture {
    fs::path dir;
    fs::path file;
    std::size_t xmlBytes = 0;
};

Fixture& fixture()
{
    static Fixture fx = [] {
        Fixture f;
        std::string tmpl = (fs::temp_directory_path() / "quarvello_layout_bench_XXXXXX").string();
        if (!mkdtemp(tmpl.data())) {
            std::fprintf(stderr, "layout_print_bench: cannot make a temporary folder\n");
            std::exit(1);
        }
        f.dir = tmpl;
        f.file = f.dir / "lista.docx";
        docbuilder::write(benchlist::fieldList(), f.file.string());
        auto pkg = wordauto::opc::Package::open(f.file.string());
        f.xmlBytes = pkg.part("word/document.xml").size();
        return f;
    }();
    return fx;
}

std::shared_ptr<DocumentModel> openList()
{
    return DocumentModel::open(fixture().file.string(), true);
}

std::size_t g_pages = 0;

void BM_Layout(benchmark::State& state)
{
    auto doc = openList();
    std::size_t pages = 0;
    for (auto _ : state) {
        auto layout = wordauto::layout::layoutDocument(*doc);
        pages = layout.pages.size();
        benchmark::DoNotOptimize(layout);
    }
    state.counters["pages"] = static_cast<double>(pages);
    g_pages = pages;
}

void BM_LayoutAndPdf(benchmark::State& state)
{
    auto doc = openList();
    const QString pdf = QString::fromStdString((fixture().dir / "lista.pdf").string());
    for (auto _ : state) {
        auto layout = wordauto::layout::layoutDocument(*doc);
        QPdfWriter writer(pdf);
        writer.setResolution(1200);
        if (!wordauto::layout::paintDocument(writer, layout))
            state.SkipWithError("the PDF could not be written");
    }
}

BENCHMARK(BM_Layout)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_LayoutAndPdf)->Unit(benchmark::kMillisecond)->MinTime(1.0);

class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const auto& r : runs)
            ms[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> ms;
};

// Bytes of the finished layout, held.
long long layoutBytes()
{
    auto doc = openList();
    wordauto::layout::layoutDocument(*doc); // fonts and caches of Qt are made once, not counted
    malloc_trim(0);
    const auto before = mallinfo2().uordblks;
    auto layout = wordauto::layout::layoutDocument(*doc);
    const auto after = mallinfo2().uordblks;
    benchmark::DoNotOptimize(layout);
    return static_cast<long long>(after) - static_cast<long long>(before);
}

// Pages of a PDF by pdfinfo, 0 when it cannot tell.
int pdfPages(const fs::path& pdf)
{
    const std::string command = "pdfinfo '" + pdf.string() + "' 2>/dev/null | awk '/^Pages:/ {print $2}'";
    int pages = 0;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        if (std::fscanf(p, "%d", &pages) != 1)
            pages = 0;
        ::pclose(p);
    }
    return pages;
}

// Seconds of the fastest of three soffice runs converting `copies` copies of the list; < 0
// when soffice is not there or fails.
double sofficeSeconds(int copies)
{
    const fs::path out = fixture().dir / ("lo" + std::to_string(copies));
    fs::create_directories(out);
    std::string files;
    for (int i = 0; i < copies; ++i) {
        const fs::path copy = fixture().dir / ("copia" + std::to_string(i) + ".docx");
        fs::copy_file(fixture().file, copy, fs::copy_options::overwrite_existing);
        files += " '" + copy.string() + "'";
    }
    const std::string profile = "file://" + (fixture().dir / "lo-profile").string();
    const std::string command = "soffice -env:UserInstallation=" + profile
                                + " --headless --convert-to pdf --outdir '" + out.string() + "'" + files
                                + " >/dev/null 2>&1";
    double best = -1;
    for (int run = 0; run < 3; ++run) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0)
            return -1;
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        best = best < 0 ? s : std::min(best, s);
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    static int qargc = 3;
    static char name[] = "layout_print_bench", option[] = "-platform", platform[] = "offscreen";
    static char* qargv[] = {name, option, platform, nullptr};
    QGuiApplication app(qargc, qargv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    const Fixture& f = fixture();
    std::printf("List: 1,199 fields, word/document.xml %zu bytes\n\n", f.xmlBytes);

    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double layoutMs = reporter.ms["BM_Layout/min_time:1.000"];
    const double pdfMs = reporter.ms["BM_LayoutAndPdf/min_time:1.000"];
    const long long bytes = layoutBytes();
    const double perXml = static_cast<double>(bytes) / static_cast<double>(f.xmlBytes);
    std::printf("\nLayout:            %8.2f ms per document (goal under 50 ms)   %s\n", layoutMs,
                layoutMs < 50 ? "met" : "NOT MET");
    std::printf("Layout + PDF:      %8.2f ms per document\n", pdfMs);
    std::printf("Layout memory:     %8lld bytes, %.2fx the XML (goal at most 2x)   %s\n", bytes, perXml,
                perXml <= 2 ? "met" : "NOT MET");

    const double one = sofficeSeconds(1);
    const double three = one < 0 ? -1 : sofficeSeconds(3);
    if (one < 0 || three < 0) {
        std::printf("LibreOffice:       soffice not found or failed: no comparison\n");
    } else {
        const double perDocMs = std::max(0.0, (three - one) / 2) * 1000;
        std::printf("LibreOffice:       %8.2f ms per document after start-up (%.0f ms with start-up)\n",
                    perDocMs, one * 1000);
        std::printf("Pages:             %8zu by Vendrik, %d by LibreOffice\n", g_pages,
                    pdfPages(f.dir / "lo1" / "copia0.pdf"));
        std::printf("Speed-up:          %8.1fx layout + PDF against LibreOffice per document "
                    "(goal at least 10x)   %s\n",
                    perDocMs / pdfMs, perDocMs / pdfMs >= 10 ? "met" : "NOT MET");
    }
    fs::remove_all(f.dir);
    return 0;
}
