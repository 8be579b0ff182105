#include "reportform/display_lines.h"

#include <algorithm>

namespace vendrik {

namespace {

bool isBlank(QChar c)
{
    return c == u' ';
}

// Calls `take` with each line of `text`: the text is its lines joined by CR LF, so a CR LF that
// closes the text is followed by an empty last line; "" has no line. A CR or LF alone is a
// character of its line.
template <typename F>
bool forEachLine(const QString& text, F&& take)
{
    if (text.isEmpty())
        return true;
    const QStringView all(text);
    qsizetype start = 0;
    while (true) {
        const qsizetype end = all.indexOf(u"\r\n", start);
        if (!take(all.mid(start, (end < 0 ? all.size() : end) - start)))
            return false;
        if (end < 0)
            return true;
        start = end + 2;
    }
}

// Tabs expanded; without wrap nothing past `limit` columns is built, so a huge line costs no
// more than the width it shows.
QString expandTabs(QStringView line, int tabSize, qsizetype limit)
{
    QString out;
    out.reserve(std::min(line.size(), limit));
    for (QChar c : line) {
        if (out.size() >= limit)
            break;
        if (c == u'\t')
            out.append(QString(tabSize - out.size() % tabSize, u' '));
        else
            out.append(c);
    }
    if (out.size() > limit)
        out.truncate(limit);
    return out;
}

} // namespace

void forEachDisplayLine(const QString& text, int lineLen, int tabSize, bool wrap,
                        const std::function<bool(const QString&)>& take)
{
    const int width = std::max(lineLen, 1);
    const int tab = std::max(tabSize, 1);
    forEachLine(text, [&](QStringView line) {
        QString rest = expandTabs(line, tab, wrap ? line.size() * qsizetype(tab) : width);
        if (!wrap || rest.size() <= width)
            return take(rest);
        while (rest.size() > width) {
            // A blank at the width itself still lets the first `width` columns fit.
            const qsizetype blank = rest.lastIndexOf(u' ', width);
            const qsizetype cut = blank > 0 ? blank : width;
            if (!take(rest.left(cut)))
                return false;
            rest.remove(0, blank > 0 ? cut + 1 : cut);
        }
        return take(rest);
    });
}

QString trimBlanks(const QString& text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

QString trimTrailingBlanks(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && isBlank(text[end - 1]))
        --end;
    return text.left(end);
}

QStringList memoLines(const QString& text, int lineLen, int tabSize, bool wrap, bool keepEmpty)
{
    const int width = std::max(lineLen, 1);
    QStringList lines;
    forEachDisplayLine(text, width, tabSize, wrap, [&](const QString& line) {
        if (keepEmpty || !trimBlanks(line).isEmpty())
            lines.append(line + QString(width - line.size(), u' '));
        return true;
    });
    return lines;
}

QString memoToString(const QString& memo, bool keepEmpty, const QString& sep)
{
    QStringList lines;
    forEachLine(memo, [&](QStringView line) {
        lines.append(line.toString());
        return true;
    });
    QString out;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = trimTrailingBlanks(lines[i]);
        if (line.isEmpty() && !keepEmpty)
            continue;
        out += line;
        if (i + 1 < lines.size())
            out += sep;
    }
    return trimBlanks(out);
}

} // namespace vendrik
