// Feeds arbitrary bytes to the report definition reader: decoding, cutting into blocks and
// sections, and the display lines, checking what the results promise.
#include "reportform/definition.h"
#include "reportform/display_lines.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// A broken promise stops the run with the line that states it.
#define check(condition) checkAt((condition), #condition, __LINE__)
void checkAt(bool condition, const char* what, int line)
{
    if (!condition) {
        std::fprintf(stderr, "definition_parser_fuzz.cpp:%d: %s\n", line, what);
        std::abort();
    }
}

void checkLines(const QStringList& lines)
{
    for (const QString& line : lines) {
        check(!line.isEmpty() && line.size() <= 250);
        check(line.front() != u' ' && line.back() != u' ');
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = vendrik::decodeDefinition(bytes);
    vendrik::ReportDefinition definition;
    const vendrik::ParseOutcome outcome = vendrik::parseDefinition(text, definition);
    check(outcome.ok == outcome.message.isEmpty());
    check(outcome.ok || outcome.message.startsWith(QStringLiteral("Errore nel blocco [")));
    checkLines(definition.files);
    checkLines(definition.tables);
    for (const vendrik::ReportSection& section : definition.sections) {
        check(section.name.size() <= 10 && section.code.size() <= 2);
        for (const vendrik::ReportEntry& entry : section.entries)
            check(entry.key.startsWith(u'[') && entry.key.size() <= 10);
    }

    // The display lines of the same text at a width and tab size taken from the first bytes.
    if (size >= 2) {
        const int width = 1 + data[0] % 40;
        const int tab = 1 + data[1] % 8;
        for (bool wrap : {false, true})
            for (const QString& line : vendrik::memoLines(text, width, tab, wrap, true))
                check(line.size() == width);
        vendrik::memoToString(text, data[0] & 1, QStringLiteral(", "));
    }
    return 0;
}
