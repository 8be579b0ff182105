#pragma once

#include "runtime/vendrik_export.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace vendrik {

// A text is divided into lines at each CR LF pair: it is its lines joined by CR LF, so "a\r\n"
// holds the lines "a" and "", and "" none. A CR or LF alone is a character of its line.
//
// Display lines of a width: a tab goes to the next column that is a multiple of the tab size;
// without wrap a line keeps its first `lineLen` columns, with wrap it goes on over further
// display lines, broken at the last blank that fits (a longer word is cut at the width).
// The callback gets each display line unpadded; it returns false to stop.
VENDRIK_EXPORT void forEachDisplayLine(const QString& text, int lineLen, int tabSize, bool wrap,
                                       const std::function<bool(const QString&)>& take);

// Blanks (spaces) removed at both ends, or at the end only; tabs and line ends stay.
VENDRIK_EXPORT QString trimBlanks(const QString& text);
VENDRIK_EXPORT QString trimTrailingBlanks(const QString& text);

// The display lines of `text`, each padded with blanks to `lineLen`; blank ones only when
// `keepEmpty`.
VENDRIK_EXPORT QStringList memoLines(const QString& text, int lineLen, int tabSize, bool wrap, bool keepEmpty);

// The lines of `memo` without their trailing blanks, joined: each taken line is followed by
// `sep` unless it is the text's last line; blank lines are taken only when `keepEmpty`. The
// result loses its leading and trailing blanks (a separator after the last taken line stays).
VENDRIK_EXPORT QString memoToString(const QString& memo, bool keepEmpty = false, const QString& sep = {});

} // namespace vendrik
