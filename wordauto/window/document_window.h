#pragma once

// A document of a visible instance in its own window: its pages, its form fields live, and the
// commands Salva, Stampa and Chiudi. Closing the last window of an instance ends the instance,
// as a user quitting Word does.

#include <QMainWindow>

#include <memory>
#include <vector>

class QAction;
class QComboBox;
class QLabel;

namespace wordauto::detail {
struct ApplicationState;
class DocumentModel;
} // namespace wordauto::detail

namespace wordauto::window {

class PageView;

class DocumentWindow : public QMainWindow {
public:
    DocumentWindow(std::shared_ptr<detail::ApplicationState> app, std::shared_ptr<detail::DocumentModel> doc);

    PageView* view() const { return view_; }
    const detail::DocumentModel& document() const { return *doc_; }
    QAction* saveAction() const { return save_; }
    QAction* printAction() const { return print_; }
    QAction* closeAction() const { return close_; }
    QString statusText() const;
    QString pageText() const;

    // Salva: false when the save failed (the user was told) or is not possible.
    bool save();
    void print();

    // Closed by the object model: no question, the document is already gone.
    void dismiss();
    bool dismissed() const { return dismissed_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void refreshTitle();
    void refreshStatus();
    void showHelp();
    bool askAndClose();

    std::shared_ptr<detail::ApplicationState> app_;
    std::shared_ptr<detail::DocumentModel> doc_;
    PageView* view_;
    QLabel* status_;
    QLabel* page_;
    QComboBox* zoom_;
    QAction* save_;
    QAction* print_;
    QAction* close_;
    bool dismissed_ = false;
};

// The document windows open now, in the order they were made.
std::vector<DocumentWindow*> documentWindows();

} // namespace wordauto::window
