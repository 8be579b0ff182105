#include "reportform/field_spec.h"

#include "runtime/dates.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace vendrik {

FieldSpec::FieldSpec(QLineEdit* box, char type, int length, int decimals)
    : QObject(box), box_(box), type_(type), length_(length), decimals_(decimals)
{
    if (type_ == 'N') {
        const QRegularExpression digits(QStringLiteral("\\d{0,%1}").arg(length_));
        box_->setValidator(new QRegularExpressionValidator(digits, this));
    } else if (type_ == 'D') {
        connect(box_, &QLineEdit::editingFinished, this, &FieldSpec::reformatDate);
    }
}

void FieldSpec::reformatDate()
{
    box_->setText(formatDate(parseDate(box_->text())));
}

} // namespace vendrik
