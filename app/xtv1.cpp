#include "app/xtv1.h"

#include <QContextMenuEvent>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <array>
#include <functional>

namespace app {

namespace {

enum class Mouth { Straight, Down, Smile };

QImage blankImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage drawImage(int size, const std::function<void(QPainter&)>& draw)
{
    QImage image = blankImage(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    return image;
}

QImage faceImage(const QColor& fill, Mouth mouth)
{
    return drawImage(16, [&](QPainter& p) {
        p.setPen(QPen(Qt::black, 1.0));
        p.setBrush(fill);
        p.drawEllipse(QRectF(1.5, 1.5, 13.0, 13.0));

        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawEllipse(QRectF(4.6, 4.6, 2.3, 2.6));
        p.drawEllipse(QRectF(9.1, 4.6, 2.3, 2.6));

        QPen pen(Qt::black, 1.2);
        pen.setCapStyle(Qt::RoundCap);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        QPainterPath path;
        switch (mouth) {
        case Mouth::Straight:
            path.moveTo(5.0, 10.5);
            path.lineTo(11.0, 10.5);
            break;
        case Mouth::Down:
            path.moveTo(4.8, 11.8);
            path.quadTo(8.0, 8.2, 11.2, 11.8);
            break;
        case Mouth::Smile:
            path.moveTo(4.5, 9.0);
            path.quadTo(8.0, 13.4, 11.5, 9.0);
            break;
        }
        p.drawPath(path);
    });
}

QImage programImage()
{
    return drawImage(32, [](QPainter& p) {
        // Board, sheet, clip, two written lines and the check mark.
        p.setPen(QPen(Qt::black, 1.0));
        p.setBrush(QColor(0xFF, 0xC4, 0x00));
        p.drawRoundedRect(QRectF(4.5, 3.5, 23.0, 27.0), 2.5, 2.5);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(7.5, 7.5, 17.0, 20.0));
        p.setBrush(QColor(0x60, 0x60, 0x60));
        p.drawRoundedRect(QRectF(11.5, 1.5, 9.0, 5.0), 1.5, 1.5);

        p.setPen(QPen(QColor(0xA0, 0xA0, 0xA0), 1.0));
        p.drawLine(QPointF(10.0, 11.5), QPointF(22.0, 11.5));
        p.drawLine(QPointF(10.0, 14.5), QPointF(17.0, 14.5));

        QPen check(QColor(0x1B, 0x7A, 0x2E), 3.0);
        check.setCapStyle(Qt::RoundCap);
        check.setJoinStyle(Qt::RoundJoin);
        p.setPen(check);
        p.setBrush(Qt::NoBrush);
        QPainterPath mark;
        mark.moveTo(10.5, 19.5);
        mark.lineTo(14.0, 23.5);
        mark.lineTo(22.0, 15.5);
        p.drawPath(mark);
    });
}

// Images rather than pixmaps: they may be made before the application and outlive it.
const std::array<QImage, 5>& stateImages()
{
    static const std::array<QImage, 5> images = {
        blankImage(16),
        faceImage(Qt::white, Mouth::Straight),
        faceImage(QColor(0xE5, 0x20, 0x20), Mouth::Down),
        faceImage(QColor(0xFF, 0xDD, 0x00), Mouth::Straight),
        faceImage(QColor(0x2E, 0xB8, 0x3C), Mouth::Smile),
    };
    return images;
}

QIcon iconOf(const QImage& image)
{
    return QIcon(QPixmap::fromImage(image));
}

constexpr int kNameRole = Qt::UserRole;
constexpr int kValueRole = Qt::UserRole + 1;
constexpr int kStateRole = Qt::UserRole + 2;

// Sorting goes through the model, which keeps selection and opened branches in place.
class Item : public QTreeWidgetItem {
public:
    Item() : QTreeWidgetItem(QTreeWidgetItem::UserType) {}
    bool operator<(const QTreeWidgetItem& other) const override
    {
        return XTV1::XTV1SORT1(data(0, kValueRole).toString(),
                               other.data(0, kValueRole).toString()) < 0;
    }
};

} // namespace

QIcon ICO_BLANK1() { return iconOf(stateImages()[0]); }
QIcon ICO_SMILE_W1() { return iconOf(stateImages()[1]); }
QIcon ICO_SMILE_R1() { return iconOf(stateImages()[2]); }
QIcon ICO_SMILE_Y1() { return iconOf(stateImages()[3]); }
QIcon ICO_SMILE_G1() { return iconOf(stateImages()[4]); }

QIcon ICO_00()
{
    static const QImage image = programImage();
    return iconOf(image);
}

QIcon stateImage(int state)
{
    const auto& images = stateImages();
    return iconOf(state >= 0 && state < static_cast<int>(images.size()) ? images[state] : images[0]);
}

XTV1::XTV1(QWidget* owner) : QTreeWidget(owner)
{
    setColumnCount(1);
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(16, 16));
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                    QAbstractItemView::EditKeyPressed);
    connect(this, &QTreeWidget::itemSelectionChanged, this, [this] {
        const QList<QTreeWidgetItem*> selected = selectedItems();
        emit selectedItemChanged(selected.isEmpty() ? QString() : nameOf(selected.first()));
    });
}

bool XTV1::ADDITEM(const QString& parent, const engine::TreeItem& item)
{
    const QString name = QString::fromStdString(item.name);
    if (name == QLatin1String(engine::kTreeRoot) || index_.contains(name))
        return false;
    QTreeWidgetItem* parentItem = nullptr;
    if (parent != QLatin1String(engine::kTreeRoot)) {
        parentItem = itemByName(parent);
        if (!parentItem)
            return false;
    }
    auto* added = new Item;
    added->setFlags(added->flags() | Qt::ItemIsEditable);
    added->setData(0, kNameRole, name);
    showAttributes(added, item);
    if (parentItem)
        parentItem->addChild(added);
    else
        addTopLevelItem(added);
    index_.insert(name, added);
    return true;
}

void XTV1::DELETEALL()
{
    if (closedBranches_)
        closedBranches_->clear();
    index_.clear();
    clear();
}

bool XTV1::DELETEITEM(const QString& name, bool childrenOnly)
{
    QTreeWidgetItem* item = itemByName(name);
    if (!item)
        return false;
    if (suspendDepth_ > 0)
        closeOpenBranches();
    if (childrenOnly) {
        const QList<QTreeWidgetItem*> children = item->takeChildren();
        for (QTreeWidgetItem* child : children) {
            forgetNames(child);
            delete child;
        }
        return !children.isEmpty();
    }
    forgetNames(item);
    delete item;
    return true;
}

std::optional<engine::TreeItem> XTV1::GETITEMATTRIBUTES(const QString& name) const
{
    const QTreeWidgetItem* item = itemByName(name);
    if (!item)
        return std::nullopt;
    return attributesOf(item);
}

bool XTV1::SETITEMATTRIBUTES(const engine::TreeItem& item)
{
    QTreeWidgetItem* target = itemByName(QString::fromStdString(item.name));
    if (!target)
        return false;
    showAttributes(target, item);
    return true;
}

void XTV1::SORTCHILDREN(const QString& parent)
{
    QTreeWidgetItem* item = parent == QLatin1String(engine::kTreeRoot) ? invisibleRootItem()
                                                                        : itemByName(parent);
    if (item)
        item->sortChildren(0, Qt::AscendingOrder);
}

int XTV1::XTV1SORT1(const QString& a, const QString& b)
{
    const int order = QString::compare(a, b);
    return order > 0 ? 1 : order < 0 ? -1 : 0;
}

std::optional<engine::TreeItem> XTV1::GETSELECTEDITEM() const
{
    const QList<QTreeWidgetItem*> selected = selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    return attributesOf(selected.first());
}

std::optional<engine::TreeItem> XTV1::GETROOTITEM() const
{
    if (topLevelItemCount() == 0)
        return std::nullopt;
    return attributesOf(topLevelItem(0));
}

bool XTV1::SELECTITEM(const QString& name)
{
    QTreeWidgetItem* item = itemByName(name);
    if (!item)
        return false;
    setCurrentItem(item);
    return true;
}

int XTV1::ITEMCOUNT() const
{
    return static_cast<int>(index_.size());
}

void XTV1::SUSPENDUPDATE()
{
    if (suspendDepth_++ == 0)
        setUpdatesEnabled(false);
}

void XTV1::RESTOREUPDATE()
{
    if (suspendDepth_ > 0 && --suspendDepth_ == 0) {
        reopenBranches();
        setUpdatesEnabled(true);
    }
}

void XTV1::closeOpenBranches()
{
    if (closedBranches_)
        return;
    QSet<QString> open;
    for (auto it = index_.cbegin(); it != index_.cend(); ++it)
        if (it.value()->childCount() > 0 && it.value()->isExpanded())
            open.insert(it.key());
    closedBranches_ = std::move(open);
    collapseAll();
}

void XTV1::reopenBranches()
{
    if (!closedBranches_)
        return;
    const QSet<QString> open = std::move(*closedBranches_);
    closedBranches_.reset();
    for (const QString& name : open)
        if (QTreeWidgetItem* item = itemByName(name))
            item->setExpanded(true);
}

void XTV1::EXPANDALL()
{
    expandAll();
}

void XTV1::COLLAPSEALL()
{
    if (closedBranches_)
        closedBranches_->clear(); // none is to open again
    collapseAll();
}

void XTV1::PBEXPAND()
{
    if (ITEMCOUNT() == 0)
        return;
    SUSPENDUPDATE();
    EXPANDALL();
    scrollToItem(topLevelItem(0));
    RESTOREUPDATE();
    setFocus();
    setCurrentItem(topLevelItem(0));
}

void XTV1::PBCOLLAPSE()
{
    if (ITEMCOUNT() == 0)
        return;
    SUSPENDUPDATE();
    COLLAPSEALL();
    RESTOREUPDATE();
    setFocus();
    setCurrentItem(topLevelItem(0));
}

QTreeWidgetItem* XTV1::itemByName(const QString& name) const
{
    return index_.value(name, nullptr);
}

QString XTV1::nameOf(const QTreeWidgetItem* item)
{
    return item->data(0, kNameRole).toString();
}

void XTV1::contextMenuEvent(QContextMenuEvent* event)
{
    if (!contextMenu_) {
        QTreeWidget::contextMenuEvent(event);
        return;
    }
    QPoint at = event->globalPos();
    // From the keyboard the menu opens at the selected item, as the mouse is anywhere.
    if (event->reason() == QContextMenuEvent::Keyboard) {
        const QRect item = currentItem() ? visualItemRect(currentItem()) : QRect();
        at = viewport()->mapToGlobal(item.isValid() ? item.center() : QPoint(0, 0));
    }
    contextMenu_->popup(at);
    event->accept();
}

void XTV1::forgetNames(QTreeWidgetItem* item)
{
    // A later item of the same name was never open.
    if (closedBranches_)
        closedBranches_->remove(nameOf(item));
    index_.remove(nameOf(item));
    for (int i = 0; i < item->childCount(); ++i)
        forgetNames(item->child(i));
}

void XTV1::showAttributes(QTreeWidgetItem* item, const engine::TreeItem& attributes)
{
    item->setText(0, QString::fromStdString(attributes.caption));
    item->setData(0, kValueRole, QString::fromStdString(attributes.value));
    QFont font = item->font(0);
    font.setBold(attributes.bold);
    item->setFont(0, font);
    item->setData(0, kStateRole, attributes.stateImage);
    item->setIcon(0, stateImage(attributes.stateImage));
}

engine::TreeItem XTV1::attributesOf(const QTreeWidgetItem* item)
{
    engine::TreeItem attributes;
    attributes.name = nameOf(item).toStdString();
    attributes.caption = item->text(0).toStdString();
    attributes.value = item->data(0, kValueRole).toString().toStdString();
    attributes.bold = item->font(0).bold();
    attributes.stateImage = item->data(0, kStateRole).toInt();
    return attributes;
}

} // namespace app
