// The form field index by name over many fields: building it and looking up every name, for
// ordinary names ("f000123") and for names chosen to fall on one slot of an index whose hash
// is known in advance, as a crafted file would choose them. Both should cost about the same
// per name at every size: near linear in the number of fields.

#include "tests/colliding_names.h"
#include "wordauto/oxml/form_field_xml.h"
#include "wordauto/oxml/xml_util.h"

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

enum Kind { Ordinary = 0, Colliding = 1 };

struct Story {
    std::vector<std::string> names;
    std::string xml;
    pugi::xml_document doc;
};

// A body of `count` text fields, one paragraph each.
const Story& story(Kind kind, std::size_t count)
{
    static std::map<std::pair<int, std::size_t>, Story> made;
    auto [it, fresh] = made.try_emplace({kind, count});
    Story& s = it->second;
    if (!fresh)
        return s;
    s.names = kind == Colliding ? testsupport::fnvCollidingNames(count) : testsupport::ordinaryNames(count);
    s.xml = "<w:body xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">";
    for (const auto& n : s.names)
        s.xml += "<w:p><w:r><w:fldChar w:fldCharType=\"begin\"><w:ffData><w:name w:val=\"" + n
                 + "\"/><w:textInput/></w:ffData></w:fldChar></w:r><w:r><w:fldChar "
                   "w:fldCharType=\"separate\"/></w:r><w:r><w:t>x</w:t></w:r><w:r><w:fldChar "
                   "w:fldCharType=\"end\"/></w:r></w:p>";
    s.xml += "</w:body>";
    s.doc.load_buffer(s.xml.data(), s.xml.size(), wordauto::detail::kParseOptions);
    return s;
}

void BM_BuildAndLookUpAll(benchmark::State& state)
{
    const auto kind = static_cast<Kind>(state.range(0));
    const auto count = static_cast<std::size_t>(state.range(1));
    const Story& s = story(kind, count);
    wordauto::detail::FormFieldIndex index;
    // Once untimed: the first build pays for touching its memory, whatever the names.
    index.build(s.doc.document_element());
    for (auto _ : state) {
        index.build(s.doc.document_element());
        std::size_t found = 0;
        for (const auto& n : s.names)
            found += index.find(n) != wordauto::detail::FormFieldIndex::npos;
        if (found != count)
            state.SkipWithError("a name was not found");
        benchmark::DoNotOptimize(found);
    }
    state.SetLabel(kind == Colliding ? "aimed at one slot" : "ordinary");
    state.counters["ns_per_name"] = benchmark::Counter(static_cast<double>(count),
                                                       benchmark::Counter::kIsIterationInvariantRate
                                                           | benchmark::Counter::kInvert);
}

BENCHMARK(BM_BuildAndLookUpAll)
    ->ArgsProduct({{Ordinary, Colliding}, {50000, 100000, 200000}})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5);

// Keeps the time per name of each run for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::pair<long, long>, double> nsPerName;

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const auto& r : runs)
            if (!r.error_occurred && r.run_type == Run::RT_Iteration) {
                const std::string name = r.benchmark_name();
                const auto slash = name.find('/');
                const auto second = name.find('/', slash + 1);
                const long kind = std::stol(name.substr(slash + 1));
                const long count = std::stol(name.substr(second + 1));
                nsPerName[{kind, count}] = r.GetAdjustedCPUTime() * 1e6 / static_cast<double>(count);
            }
        ConsoleReporter::ReportRuns(runs);
    }
};

// How many of the names share the slot of the first in a table of 2^19 slots indexed by the
// low bits of FNV-1a: all of them, for the names aimed at one slot.
std::size_t sharingTheFirstSlot(const std::vector<std::string>& names)
{
    auto slot = [](const std::string& n) {
        std::uint64_t h = 14695981039346656037ull;
        for (const char c : n)
            h = (h ^ static_cast<unsigned char>(wordauto::detail::lowerAscii(c))) * 1099511628211ull;
        return h & ((1u << 19) - 1);
    };
    std::size_t same = 0;
    for (const auto& n : names)
        same += slot(n) == slot(names.front());
    return same;
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    std::printf("Names aimed at one slot: %zu of 200000 share one slot of a known-hash index\n\n",
                sharingTheFirstSlot(story(Colliding, 200000).names));
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\n%-20s %14s %14s %14s %18s\n", "ns per name", "50,000", "100,000", "200,000",
                "200,000 / 50,000");
    for (const long kind : {Ordinary, Colliding}) {
        const double small = reporter.nsPerName[{kind, 50000}];
        const double large = reporter.nsPerName[{kind, 200000}];
        std::printf("%-20s %14.1f %14.1f %14.1f %17.2fx\n", kind == Colliding ? "aimed at one slot" : "ordinary",
                    small, reporter.nsPerName[{kind, 100000}], large, small > 0 ? large / small : 0.0);
    }
    std::printf("(CPU time; near linear: the time per name stays about the same as the fields grow.\n"
                " The names aimed at one slot are 55 characters long, the ordinary ones 7.)\n");
    return 0;
}
