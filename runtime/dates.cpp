#include "runtime/dates.h"

#include <QRegularExpression>

namespace vendrik {

namespace {
QString& formatSetting()
{
    static QString format = QStringLiteral("dd.MM.yyyy");
    return format;
}
int& epochSetting()
{
    static int epoch = 1900;
    return epoch;
}

// "dd.mm.yyyy" as the program writes it, in Qt's own letters.
QString toQtFormat(const QString& format)
{
    QString out = format;
    out.replace(QStringLiteral("mm"), QStringLiteral("MM"));
    return out;
}
} // namespace

void setDateFormat(const QString& format) { formatSetting() = toQtFormat(format); }
void setYearEpoch(int firstYear) { epochSetting() = firstYear; }
QString dateFormat() { return formatSetting(); }
int yearEpoch() { return epochSetting(); }

QDate parseDate(const QString& text)
{
    static const QRegularExpression re(
        QStringLiteral("^\\s*(\\d{1,2})[./-](\\d{1,2})[./-](\\d{2}|\\d{4})\\s*$"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return {};
    int year = m.captured(3).toInt();
    if (m.captured(3).size() == 2) {
        const int epoch = yearEpoch();
        year += epoch - epoch % 100;
        if (year < epoch)
            year += 100;
    }
    return QDate(year, m.captured(2).toInt(), m.captured(1).toInt());
}

QString formatDate(const QDate& date)
{
    return date.isValid() ? date.toString(dateFormat()) : QString();
}

} // namespace vendrik
