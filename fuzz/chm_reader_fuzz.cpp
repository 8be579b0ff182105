// libFuzzer target for the help file reader: an input that begins like a Compiled HTML Help
// file goes through the layout checks, chmlib and every page its contents and index name; any
// other input is read as a contents page.
//
// ChmError is the expected answer to a bad file; any other exception, a sanitizer report, an
// abort or a hang is a finding.

#include "framework/chm_file.h"
#include "framework/chm_sitemap.h"
#include "framework/help_window.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (!bytes.startsWith("ITSF")) {
        for (const auto& entry : framework::parseSitemap(framework::decodeHelpPage(bytes)))
            (void)framework::HelpBrowser::pageUrl(entry.local);
        return 0;
    }
    try {
        const auto chm = framework::ChmFile::fromBytes(bytes, QStringLiteral("fuzz.chm"));
        for (const auto* list : {&chm->contents(), &chm->keywords()})
            for (const auto& entry : *list) {
                const QString page = QStringLiteral("/") + entry.local.section(u'#', 0, 0);
                if (const auto body = chm->read(page))
                    (void)framework::decodeHelpPage(*body);
                (void)chm->findTopic(entry.name);
            }
    } catch (const framework::ChmError&) {
    }
    return 0;
}
