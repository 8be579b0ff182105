#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace framework {

// One entry of a help file's table of contents (.hhc) or keyword index (.hhk).
struct SitemapEntry {
    QString name;
    QString local; // the page inside the help file, as written (relative or with an anchor)
    int depth = 0; // 0 for the top level
};

// The entries of a sitemap page, in order. The page is HTML as help compilers write it: nested
// lists of <object type="text/sitemap"> with <param name="Name"> and <param name="Local">. It
// is read as a flat run of tags, so however deep or broken the nesting, the work is one pass;
// depths beyond kMaxSitemapDepth are shown at that depth, and reading stops after
// kMaxSitemapEntries entries.
inline constexpr int kMaxSitemapDepth = 16;
inline constexpr std::size_t kMaxSitemapEntries = 10000;
std::vector<SitemapEntry> parseSitemap(const QString& html);

// The text of an HTML page of a help file: the encoding its meta tag names, else UTF-8 when the
// bytes are valid UTF-8, else Windows-1252.
QString decodeHelpPage(const QByteArray& bytes);

} // namespace framework
