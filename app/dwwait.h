#pragma once

#include "engine/frame_port.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

namespace Ui {
class _DWWAIT;
}

namespace app {

// The progress window of a long operation. It is modeless: the caller's loop keeps running
// while it shows, reads LABORT once per item and closes the window with ENDDIALOG.
class DWWAIT : public QDialog {
    Q_OBJECT

public:
    explicit DWWAIT(QWidget* owner, std::optional<QString> caption = {},
                    std::optional<QString> text = {});
    ~DWWAIT() override;

    // Lines separated by CR LF show as lines of their own. A text too long for the box shows
    // each line shortened in its middle; text() is still the whole of it. A window shown since
    // this one (the operation's own, such as a Word document) goes behind it again.
    void setText(const QString& text);
    QString text() const;

    using QDialog::show;
    // Makes the window visible and returns at once; the program only ever passes 0.
    void show(int showState);
    // Does nothing: a modal loop would stop the very loop that drives the window.
    void EXECMODAL() {}
    void ENDDIALOG();

    // Raised by "Annulla", never lowered.
    bool LABORT = false;

public slots:
    void PBANNULLA();
    // Escape and the window manager's close do not end it: only its caller does.
    void reject() override {}

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // Notes a window shown while this one is up, which may hide it.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class ProgressWindowAdapter;
    std::unique_ptr<Ui::_DWWAIT> ui_;
    QString text_;
    bool covered_ = false;
};

// The engine's view of a DWWAIT; the bar only ever moves forward.
class ProgressWindowAdapter : public engine::ProgressWindow {
public:
    ProgressWindowAdapter(QWidget* owner, const QString& caption);
    ~ProgressWindowAdapter() override;

    void setText(const std::string& text) override;
    void hideCancel() override;
    void disableCancel() override;
    void hideBar() override;
    void setRange(int low, int high) override;
    int position() const override;
    // A value below the current one is ignored; one beyond the range stops at its end.
    void setPosition(int position) override;
    bool aborted() const override;
    void show() override;
    void close() override;

    DWWAIT* dialog() const { return dialog_; }

private:
    // The owner may take the window with it first.
    QPointer<DWWAIT> dialog_;
};

} // namespace app
