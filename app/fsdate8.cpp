#include "app/fsdate8.h"

#include "runtime/dates.h"

#include <QLineEdit>

namespace app {

void FSDATE8::attach(QLineEdit* box)
{
    connect(box, &QLineEdit::editingFinished, this, [this, box] { setDate(box, date(box)); });
}

void FSDATE8::setDate(QLineEdit* box, const QDate& date) const
{
    box->setText(vendrik::formatDate(date));
}

QDate FSDATE8::date(const QLineEdit* box) const { return vendrik::parseDate(box->text()); }

} // namespace app
