// How much opening a check list and reading its fields through the object model costs, next to
// the least any reader must do: inflate word/document.xml and parse it.
//
// The list is the size of the largest real ones: a table of 999 numbered items with a check
// box each, and a table of 100 rows with a text field and a description field, 1,199 fields.
//
// Memory: a counting operator new/delete and counting pugixml allocation functions give the
// peak of bytes held during one open and read, counted from just before the open. The file
// bytes and the inflated XML are std::string and so counted in both benchmarks; libzip's own
// working memory (its malloc calls, the zlib state) is not counted in either.

#include "bench/field_list.h"
#include "bench/inflate_parse.h"
#include "data/docbuilder/docbuilder.h"
#include "wordauto/oxml/xml_markup.h"
#include "wordauto/oxml/xml_tree_check.h"
#include "wordauto/oxml/xml_util.h"
#include "wordauto/word.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <pugixml.hpp>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <new>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// ---- allocation counting ------------------------------------------------------------------

namespace {

std::atomic<bool> g_counting{false};
std::atomic<long long> g_current{0};
std::atomic<long long> g_peak{0};

void noteAlloc(void* p)
{
    if (!p || !g_counting.load(std::memory_order_relaxed))
        return;
    const long long now =
        g_current.fetch_add(static_cast<long long>(malloc_usable_size(p)), std::memory_order_relaxed)
        + static_cast<long long>(malloc_usable_size(p));
    long long peak = g_peak.load(std::memory_order_relaxed);
    while (now > peak && !g_peak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
    }
}

void noteFree(void* p)
{
    // Blocks allocated before counting began may be freed during it; the figure can then dip
    // below the start, which only lowers the current level, never the peak.
    if (p && g_counting.load(std::memory_order_relaxed))
        g_current.fetch_sub(static_cast<long long>(malloc_usable_size(p)), std::memory_order_relaxed);
}

void* countedMalloc(std::size_t n)
{
    void* p = std::malloc(n ? n : 1);
    noteAlloc(p);
    return p;
}

void* countedAligned(std::size_t n, std::align_val_t a)
{
    void* p = nullptr;
    if (posix_memalign(&p, static_cast<std::size_t>(a), n ? n : 1) != 0)
        return nullptr;
    noteAlloc(p);
    return p;
}

// Not inlined: the compiler would otherwise see free() meet a pointer from operator new.
[[gnu::noinline]] void countedFree(void* p)
{
    noteFree(p);
    std::free(p);
}

// The peak of bytes held while fn runs, above the level when it started.
template <typename Fn>
long long peakDuring(Fn&& fn)
{
    g_current.store(0);
    g_peak.store(0);
    g_counting.store(true);
    fn();
    g_counting.store(false);
    return g_peak.load();
}

} // namespace

void* operator new(std::size_t n)
{
    if (void* p = countedMalloc(n))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return countedMalloc(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return countedMalloc(n); }
void* operator new(std::size_t n, std::align_val_t a)
{
    if (void* p = countedAligned(n, a))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n, std::align_val_t a) { return operator new(n, a); }
void operator delete(void* p) noexcept { countedFree(p); }
void operator delete[](void* p) noexcept { countedFree(p); }
void operator delete(void* p, std::size_t) noexcept { countedFree(p); }
void operator delete[](void* p, std::size_t) noexcept { countedFree(p); }
void operator delete(void* p, std::align_val_t) noexcept { countedFree(p); }
void operator delete[](void* p, std::align_val_t) noexcept { countedFree(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { countedFree(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { countedFree(p); }

// ---- the list document --------------------------------------------------------------------

namespace {

using Field = benchlist::Field;

struct Fixture {
    fs::path dir;
    fs::path file;
    std::vector<Field> fields;
    std::size_t fileBytes = 0;
    std::size_t xmlBytes = 0;
};

[[noreturn]] void fail(const std::string& why)
{
    std::fprintf(stderr, "open_and_read_fields_bench: %s\n", why.c_str());
    std::exit(1);
}

Fixture& fixture()
{
    static Fixture fx = [] {
        Fixture f;
        const auto doc = benchlist::fieldList(&f.fields);

        std::string tmpl = (fs::temp_directory_path() / "quarvello_bench_XXXXXX").string();
        if (!mkdtemp(tmpl.data()))
            fail("cannot make a temporary folder");
        f.dir = tmpl;
        f.file = f.dir / "lista.doc";
        docbuilder::write(doc, f.file.string());
        const std::string bytes = benchbaseline::readFile(f.file);
        f.fileBytes = bytes.size();
        f.xmlBytes = benchbaseline::inflateMainPart(bytes).size();
        return f;
    }();
    return fx;
}

// ---- the two ways of reading ----------------------------------------------------------------

// Baseline: read the file, inflate the main part, parse it.
std::size_t parseOnly(const Fixture& f) { return benchbaseline::inflateAndParse(f.file); }

// What the check list parser does: open read-only, look every field up by name, select it and
// read its value. Every value must be the one written, or the figures mean nothing.
std::size_t openAndRead(wordauto::DOC_Application& app, const Fixture& f)
{
    auto doc = app.Documents().Open(f.file.string(), false, true);
    std::size_t ticked = 0;
    for (const auto& field : f.fields) {
        if (!doc.Bookmarks().Exists(field.name))
            fail("bookmark " + field.name + " missing");
        auto ff = doc.FormFields().Item(field.name);
        ff.Select();
        std::string value;
        if (field.checkBox) {
            const bool v = ff.CheckBox().Value();
            ticked += v;
            value = v ? "1" : "0";
        } else {
            value = ff.Result();
        }
        if (value != field.expected)
            fail("field " + field.name + " reads \"" + value + "\" instead of \"" + field.expected + "\"");
    }
    doc.Close(wordauto::wdDoNotSaveChanges);
    return ticked;
}

std::map<std::string, long long> g_peakBytes;

void setMemoryCounters(benchmark::State& state, const std::string& name, long long peak)
{
    g_peakBytes[name] = peak;
    const Fixture& f = fixture();
    state.counters["peak_bytes"] = static_cast<double>(peak);
    state.counters["peak_per_xml"] = static_cast<double>(peak) / static_cast<double>(f.xmlBytes);
    state.counters["xml_bytes"] = static_cast<double>(f.xmlBytes);
    state.counters["fields"] = static_cast<double>(f.fields.size());
}

void BM_A_ParseDocumentXml(benchmark::State& state)
{
    const Fixture& f = fixture();
    setMemoryCounters(state, "A", peakDuring([&] { benchmark::DoNotOptimize(parseOnly(f)); }));
    for (auto _ : state)
        benchmark::DoNotOptimize(parseOnly(f));
}

void BM_B_ObjectModelOpenAndRead(benchmark::State& state)
{
    const Fixture& f = fixture();
    wordauto::DOC_Application app;
    setMemoryCounters(state, "B", peakDuring([&] { benchmark::DoNotOptimize(openAndRead(app, f)); }));
    for (auto _ : state)
        benchmark::DoNotOptimize(openAndRead(app, f));
    app.Quit(wordauto::wdDoNotSaveChanges);
}

// The open's check of the main part, which B includes: the reading of its bytes as stored, which
// takes a sound list whole (characters, markup, names, namespaces) before it is parsed; and,
// for comparison, the check of the parsed tree, which the open makes only of a part that
// reading doubts. The list's main part, and its tree as the open parses it.
struct ParsedList {
    std::string xml;
    pugi::xml_document doc;
};

const ParsedList& parsedList()
{
    static const ParsedList list = [] {
        ParsedList l;
        l.xml = benchbaseline::inflateMainPart(benchbaseline::readFile(fixture().file));
        if (!l.doc.load_buffer(l.xml.data(), l.xml.size(), wordauto::detail::kParseOptions))
            fail("the list does not parse");
        return l;
    }();
    return list;
}

void BM_C_ChecksOfTheMainPart(benchmark::State& state)
{
    const auto& xml = parsedList().xml;
    for (auto _ : state) {
        if (!wordauto::detail::isSoundAsStored(xml))
            fail("the list is not read as sound");
    }
}

void BM_D_TreeCheckOfTheMainPart(benchmark::State& state)
{
    const auto& doc = parsedList().doc;
    for (auto _ : state)
        if (wordauto::detail::xmlTreeFault(doc))
            fail("the list does not pass the tree check");
}

BENCHMARK(BM_A_ParseDocumentXml)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_B_ObjectModelOpenAndRead)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_C_ChecksOfTheMainPart)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_D_TreeCheckOfTheMainPart)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Keeps the time per iteration of each benchmark for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> msPerIteration;

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const auto& r : runs)
            if (!r.error_occurred && r.run_type == Run::RT_Iteration)
                msPerIteration[r.benchmark_name().substr(3, 1)] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

int main(int argc, char** argv)
{
    pugi::set_memory_management_functions(countedMalloc, countedFree);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    const Fixture& f = fixture();
    std::printf("List: %zu fields, file %zu bytes, word/document.xml %zu bytes\n\n",
                f.fields.size(), f.fileBytes, f.xmlBytes);

    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    fs::remove_all(f.dir);

    if (reporter.msPerIteration.size() == 4 && g_peakBytes.size() == 2) {
        const double a = reporter.msPerIteration["A"];
        const double b = reporter.msPerIteration["B"];
        const double xml = static_cast<double>(f.xmlBytes);
        const double ma = static_cast<double>(g_peakBytes["A"]) / xml;
        const double mb = static_cast<double>(g_peakBytes["B"]) / xml;
        std::printf("\n%-36s %12s %16s %14s\n", "Summary", "ms per open", "peak bytes", "peak / XML");
        std::printf("%-36s %12.2f %16lld %13.2fx\n", "A  inflate + parse document.xml", a,
                    g_peakBytes["A"], ma);
        std::printf("%-36s %12.2f %16lld %13.2fx\n", "B  object model open + read fields", b,
                    g_peakBytes["B"], mb);
        std::printf("\nTime B/A:          %.2fx (goal at most 2x)   %s\n", b / a,
                    b / a <= 2.0 ? "met" : "NOT MET");
        std::printf("Memory B per XML:  %.2fx (goal at most 4x)   %s\n", mb,
                    mb <= 4.0 ? "met" : "NOT MET");
        std::printf("Memory B/A:        %.2fx (the parsed XML alone is %.2fx its size)\n", mb / ma, ma);
        std::printf("(memory counts operator new and pugixml; libzip's own buffers are not counted)\n");
        const double c = reporter.msPerIteration["C"];
        const double d = reporter.msPerIteration["D"];
        std::printf("Check in B:        %.2f ms, %.1f %% of B (goal at most 10 %%)   %s\n", c, 100 * c / b,
                    c / b <= 0.10 ? "met" : "NOT MET");
        std::printf("                   (the tree check of a doubted part would be %.2f ms, %.1f %%)\n", d,
                    100 * d / b);
    }
    return 0;
}
