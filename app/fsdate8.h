#pragma once

#include <QDate>
#include <QObject>
#include <QString>

class QLineEdit;

namespace app {

// The field spec of the inspection-date box: a date of length 8, no decimals, no picture,
// shown and read in the process-wide date format.
class FSDATE8 : public QObject {
    Q_OBJECT

public:
    explicit FSDATE8(QObject* parent = nullptr) : QObject(parent) {}
    static constexpr const char* name = "FSDATE8";
    static constexpr char type = 'D';
    static constexpr int length = 8;
    static constexpr int decimals = 0;

    // Binds the box: what is typed is read as a date when editing ends and shown again in the
    // date format; text that is no date leaves the box empty.
    void attach(QLineEdit* box);
    void setDate(QLineEdit* box, const QDate& date) const;
    QDate date(const QLineEdit* box) const;
};

} // namespace app
