#pragma once

#include "runtime/msgbox_codes.h"

#include <memory>
#include <optional>
#include <string>

namespace engine {

// Message box type codes, as the program has always used them (combinable: YesNo | Question).
namespace mb = vendrik::mb;

// What a message box returns.
enum class BoxAnswer { Ok = vendrik::answer::Ok, Yes = vendrik::answer::Yes, No = vendrik::answer::No };

inline constexpr const char* kCaptionCorvalta = "Corvalta";
inline constexpr const char* kCaptionQuarvello = "Quarvello";

// A tree item as the engine builds it: name (unique in the tree), caption, value, bold flag and
// state image (0 none, 1 white, 2 red, 3 yellow, 4 green face).
struct TreeItem {
    std::string name;
    std::string caption;
    std::string value;
    bool bold = false;
    int stateImage = 0;
};

inline constexpr const char* kTreeRoot = "ROOT";

// The picker's mode that collects the documents to print or merge.
inline constexpr const char* kPickerPrint = "PRN";

// How the list picker ended.
enum class PickerEnd {
    Cancelled,   // "Annulla" or its close box: nothing done
    Done,        // OK, and its work ran to the end (or found nothing to do)
    Interrupted, // OK, then its work was cancelled: aListPick holds what was done before
};

// The progress window of a long operation, as its caller drives it. Showing it returns at
// once; cancelling only raises the flag, which the caller reads once per item.
class ProgressWindow {
public:
    virtual ~ProgressWindow() = default;
    virtual void setText(const std::string& text) = 0;
    virtual void hideCancel() = 0;
    virtual void disableCancel() = 0;
    virtual void hideBar() = 0;
    virtual void setRange(int low, int high) = 0;
    virtual int position() const = 0;
    virtual void setPosition(int position) = 0;
    virtual bool aborted() const = 0;
    virtual void show() = 0;
    virtual void close() = 0;
};

// Everything the engine shows or asks goes through here: the main window implements it with Qt,
// the tests with a recorder.
class FramePort {
public:
    virtual ~FramePort() = default;

    // A message box owned by the main window.
    virtual BoxAnswer messageBox(const std::string& text, const std::string& caption,
                                 unsigned type) = 0;
    // The framework's error box, without an owner.
    virtual void errorBox(const std::string& text) = 0;
    virtual std::unique_ptr<ProgressWindow> createProgress(const std::string& caption) = 0;
    // One pass of the event loop.
    virtual void pumpEvents() = 0;

    // The list tree.
    virtual void treeSuspendUpdate() = 0;
    virtual void treeRestoreUpdate() = 0;
    virtual void treeDeleteAll() = 0;
    // Appends the item as the last child of `parent`; false when the parent is not in the tree.
    virtual bool treeAddItem(const std::string& parent, const TreeItem& item) = 0;
    // Removes the item and what is under it, or only what is under it.
    virtual bool treeDeleteItem(const std::string& name, bool childrenOnly) = 0;
    virtual std::optional<TreeItem> treeItem(const std::string& name) const = 0;
    virtual void treeSetItem(const TreeItem& item) = 0;
    // Orders the children of `parent` by their values.
    virtual void treeSortChildren(const std::string& parent) = 0;
    virtual std::optional<TreeItem> treeSelectedItem() const = 0;
    // Expands the whole tree and selects its first top-level item (the "+" button).
    virtual void treeExpandAll() = 0;

    // The dossier folder box (the dossier's path below the root's DATI folder).
    virtual std::string dossierFolderBox() const = 0;

    // The inspection-data boxes and the notes box of the main window.
    virtual void setHeaderText(int box, const std::string& text) = 0; // 1..5 (4 is the date)
    virtual void setNotes(const std::string& text) = 0;

    // Menu items by identifier.
    virtual void enableMenuItem(int id, bool enabled) = 0;

    // The list picker, modal, in mode "ADD", "DEL" or "PRN": it does the file work itself and
    // leaves what it did in the state's aListPick.
    virtual PickerEnd listPicker(const std::string& mode) = 0;
    // The list picker made but never shown: its OK step run at once on what it ticks to begin
    // with.
    virtual PickerEnd listPickerConfirmed(const std::string& mode) = 0;
};

// The tree's redrawing suspended while the guard lives, and resumed on every way out, a
// failure included: the suspension is counted, so one missed resume would stop it for good.
class TreeUpdateSuspension {
public:
    explicit TreeUpdateSuspension(FramePort& frame) : frame_(frame) { frame_.treeSuspendUpdate(); }
    ~TreeUpdateSuspension() { frame_.treeRestoreUpdate(); }
    TreeUpdateSuspension(const TreeUpdateSuspension&) = delete;
    TreeUpdateSuspension& operator=(const TreeUpdateSuspension&) = delete;

private:
    FramePort& frame_;
};

} // namespace engine
