#pragma once

#include "runtime/vendrik_export.h"

#include <QObject>
#include <QString>

class QLineEdit;

namespace vendrik {

// What an edit box holds and how it shows it: "N" a number of `length` digits (no decimals are
// used here), "D" a date shown in the process-wide date format.
class VENDRIK_EXPORT FieldSpec : public QObject {
    Q_OBJECT

public:
    // `box` is bound for good: a number box takes digits only, a date box reads what is typed
    // as a date when editing ends and shows it again in the date format (a text that is no
    // date leaves it empty). The field spec lives as long as the box.
    FieldSpec(QLineEdit* box, char type, int length, int decimals);

    char type() const { return type_; }
    int length() const { return length_; }
    int decimals() const { return decimals_; }

private:
    void reformatDate();

    QLineEdit* box_;
    char type_;
    int length_;
    int decimals_;
};

} // namespace vendrik
