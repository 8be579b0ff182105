#pragma once

#include <QFont>
#include <QRect>
#include <QString>

#include "runtime/vendrik_export.h"

#include <optional>

class QWidget;

namespace vendrik {

// The dynamic property that carries a widget's designed geometry, "x,y,w,h" in dialog units.
inline constexpr const char* kDialogUnitsProperty = "du";

// The font the windows are designed in: the application font at 8 points.
VENDRIK_EXPORT QFont dialogFont();

// Dialog units of `font` in pixels: a horizontal unit is a quarter of the average width of the
// letters, a vertical one an eighth of the line height.
VENDRIK_EXPORT QRect dialogUnitsToPixels(const QFont& font, int x, int y, int w, int h);

// "x,y,w,h" as a rectangle in dialog units; nothing when it is not four integers.
VENDRIK_EXPORT std::optional<QRect> parseDialogUnits(const QString& text);

// Puts `form` in the dialog font and gives it and every descendant that carries the property
// its designed geometry; the form itself is only sized, its position is the caller's.
VENDRIK_EXPORT void applyDialogUnits(QWidget* form);

} // namespace vendrik
