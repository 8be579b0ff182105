#pragma once

#include <QDialog>
#include <QString>

#include <memory>

class QLabel;
class QPushButton;

namespace Ui {
class _DWABOUT;
}

namespace app {

// The About box as designed, in dialog units: the program's picture, three centred lines and a
// framed fourth, and OK.
class _DWABOUT : public QDialog {
    Q_OBJECT

public:
    explicit _DWABOUT(QWidget* owner);
    ~_DWABOUT() override;

    QLabel* FI1;
    QLabel* FLD00;
    QLabel* FLD01;
    QLabel* FLD02;
    QLabel* FLD03;
    QPushButton* PBOK;

private:
    std::unique_ptr<Ui::_DWABOUT> ui_;
};

class DWABOUT : public _DWABOUT {
    Q_OBJECT

public:
    DWABOUT(QWidget* owner, const QString& text0, const QString& text1, const QString& text2,
            const QString& text3);

public slots:
    // Ends the dialog with result 1.
    void PBOK_clicked();
};

} // namespace app
