#include "reportform/definition.h"

#include "reportform/display_lines.h"

#include <QFile>

namespace vendrik {

namespace {

constexpr int kLineWidth = 250;
constexpr int kTabSize = 4;
constexpr qsizetype kMarkerLength = 10;
constexpr qsizetype kLineEnd = 2;

QString blockError(const QString& name)
{
    return QStringLiteral("Errore nel blocco [%1]").arg(name);
}

// From `from` to two characters before `to`; a span too short for its line ends is empty.
QString span(const QString& text, qsizetype from, qsizetype to)
{
    const qsizetype length = (to - kLineEnd) - from;
    return length > 0 ? text.mid(from, length) : QString();
}

// The content of a block, or nothing when its markers are absent or out of order.
std::optional<QString> block(const QString& text, const QString& name)
{
    const qsizetype s = text.indexOf(QStringLiteral("[INI_%1]").arg(name));
    const qsizetype e = text.indexOf(QStringLiteral("[END_%1]").arg(name));
    if (s < 0 || e <= s)
        return std::nullopt;
    return span(text, s + kMarkerLength + kLineEnd, e);
}

// The trimmed, non-blank display lines of a content.
QStringList nonBlankLines(const QString& content)
{
    QStringList lines;
    forEachDisplayLine(content, kLineWidth, kTabSize, false, [&](const QString& line) {
        const QString trimmed = trimBlanks(line);
        if (!trimmed.isEmpty())
            lines.append(trimmed);
        return true;
    });
    return lines;
}

void readSection(const QString& text, ReportSection& section)
{
    bool first = true;
    forEachDisplayLine(text, kLineWidth, kTabSize, false, [&](const QString& line) {
        if (first) {
            first = false;
            const QString head = trimTrailingBlanks(line);
            if (head.size() <= 1)
                return false; // nothing named: the entry lines are not read
            section.name = trimTrailingBlanks(head.left(10));
            if (head.size() > 10)
                section.code = head.right(2);
            return true;
        }
        const QString entry = trimBlanks(line);
        if (entry.startsWith(u'['))
            section.entries.append({trimTrailingBlanks(entry.left(10)), trimBlanks(entry.mid(12))});
        return true;
    });
}

// The five sections of the XCOM content; each runs to the marker of the one after it.
QString readSections(const QString& xcom, ReportDefinition& out)
{
    static const char* const names[kSectionCount] = {"HR", "HP", "GP", "DP", "BR"};
    const auto marker = [](int i) { return QStringLiteral("[%1]-").arg(QLatin1String(names[i])); };
    constexpr qsizetype kSectionMarkerLength = 5;
    QString message;
    for (int i = 0; i < kSectionCount; ++i) {
        const qsizetype p = xcom.indexOf(marker(i));
        const bool last = i + 1 == kSectionCount;
        const qsizetype q = last ? -1 : xcom.indexOf(marker(i + 1));
        if (p < 0 || (!last && q <= p)) {
            if (message.isEmpty())
                message = blockError(QStringLiteral("XCOM-%1").arg(QLatin1String(names[i])));
            continue;
        }
        const qsizetype from = p + kSectionMarkerLength;
        readSection(last ? xcom.mid(from) : span(xcom, from, q), out.sections[i]);
    }
    return message;
}

} // namespace

ParseOutcome parseDefinition(const QString& text, ReportDefinition& out)
{
    // In the order they are taken; the first one missing ends the parse.
    using Store = void (*)(const QString& content, ReportDefinition& out);
    static const std::pair<const char*, Store> blocks[] = {
        {"DESC", [](const QString& c, ReportDefinition& d) { d.description = c; }},
        {"FILE", [](const QString& c, ReportDefinition& d) { d.files = nonBlankLines(c); }},
        {"SORT", [](const QString& c, ReportDefinition& d) { d.sort = trimBlanks(c); }},
        {"LOOP", [](const QString& c, ReportDefinition& d) { d.loop = c; }},
        {"TABL", [](const QString& c, ReportDefinition& d) { d.tables = nonBlankLines(c); }},
    };
    for (const auto& [name, store] : blocks) {
        const auto content = block(text, QLatin1String(name));
        if (!content)
            return {false, blockError(QLatin1String(name))};
        store(*content, out);
    }
    const auto xcom = block(text, QStringLiteral("XCOM"));
    if (!xcom)
        return {false, blockError(QStringLiteral("XCOM"))};
    const QString message = readSections(*xcom, out);
    return {message.isEmpty(), message};
}

QString decodeDefinition(const QByteArray& bytes)
{
    // 0x80..0x9F of Windows-1252; 0xFFFD where the code page defines nothing.
    static const char16_t high[32] = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    QString text;
    text.reserve(bytes.size() + bytes.size() / 16);
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b == '\r' || b == '\n') {
            text.append(u"\r\n");
            if (b == '\r' && i + 1 < n && bytes[i + 1] == '\n')
                ++i;
        } else if (b >= 0x80 && b < 0xA0) {
            text.append(QChar(high[b - 0x80]));
        } else {
            text.append(QChar(b));
        }
    }
    return text;
}

DefinitionText readDefinition(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {false, {}, QStringLiteral("Impossibile leggere %1").arg(path)};
    // Read one byte past the limit, so a file that grows while it is read is caught as well.
    const QByteArray bytes = file.read(kMaxDefinitionBytes + 1);
    if (bytes.size() > kMaxDefinitionBytes)
        return {false, {}, QStringLiteral("Definizione troppo grande (oltre 1 MB): %1").arg(path)};
    if (file.error() != QFileDevice::NoError)
        return {false, {}, QStringLiteral("Impossibile leggere %1").arg(path)};
    return {true, decodeDefinition(bytes), {}};
}

} // namespace vendrik
