#pragma once

#include <QFont>
#include <QString>

namespace wordauto::layout {

// The family that stands in for a font a document names. Documents name Windows fonts; the
// metric-compatible free ones break lines where the author's Word broke them.
QString substituteFamily(const QString& documentFamily);

// Makes sure the metric-compatible families are known to Qt, loading them from the system
// font folders when fontconfig did not offer them. Cheap after the first call.
void ensureSubstituteFonts();

// A font for layout: sizes in points on a 72-dpi device, without hinting, so that advances
// are the outline's own and scale exactly to any printer or PDF resolution.
QFont layoutFont(const QString& documentFamily, double pointSize, bool bold, bool italic);

} // namespace wordauto::layout
