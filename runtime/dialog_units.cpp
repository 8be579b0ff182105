#include "runtime/dialog_units.h"

#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>
#include <QFontMetrics>
#include <QStringList>
#include <QVariant>
#include <QWidget>

#include <cmath>

namespace vendrik {

QFont dialogFont()
{
    QFont font = QApplication::font();
    font.setPointSize(8);
    return font;
}

QRect dialogUnitsToPixels(const QFont& font, int x, int y, int w, int h)
{
    const QFontMetrics metrics(font);
    // The average width of the letters, as dialog base units are measured: the font's own
    // average is narrower than text and would clip captions.
    static const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const double unitX = metrics.horizontalAdvance(letters) / 52.0 / 4.0;
    const double unitY = metrics.height() / 8.0;
    // Each value on its own, as the designer's rounding did: edges of neighbours stay aligned.
    const auto px = [](int du, double unit) { return static_cast<int>(std::lround(du * unit)); };
    return QRect(px(x, unitX), px(y, unitY), px(w, unitX), px(h, unitY));
}

std::optional<QRect> parseDialogUnits(const QString& text)
{
    const QStringList parts = text.split(u',');
    if (parts.size() != 4)
        return std::nullopt;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i].trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    return QRect(v[0], v[1], v[2], v[3]);
}

namespace {

// Dialog units were measured on another font: a check box whose caption needs more room than
// its designed width grows by the difference, away from its box, so no letter is cut off.
void fitCaption(QWidget* control)
{
    if (!qobject_cast<QCheckBox*>(control) && !qobject_cast<QRadioButton*>(control))
        return;
    const int missing = control->sizeHint().width() - control->width();
    if (missing <= 0)
        return;
    QRect r = control->geometry();
    if (control->layoutDirection() == Qt::RightToLeft)
        r.setLeft(r.left() - missing); // the box stays where it was designed, at the right
    else
        r.setWidth(r.width() + missing);
    control->setGeometry(r);
}

} // namespace

void applyDialogUnits(QWidget* form)
{
    const QFont font = dialogFont();
    form->setFont(font);
    const auto designed = [](const QWidget* w) {
        return parseDialogUnits(w->property(kDialogUnitsProperty).toString());
    };
    if (const auto du = designed(form))
        form->resize(dialogUnitsToPixels(font, 0, 0, du->width(), du->height()).size());
    for (QWidget* child : form->findChildren<QWidget*>()) {
        if (const auto du = designed(child)) {
            child->setGeometry(dialogUnitsToPixels(font, du->x(), du->y(), du->width(), du->height()));
            fitCaption(child);
        }
    }
}

} // namespace vendrik
