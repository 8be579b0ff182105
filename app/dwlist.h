#pragma once

#include "engine/frame_port.h"
#include "engine/number_index.h"
#include "engine/program_state.h"
#include "runtime/file_lookup.h"

#include <QDialog>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <string>

class QCheckBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace Ui {
class _DWLIST;
}

namespace app {

class ProgressWindowAdapter;

// The picker's designed controls, from the form "_DWList" in dialog units.
class _DWLIST : public QDialog {
    Q_OBJECT

public:
    explicit _DWLIST(QWidget* owner);
    ~_DWLIST() override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The list view's only column: at least wide enough for its widest text, at most the view.
    void fitColumn();

    QLabel* FT2;
    QCheckBox* CB1;
    QTableWidget* LV1;
    QPushButton* PBOK;
    QPushButton* PBANNULLA;
    QPushButton* PBHELP;

private:
    std::unique_ptr<Ui::_DWLIST> ui_;
    QSize designedSize_;
    QRect designedList_;
};

// The list picker: the user ticks lists to add to the dossier ("ADD"), to remove from it
// ("DEL") or to print or merge ("PRN"). OK does the file work and leaves in aListPick what was
// done: list numbers copied or deleted, or the paths of the documents collected.
class DWLIST : public _DWLIST {
    Q_OBJECT

public:
    // INIT: built with its owner (not yet shown) and filled; aListPick emptied.
    DWLIST(QWidget* owner, const QString& mode, engine::ProgramState& state);
    ~DWLIST() override;

    // The result of a picker whose OK work was cancelled in its loop (OK is 1, Annulla 0).
    static constexpr int kInterrupted = 2;
    // How the picker ended, read from its result.
    engine::PickerEnd ending() const;

    const QString symMode;

    // Where "?" sends the user; without one the button does nothing.
    void setHelpDisplay(std::function<void(const QString& topic)> display);

    void MTDLOAD();
    // Ends with result 1, or kInterrupted when a cancel stopped its loop; may run on a picker
    // that was never shown.
    void PBOK();
    void PBANNULLA();
    void PBHELP();

    // The list view as the tests and the merge read it.
    int itemCount() const;
    QString itemNumber(int row) const;
    QString itemText(int row) const;
    bool itemChecked(int row) const;
    void setItemChecked(int row, bool checked);
    bool separatorsChecked() const;
    void setSeparatorsChecked(bool checked);

public slots:
    // While the work runs, closing the picker asks the work to stop, as "Annulla" of its
    // progress window does.
    void reject() override;

private:
    // Fills row r of the list view with the list of `row`.
    void fillRow(int r, const engine::IndexRow& row, bool checked);
    int box(const std::string& text, unsigned type);
    void setControlsEnabled(bool enabled);

    // The work of OK by mode; false when the picker went away during a pump.
    bool runWork();
    bool folderTests();
    // Mandatory pass of ADD (tick) and DEL (untick); true when an item is then chosen.
    bool mandatoryPass(bool tick, const engine::NumberIndex<engine::IndexRow>& listRows);
    bool anyChosen(const engine::NumberIndex<engine::IndexRow>& listRows) const;
    // The loop over the list view's items, `work` called for each ticked one.
    bool itemLoop(ProgressWindowAdapter& progress, const char* itemText, const char* interrupted,
                  const std::function<void(const std::string& number)>& work);
    void copyList(const std::string& number, const vendrik::FolderLookup& archive,
                  const vendrik::FolderLookup& dossier);
    void deleteList(const std::string& number, const vendrik::FolderLookup& dossier);
    void collectList(const std::string& number, std::string& lastSection,
                     const engine::NumberIndex<engine::IndexRow>& sectionRows);

    engine::ProgramState& state_;
    std::function<void(const QString&)> help_;
    bool working_ = false;
    bool interrupted_ = false;
    ProgressWindowAdapter* progress_ = nullptr;
};

} // namespace app
