#include "reportform/button_binding.h"

#include <QMetaMethod>
#include <QPushButton>
#include <QWidget>

namespace vendrik {

namespace {

// The slot is looked up at the click, when the dialog is whole: while a base class builds
// it, its subclasses' slots are not visible yet. From the most derived class down, so a
// subclass's slot wins over its base's.
void callSlotNamed(QWidget* dialog, const QString& name)
{
    const QMetaObject* meta = dialog->metaObject();
    for (int i = meta->methodCount() - 1; i >= 0; --i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() == QMetaMethod::Slot && method.parameterCount() == 0
            && QString::fromLatin1(method.name()).compare(name, Qt::CaseInsensitive) == 0) {
            method.invoke(dialog, Qt::DirectConnection);
            return;
        }
    }
}

} // namespace

void bindButtonsByName(QWidget* dialog)
{
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        QObject::connect(button, &QPushButton::clicked, dialog,
                         [dialog, button] { callSlotNamed(dialog, button->objectName()); });
    }
}

} // namespace vendrik
