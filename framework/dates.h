#pragma once

#include <QDate>
#include <QString>

namespace framework {

// The process-wide date format and two-digit-year epoch, set once when the main window is
// built: dates show as "dd.mm.yyyy" and a two-digit year reads as a year from the epoch on
// (epoch 2000: 05 is 2005).
void setDateFormat(const QString& format);
void setYearEpoch(int firstYear);
QString dateFormat();
int yearEpoch();

// A date typed or read from a document: "d.m.yyyy", "dd.mm.yy" and the like, with '.', '/' or
// '-' between the parts; an invalid QDate when the text is not a date.
QDate parseDate(const QString& text);
QString formatDate(const QDate& date);

} // namespace framework
