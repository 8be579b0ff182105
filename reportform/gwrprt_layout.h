#pragma once

#include "runtime/vendrik_export.h"

#include <QDialog>

#include <memory>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace Ui {
class _GWrprt;
}

namespace vendrik {

// The report form's designed controls, from the form "_GWrprt" in dialog units. A click on a
// push button calls the form's slot of the same name, when there is one.
class VENDRIK_EXPORT _GWrprt : public QDialog {
    Q_OBJECT

public:
    explicit _GWrprt(QWidget* owner = nullptr);
    ~_GWrprt() override;

    QProgressBar* PB1;
    QLineEdit* NSEL;
    QLineEdit* NSTA;
    QLineEdit* DREP;
    QGroupBox* GB2;
    QLabel* FTSUB;
    QLineEdit* NSUB;
    QListWidget* CCOD;
    QPlainTextEdit* CDES;
    QListWidget* CARC;
    QPushButton* PBAVVIA;
    QPushButton* PBANNULLA;
    QPushButton* PBCHIUDI;
    QPushButton* PBLIMITI;
    QPushButton* PBHELP;

private:
    std::unique_ptr<Ui::_GWrprt> ui_;
};

} // namespace vendrik
