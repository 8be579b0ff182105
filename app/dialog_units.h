#pragma once

#include <QFont>
#include <QRect>
#include <QString>

#include <optional>

class QWidget;

namespace app {

// The dynamic property that carries a widget's designed geometry, "x,y,w,h" in dialog units.
inline constexpr const char* kDialogUnitsProperty = "du";

// The font the windows are designed in: the application font at 8 points.
QFont dialogFont();

// Dialog units of `font` in pixels: a horizontal unit is a quarter of the average width of the
// letters, a vertical one an eighth of the line height.
QRect dialogUnitsToPixels(const QFont& font, int x, int y, int w, int h);

// "x,y,w,h" as a rectangle in dialog units; nothing when it is not four integers.
std::optional<QRect> parseDialogUnits(const QString& text);

// Puts `form` in the dialog font and gives it and every descendant that carries the property
// its designed geometry; the form itself is only sized, its position is the caller's. A check
// box too narrow for its caption in this font grows away from its box.
void applyDialogUnits(QWidget* form);

} // namespace app
