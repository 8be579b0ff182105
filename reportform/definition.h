#pragma once

#include "runtime/vendrik_export.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace vendrik {

// One entry line of a section: "[KEY]" and its value.
struct ReportEntry {
    QString key;
    QString value;
    friend bool operator==(const ReportEntry&, const ReportEntry&) = default;
};

struct ReportSection {
    QString name;
    QString code;
    QList<ReportEntry> entries;
};

// The XCOM sections, in the order they are looked for.
enum class SectionId { HR, HP, GP, DP, BR };
inline constexpr int kSectionCount = 5;

// What a report definition holds; what a failed parse had not reached stays empty.
struct ReportDefinition {
    QString description;
    QStringList files;
    QString sort;
    QString loop;
    QStringList tables;
    std::array<ReportSection, kSectionCount> sections;

    ReportSection& section(SectionId id) { return sections[static_cast<int>(id)]; }
    const ReportSection& section(SectionId id) const { return sections[static_cast<int>(id)]; }
};

struct ParseOutcome {
    bool ok = true;
    QString message; // the one message to show; empty when ok
};

// Cuts a definition text (line ends already CR LF) into its six blocks and the five sections
// of XCOM. The first missing block ends the parse; a missing section leaves its fields empty
// and the others are still read, the first missing one giving the message.
VENDRIK_EXPORT ParseOutcome parseDefinition(const QString& text, ReportDefinition& out);

// Definitions are Windows-1252 text; the bytes that code page leaves undefined read as U+FFFD.
// Every line end (CR LF, a lone CR, a lone LF) becomes CR LF, which the cutting counts on.
VENDRIK_EXPORT QString decodeDefinition(const QByteArray& bytes);

// Larger definitions are refused unread: a real one is a few kilobytes.
inline constexpr qint64 kMaxDefinitionBytes = 1024 * 1024;

struct DefinitionText {
    bool ok = false;
    QString text;
    QString message; // why the file could not be read, naming it
};

// Reads the definition at `path` whole, within kMaxDefinitionBytes.
VENDRIK_EXPORT DefinitionText readDefinition(const QString& path);

} // namespace vendrik
