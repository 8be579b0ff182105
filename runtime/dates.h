#pragma once

#include <QDate>
#include <QString>

#include "runtime/vendrik_export.h"

namespace vendrik {

// The process-wide date format and two-digit-year epoch, shared by the program and the library
// and set once when the main window is built: dates show as "dd.mm.yyyy" and a two-digit year reads as a year from the epoch on
// (epoch 2000: 05 is 2005).
VENDRIK_EXPORT void setDateFormat(const QString& format);
VENDRIK_EXPORT void setYearEpoch(int firstYear);
VENDRIK_EXPORT QString dateFormat();
VENDRIK_EXPORT int yearEpoch();

// A date typed or read from a document: "d.m.yyyy", "dd.mm.yy" and the like, with '.', '/' or
// '-' between the parts; an invalid QDate when the text is not a date.
VENDRIK_EXPORT QDate parseDate(const QString& text);
VENDRIK_EXPORT QString formatDate(const QDate& date);

} // namespace vendrik
