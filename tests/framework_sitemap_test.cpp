// Contents and index pages of help files, as help compilers write them and as they may be broken.
#include "framework/chm_sitemap.h"

#include <gtest/gtest.h>

using framework::parseSitemap;

namespace {
QString entry(const QString& name, const QString& local)
{
    return QStringLiteral("<li><object type=\"text/sitemap\"><param name=\"Name\" value=\"%1\">"
                          "<param name=\"Local\" value=\"%2\"></object>")
        .arg(name, local);
}
} // namespace

TEST(SitemapTest, EntriesKeepTheirOrderAndNesting)
{
    const QString page = "<html><body><ul>" + entry("Sommario", "a.htm") + "<ul>" + entry("Uno", "b.htm") +
                         "<ul>" + entry("Due", "c.htm#x") + "</ul></ul>" + entry("Tre", "d.htm") +
                         "</ul></body></html>";
    const auto e = parseSitemap(page);
    ASSERT_EQ(e.size(), 4U);
    EXPECT_EQ(e[0].name, "Sommario");
    EXPECT_EQ(e[0].depth, 0);
    EXPECT_EQ(e[1].depth, 1);
    EXPECT_EQ(e[2].local, "c.htm#x");
    EXPECT_EQ(e[2].depth, 2);
    EXPECT_EQ(e[3].name, "Tre");
    EXPECT_EQ(e[3].depth, 0);
}

TEST(SitemapTest, WhatTheCompilersWriteAndWhatBrokenPagesHold)
{
    const struct {
        const char* what;
        QString page;
        std::vector<std::pair<QString, QString>> expected; // name, local
    } cases[] = {
        {"unquoted and single-quoted values, tags in capitals",
         "<UL><LI><OBJECT type=text/sitemap><PARAM name=Name value='Finestra Principale'>"
         "<PARAM NAME=local VALUE=fp.htm></OBJECT></UL>",
         {{"Finestra Principale", "fp.htm"}}},
        {"character references", "<ul>" + entry("Perch&eacute; &amp; &#232; &#x41;", "a.htm") + "</ul>",
         {{QString::fromUtf8("Perché & è A"), "a.htm"}}},
        {"a keyword naming two pages keeps the first",
         "<ul><li><object type=\"text/sitemap\"><param name=\"Name\" value=\"Note\"><param name=\"Name\" "
         "value=\"Altro\"><param name=\"Local\" value=\"a.htm\"><param name=\"Local\" value=\"b.htm\"></object></ul>",
         {{"Note", "a.htm"}}},
        {"objects of another type and without a name are skipped",
         "<object type=\"text/site properties\"><param name=\"Name\" value=\"x\"></object>"
         "<object type=\"text/sitemap\"><param name=\"Local\" value=\"a.htm\"></object>" + entry("Sì", "s.htm"),
         {{QString::fromUtf8("Sì"), "s.htm"}}},
        {"comments hide what they hold", "<!-- " + entry("Nascosto", "n.htm") + " -->" + entry("Visto", "v.htm"),
         {{"Visto", "v.htm"}}},
        {"a page cut inside a tag", entry("Uno", "u.htm") + "<object type=\"text/sitemap\"><param name=\"Name\" value=\"Du",
         {{"Uno", "u.htm"}}},
        {"an object never closed", "<object type=\"text/sitemap\"><param name=\"Name\" value=\"Aperto\">", {}},
        {"stray characters in a tag", "<ul><li><object = = type=\"text/sitemap\" / ><param name=\"Name\" value=\"A\" "
                                      "junk=><param name=Local value=a.htm></object>",
         {{"A", "a.htm"}}},
        {"no tags at all", "Quarvello", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto got = parseSitemap(c.page);
        ASSERT_EQ(got.size(), c.expected.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].name, c.expected[i].first);
            EXPECT_EQ(got[i].local, c.expected[i].second);
        }
    }
}

TEST(SitemapTest, NestingAndLengthAreBounded)
{
    // A hundred thousand open lists: one pass, the entry shown at the deepest depth kept.
    const QString deep = QString("<ul>").repeated(100000) + entry("Fondo", "f.htm") + QString("</ul>").repeated(200000) +
                         entry("Dopo", "d.htm");
    const auto e = parseSitemap(deep);
    ASSERT_EQ(e.size(), 2U);
    EXPECT_EQ(e[0].depth, framework::kMaxSitemapDepth);
    EXPECT_EQ(e[1].depth, 0);

    QString many;
    for (int i = 0; i < 12000; ++i)
        many += entry(QString::number(i), "p.htm");
    const auto m = parseSitemap(many);
    ASSERT_EQ(m.size(), framework::kMaxSitemapEntries);
    EXPECT_EQ(m.back().name, QString::number(framework::kMaxSitemapEntries - 1));

    const QString longValue = entry(QString(100000, u'x'), "a.htm");
    const auto l = parseSitemap(longValue);
    ASSERT_EQ(l.size(), 1U);
    EXPECT_LE(l[0].name.size(), 1024);
}

TEST(SitemapTest, PagesAreDecodedByTheirDeclaredEncoding)
{
    EXPECT_EQ(framework::decodeHelpPage(QByteArray("<p>Perch\xC3\xA9</p>")), QString::fromUtf8("<p>Perché</p>"));
    // Not UTF-8 and no declaration: the Windows code page the compilers assume.
    EXPECT_EQ(framework::decodeHelpPage(QByteArray("<p>Perch\xE9</p>")), QString::fromUtf8("<p>Perché</p>"));
    EXPECT_EQ(framework::decodeHelpPage(QByteArray("<meta charset=\"iso-8859-1\"><p>\xE8</p>")),
              QString::fromUtf8("<meta charset=\"iso-8859-1\"><p>è</p>"));
}
