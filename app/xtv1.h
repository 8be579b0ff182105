#pragma once

#include "engine/frame_port.h"

#include <QHash>
#include <QSet>
#include <QIcon>
#include <QString>
#include <QMenu>
#include <QPointer>
#include <QTreeWidget>

#include <optional>

namespace app {

// The program's own pictures, drawn on first use. The faces are 16 x 16 with a black outline on
// a transparent ground.
QIcon ICO_BLANK1();   // nothing at all, so that captions stay aligned
QIcon ICO_SMILE_W1(); // white, straight mouth
QIcon ICO_SMILE_R1(); // red, mouth turned down
QIcon ICO_SMILE_Y1(); // yellow, straight mouth
QIcon ICO_SMILE_G1(); // green, smiling
QIcon ICO_00();       // the program: a safety-yellow clipboard with a check mark, 32 x 32

// The state image at position `state` of the list above (blank, white, red, yellow, green);
// blank for any value outside 0..4.
QIcon stateImage(int state);

// The list tree. Every operation addresses items by their names, which are unique in the tree;
// the caption may be edited in place, the name and the value never change that way.
class XTV1 : public QTreeWidget {
    Q_OBJECT

public:
    explicit XTV1(QWidget* owner = nullptr);

    // Appends `item` as the last child of `parent` (engine::kTreeRoot for the top level); false
    // when the parent is missing or the name is already in the tree.
    bool ADDITEM(const QString& parent, const engine::TreeItem& item);
    void DELETEALL();
    // Removes the item and everything under it, or only what is under it; false when nothing
    // was removed.
    bool DELETEITEM(const QString& name, bool childrenOnly = false);
    std::optional<engine::TreeItem> GETITEMATTRIBUTES(const QString& name) const;
    // Writes caption, value, bold flag and state image of the item named in `item`.
    bool SETITEMATTRIBUTES(const engine::TreeItem& item);
    // Orders the direct children of `parent` by XTV1SORT1 on their values; equal values keep
    // their order and what is under the children is left as it is.
    void SORTCHILDREN(const QString& parent);
    // 1, -1 or 0 as `a` sorts after, before or with `b`; the values are list numbers of the fixed
    // form d.dd.dd, so their text order is their order.
    static int XTV1SORT1(const QString& a, const QString& b);

    std::optional<engine::TreeItem> GETSELECTEDITEM() const;
    // The first top-level item.
    std::optional<engine::TreeItem> GETROOTITEM() const;
    bool SELECTITEM(const QString& name);
    // Items at every depth.
    int ITEMCOUNT() const;

    // Redrawing stops at the first call and starts again at the matching last RESTOREUPDATE.
    // Items removed meanwhile cost the same however many branches are open: the open branches
    // are closed at the first removal and opened again at the last RESTOREUPDATE.
    void SUSPENDUPDATE();
    void RESTOREUPDATE();
    void EXPANDALL();
    void COLLAPSEALL();

    // The "+" and "-" buttons of the main window: the whole tree opened, or only the top level
    // showing; then the tree takes the focus with its first top-level item selected. Nothing
    // happens on an empty tree.
    void PBEXPAND();
    void PBCOLLAPSE();

    QTreeWidgetItem* itemByName(const QString& name) const;
    static QString nameOf(const QTreeWidgetItem* item);

    // The menu shown on a right click and on the context-menu key.
    void setContextMenu(QMenu* menu) { contextMenu_ = menu; }
    QMenu* contextMenu() const { return contextMenu_; }

signals:
    // The name of the selected item, empty when none is.
    void selectedItemChanged(const QString& name);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void forgetNames(QTreeWidgetItem* item);
    void closeOpenBranches();
    void reopenBranches();
    static void showAttributes(QTreeWidgetItem* item, const engine::TreeItem& attributes);
    static engine::TreeItem attributesOf(const QTreeWidgetItem* item);

    QHash<QString, QTreeWidgetItem*> index_;
    int suspendDepth_ = 0;
    // Names of the branches open when they were closed for a removal, while updates are suspended.
    // Qt walks every open branch at each removed row, which made removing k items O(k x n).
    std::optional<QSet<QString>> closedBranches_;
    QPointer<QMenu> contextMenu_;
};

} // namespace app
