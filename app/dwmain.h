#pragma once

#include "app/fsdate8.h"
#include "app/m1.h"
#include "app/xtv1.h"
#include "engine/engine.h"

#include <QHash>
#include <QMainWindow>
#include <QRect>

#include <functional>
#include <memory>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace framework {
class HelpWindow;
}

namespace Ui {
class _DWMAIN;
}

namespace app {

// The main window's designed controls, from the form "_DWMain" in dialog units.
class _DWMAIN : public QMainWindow {
    Q_OBJECT

public:
    explicit _DWMAIN(QWidget* owner = nullptr);
    ~_DWMAIN() override;

    QPushButton* PBDIR0;
    QLineEdit* SLEDIR0;
    QPushButton* PBDIR1;
    QLineEdit* SLEDIR1;
    QLineEdit* SLE1;
    QLineEdit* SLE2;
    QLineEdit* SLE3;
    QLineEdit* SLE4;
    QLineEdit* SLE5;
    QGroupBox* GB3;
    QCheckBox* CB1;
    QPlainTextEdit* MLE1;
    QCheckBox* CB2;
    QCheckBox* CB3;
    XTV1* TV1;
    QPushButton* PBEXPAND;
    QPushButton* PBCOLLAPSE;
    FSDATE8* fsDate;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Controls that follow the window when it is resized: owner alignment 0x180 (the notes
    // group and box) follows in height, 0x580 (the tree) in width and height.
    struct Follower {
        QWidget* widget;
        QRect designed;
        bool width;
        bool height;
    };
    void followResize();

    std::unique_ptr<Ui::_DWMAIN> ui_;
    QSize designedSize_;
    std::vector<Follower> followers_;
};

// The main window: it carries the engine's commands and shows what the engine asks.
class DWMAIN : public _DWMAIN, public engine::FramePort {
    Q_OBJECT

public:
    explicit DWMAIN(engine::ProgramState& state, QWidget* owner = nullptr);

    engine::Engine& engine() { return engine_; }

    // engine::FramePort
    engine::BoxAnswer messageBox(const std::string& text, const std::string& caption,
                                 unsigned type) override;
    void errorBox(const std::string& text) override;
    std::unique_ptr<engine::ProgressWindow> createProgress(const std::string& caption) override;
    void pumpEvents() override;
    void treeSuspendUpdate() override;
    void treeRestoreUpdate() override;
    void treeDeleteAll() override;
    bool treeAddItem(const std::string& parent, const engine::TreeItem& item) override;
    bool treeDeleteItem(const std::string& name, bool childrenOnly) override;
    std::optional<engine::TreeItem> treeItem(const std::string& name) const override;
    void treeSetItem(const engine::TreeItem& item) override;
    void treeSortChildren(const std::string& parent) override;
    std::optional<engine::TreeItem> treeSelectedItem() const override;
    void treeExpandAll() override;
    std::string dossierFolderBox() const override;
    void setHeaderText(int box, const std::string& text) override;
    void setNotes(const std::string& text) override;
    void enableMenuItem(int id, bool enabled) override;
    engine::PickerEnd listPicker(const std::string& mode) override;
    engine::PickerEnd listPickerConfirmed(const std::string& mode) override;

    // Start-up and reload: settings, help file, list index, dossier.
    void MTDINIT();
    // Folder choosers and view switches.
    void PBDIR0();
    void PBDIR1();
    void BUTTONCLICK(QObject* control);
    void TREEVIEWSELECTIONCHANGED(const QString& name);

    // Adding and removing lists ("Liste" > "Aggiungi...", "Elimina...").
    Q_INVOKABLE void FNZLISTADD();
    Q_INVOKABLE void FNZLISTDEL();
    // The merged dossier document ("Fascicolo" > "Genera...").
    Q_INVOKABLE void FNZLISTWRD();
    // The print run with page numbers running on; no menu item runs it.
    Q_INVOKABLE void FNZLISTPRN();
    // Help: "Guida in linea" opens the contents, then the main window's topic. A topic is shown
    // only while MTDINIT found the help file; without it nothing happens.
    Q_INVOKABLE void HLP_TOC();
    void showHelpTopic(const QString& topic);
    framework::HelpWindow* helpDisplay() const { return helpDisplay_; }

    // The close query: the base's answer, after the held Word was quit.
    bool QUERYCLOSE();
    void PBEXPAND_clicked() { TV1->PBEXPAND(); }
    void PBCOLLAPSE_clicked() { TV1->PBCOLLAPSE(); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void writeSetting(const char* key, const std::string& value);
    void writeCheck(const char* key, bool checked) { writeSetting(key, checked ? "1" : "0"); }

    void createHelpDisplay();
    framework::HelpWindow* helpDisplay_ = nullptr; // a child window, owned by this one

    engine::ProgramState& state_;
    engine::Engine engine_;

    // ---- Menus, toolbar, context menu and running commands (dwmain_menus.cpp) ----
public:
    // The commands the menu items run, found by their names.
    Q_INVOKABLE void ENDWINDOW();
    Q_INVOKABLE void FNZLOAD();
    Q_INVOKABLE void FNZCLOSEALL();
    Q_INVOKABLE void FNZPARSE();
    Q_INVOKABLE void OPEN_DWABOUT();

    // Runs a command of the user: one at a time (false, and nothing done, while another runs),
    // with the framework's error handling. Menus, toolbar and controls are disabled meanwhile;
    // a close asked for meanwhile cancels the command and closes the window once it returned.
    bool runCommand(const QString& name, const std::function<void()>& body);
    // The window's invocable method of this name, run as a command.
    void runMethod(const QByteArray& method);
    bool commandRunning() const { return commandRunning_; }

    M1* menu() const { return m1_; }
    CM1* treeMenu() const { return cm1_; }
    // The item of this identifier can run (bound and enabled).
    bool menuItemEnabled(int id) const;

private:
    void installMenus();
    void installSavePrompt();
    void setCommandControlsEnabled(bool enabled);
    void cancelRunningCommand();
    // The selection handler, with the framework's error handling.
    void showSelectedNotes(const QString& name);

    M1* m1_ = nullptr;
    CM1* cm1_ = nullptr;
    bool commandRunning_ = false;
    bool closePending_ = false;
    // The tree's selection changed while a command ran.
    bool selectionMoved_ = false;
    // ---- end of menus ----

    // ---- Opening lists and results for the user, and recovered edits (dwmain_open.cpp) ----
public:
    // "Apri" of the lists, report and dossier popups, their buttons and "Apri Lista".
    Q_INVOKABLE void FNZOPEN();
    Q_INVOKABLE void FNZOPENR();
    Q_INVOKABLE void FNZOPENF();

private:
    // Word asks here whether to take the values of a recovery copy found on opening.
    void installRecoveryPrompt();
    // ---- end of opening ----
};

} // namespace app
