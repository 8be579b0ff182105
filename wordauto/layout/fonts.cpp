#include "wordauto/layout/fonts.h"

#include <QDir>
#include <QFontDatabase>

#include <mutex>

namespace wordauto::layout {

namespace {

struct Substitute {
    const char* windows;
    const char* free;
};

// Metric-compatible pairs (same advance widths and line metrics).
constexpr Substitute kSubstitutes[] = {
    {"times new roman", "Liberation Serif"}, {"times", "Liberation Serif"},
    {"arial", "Liberation Sans"},            {"helvetica", "Liberation Sans"},
    {"arial narrow", "Liberation Sans Narrow"},
    {"courier new", "Liberation Mono"},      {"courier", "Liberation Mono"},
    {"calibri", "Carlito"},                  {"calibri light", "Carlito"},
    {"cambria", "Caladea"},
};

constexpr const char* kFontFolders[] = {
    "/usr/share/fonts/truetype/liberation2",
    "/usr/share/fonts/truetype/liberation",
    "/usr/share/fonts/truetype/crosextra",
};

} // namespace

QString substituteFamily(const QString& documentFamily)
{
    const QString key = documentFamily.trimmed().toLower();
    for (const auto& s : kSubstitutes)
        if (key == QLatin1String(s.windows))
            return QString::fromLatin1(s.free);
    return documentFamily.trimmed().isEmpty() ? QStringLiteral("Liberation Serif")
                                              : documentFamily.trimmed();
}

void ensureSubstituteFonts()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const QStringList known = QFontDatabase::families();
        if (known.contains(QStringLiteral("Carlito")) && known.contains(QStringLiteral("Liberation Sans"))
            && known.contains(QStringLiteral("Liberation Serif")))
            return;
        for (const char* folder : kFontFolders) {
            const QDir dir(QString::fromLatin1(folder));
            for (const QString& file : dir.entryList({QStringLiteral("*.ttf")}, QDir::Files))
                QFontDatabase::addApplicationFont(dir.filePath(file));
        }
    });
}

QFont layoutFont(const QString& documentFamily, double pointSize, bool bold, bool italic)
{
    QFont f(substituteFamily(documentFamily));
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    f.setItalic(italic);
    f.setHintingPreference(QFont::PreferNoHinting);
    // Word applies neither ligatures nor kerning unless a run asks for them; shaping would
    // also turn "ti" into one glyph that a PDF's text no longer shows as two letters.
    f.setKerning(false);
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}

} // namespace wordauto::layout
