// The table of contents and keyword index pages of a help file.
#include "framework/chm_sitemap.h"

#include <QStringDecoder>

#include <algorithm>

namespace framework {

namespace {

constexpr qsizetype kMaxValue = 1024;

bool isSpace(QChar c) { return c.isSpace(); }

// &amp; &lt; &gt; &quot; &apos; &nbsp; and numeric references; anything else stays as written.
QString decodeEntities(const QString& text)
{
    if (!text.contains(u'&'))
        return text;
    static const std::pair<const char*, char16_t> kNamed[] = {
        {"amp", u'&'},       {"lt", u'<'},        {"gt", u'>'},        {"quot", u'"'},
        {"apos", u'\''},     {"nbsp", u'\u00A0'}, {"agrave", u'à'},    {"egrave", u'è'},
        {"eacute", u'é'},    {"igrave", u'ì'},    {"ograve", u'ò'},    {"ugrave", u'ù'},
        {"Egrave", u'È'},
    };
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const qsizetype semi = c == u'&' ? text.indexOf(u';', i + 1) : -1;
        if (semi < 0 || semi - i > 10) {
            out += c;
            continue;
        }
        const QString ref = text.mid(i + 1, semi - i - 1);
        bool done = false;
        if (ref.startsWith(u'#')) {
            bool ok = false;
            const uint code = ref.startsWith(u"#x", Qt::CaseInsensitive) ? ref.mid(2).toUInt(&ok, 16)
                                                                          : ref.mid(1).toUInt(&ok, 10);
            if (ok && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
                const char32_t ch = code;
                out += QString::fromUcs4(&ch, 1);
                done = true;
            }
        } else {
            for (const auto& [name, ch] : kNamed)
                if (ref == QLatin1String(name)) {
                    out += QChar(ch);
                    done = true;
                    break;
                }
        }
        if (done)
            i = semi;
        else
            out += c;
    }
    return out;
}

// A tag's name and attributes, read from just after '<' up to its '>'.
struct Tag {
    QString name; // lower case, with a leading '/' for an end tag
    std::vector<std::pair<QString, QString>> attributes; // names lower case
    qsizetype end = 0;                                  // index just past '>'

    QString attribute(const char* key) const
    {
        for (const auto& [k, v] : attributes)
            if (k == QLatin1String(key))
                return v;
        return {};
    }
};

Tag readTag(const QString& s, qsizetype at)
{
    Tag tag;
    const qsizetype n = s.size();
    qsizetype i = at;
    while (i < n && !isSpace(s[i]) && s[i] != u'>')
        ++i;
    tag.name = s.mid(at, std::min<qsizetype>(i - at, 32)).toLower();
    while (i < n && s[i] != u'>') {
        while (i < n && (isSpace(s[i]) || s[i] == u'/'))
            ++i;
        const qsizetype keyAt = i;
        while (i < n && !isSpace(s[i]) && s[i] != u'=' && s[i] != u'>')
            ++i;
        const QString key = s.mid(keyAt, std::min<qsizetype>(i - keyAt, 64)).toLower();
        QString value;
        while (i < n && isSpace(s[i]))
            ++i;
        if (i < n && s[i] == u'=') {
            ++i;
            while (i < n && isSpace(s[i]))
                ++i;
            qsizetype valueAt = i;
            qsizetype valueEnd;
            if (i < n && (s[i] == u'"' || s[i] == u'\'')) {
                const QChar quote = s[i];
                valueAt = ++i;
                while (i < n && s[i] != quote)
                    ++i;
                valueEnd = i;
                if (i < n)
                    ++i;
            } else {
                while (i < n && !isSpace(s[i]) && s[i] != u'>')
                    ++i;
                valueEnd = i;
            }
            value = decodeEntities(s.mid(valueAt, std::min(valueEnd - valueAt, kMaxValue)));
        }
        if (!key.isEmpty() && tag.attributes.size() < 16)
            tag.attributes.emplace_back(key, value);
        else if (key.isEmpty() && i < n && s[i] != u'>')
            ++i; // a stray character: step over it
    }
    tag.end = i < n ? i + 1 : n;
    return tag;
}

} // namespace

std::vector<SitemapEntry> parseSitemap(const QString& html)
{
    std::vector<SitemapEntry> entries;
    int depth = 0;
    bool inObject = false;
    SitemapEntry current;
    qsizetype i = 0;
    while (entries.size() < kMaxSitemapEntries) {
        const qsizetype lt = html.indexOf(u'<', i);
        if (lt < 0)
            break;
        if (html.mid(lt + 1, 3) == u"!--") {
            const qsizetype close = html.indexOf(u"-->", lt + 4);
            if (close < 0)
                break;
            i = close + 3;
            continue;
        }
        const Tag tag = readTag(html, lt + 1);
        i = tag.end;
        if (tag.name == u"ul") {
            ++depth;
        } else if (tag.name == u"/ul") {
            depth = std::max(0, depth - 1);
        } else if (tag.name == u"object") {
            inObject = tag.attribute("type").compare(u"text/sitemap", Qt::CaseInsensitive) == 0;
            current = SitemapEntry{};
            // Entries stand inside the first list; those before any list count as top level.
            current.depth = std::clamp(depth - 1, 0, kMaxSitemapDepth);
        } else if (tag.name == u"param" && inObject) {
            const QString key = tag.attribute("name");
            const QString value = tag.attribute("value").trimmed();
            // A keyword may name more pages: the first one counts.
            if (key.compare(u"Name", Qt::CaseInsensitive) == 0 && current.name.isEmpty())
                current.name = value;
            else if (key.compare(u"Local", Qt::CaseInsensitive) == 0 && current.local.isEmpty())
                current.local = value;
        } else if (tag.name == u"/object") {
            if (inObject && !current.name.isEmpty())
                entries.push_back(current);
            inObject = false;
        }
    }
    return entries;
}

QString decodeHelpPage(const QByteArray& bytes)
{
    QStringDecoder named = QStringDecoder::decoderForHtml(bytes);
    if (named.isValid() && named.name() != QLatin1String("UTF-8")) {
        QString text = named.decode(bytes);
        if (!named.hasError())
            return text;
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder windows("windows-1252");
    if (windows.isValid())
        return windows.decode(bytes);
    return QString::fromLatin1(bytes);
}

} // namespace framework
