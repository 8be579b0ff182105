#include "wordauto/window/page_view.h"

#include "wordauto/doc/application_state.h"
#include "wordauto/doc/doc_documents.h"
#include "wordauto/oxml/document_model.h"
#include "wordauto/layout/document_layout.h"
#include "wordauto/layout/page_painter.h"
#include "wordauto/word_error.h"
#include "wordauto/oxml/xml_util.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace wordauto::window {

namespace {

// While the document keeps changing, the pause before it is laid out again, in multiples of
// the time its last layout took.
constexpr double kLayoutPauseFactor = 8;
constexpr qreal kGap = 12;            // points of desk around and between pages
constexpr qreal kScreenPerPoint = 96.0 / 72.0; // 100 %: a point as a screen shows it
const QColor kDesk(0x8c, 0x8c, 0x8c);
const QColor kFieldShade(0, 0, 0, 24); // form fields shaded, as a form shows them
const QColor kCurrentField(0x1f, 0x5f, 0xbf);

} // namespace

PageView::PageView(std::shared_ptr<detail::ApplicationState> app,
                   std::shared_ptr<detail::DocumentModel> doc, QWidget* parent)
    : QAbstractScrollArea(parent), app_(std::move(app)), doc_(std::move(doc))
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    verticalScrollBar()->setSingleStep(24);
    horizontalScrollBar()->setSingleStep(24);

    editor_ = new QLineEdit(viewport());
    editor_->setFrame(false);
    editor_->setAutoFillBackground(true);
    editor_->hide();
    editor_->installEventFilter(this);
    connect(editor_, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (current_ < 0)
            return;
        try {
            formField(current_).Result(text.toStdString());
        } catch (const WordError&) {
            return; // a field spread over paragraphs cannot be written; it keeps its text
        }
        editChanged_ = true;
        placeEditor();
        noteOwnChange();
    });
    relayout();
    seenChanged_ = doc_->changed();
    seenReadOnly_ = doc_->readOnly();
    // The object model may change or save the document while it is shown (a program filling
    // it, a recovery taking values back): the view looks a few times a second.
    auto* watch = new QTimer(this);
    connect(watch, &QTimer::timeout, this, [this] { followModel(); });
    watch->start(250);
}

void PageView::noteOwnChange()
{
    // The edit is on screen already: the editor shows it, a box was crossed in place.
    seenGen_ = doc_->contentGeneration();
    seenChanged_ = doc_->changed();
    if (onEdited)
        onEdited();
}

std::size_t PageView::blockCount() const
{
    std::size_t n = 0;
    for (auto b = doc_->body().first_child(); b; b = b.next_sibling())
        ++n;
    return n;
}

bool PageView::holdLayout()
{
    const unsigned gen = doc_->contentGeneration();
    const bool atRest = gen == genAtLastLook_;
    genAtLastLook_ = gen;
    if (atRest || !sinceLayout_.isValid())
        return false;
    // A document that keeps changing (a program inserting file after file, letting events run
    // in between) is laid out again only after a pause some times as long as its next layout
    // is likely to take (the last one's, grown with the document), so following it never takes
    // most of the program's time. Once it has been still for a look, it is laid out at once.
    const double grown = static_cast<double>(blockCount()) / static_cast<double>(std::max<std::size_t>(blocksAtLayout_, 1));
    const double expectedUs = static_cast<double>(lastLayoutUs_) * std::max(grown, 1.0);
    return static_cast<double>(sinceLayout_.nsecsElapsed()) / 1000.0 < kLayoutPauseFactor * expectedUs;
}

void PageView::followModel()
{
    if (doc_->closed())
        return;
    const bool changed = doc_->changed();
    const bool readOnly = doc_->readOnly();
    const bool held = holdLayout();
    if (doc_->contentGeneration() != seenGen_ && !held) {
        if (editor_->isVisible() && current_ >= 0 && static_cast<std::size_t>(current_) < doc_->fields().count()) {
            const QString now = QString::fromStdString(doc_->fields().at(static_cast<std::size_t>(current_)).result());
            if (now != editor_->text())
                editor_->setText(now);
        }
        relayout();
        if (current_ >= fieldCount()) {
            // The field is gone (the document was changed by code): nothing is current.
            editChanged_ = false;
            editor_->hide();
            current_ = -1;
        }
        viewport()->update();
    } else if (changed == seenChanged_ && readOnly == seenReadOnly_) {
        return;
    }
    seenChanged_ = changed;
    seenReadOnly_ = readOnly;
    if (onEdited)
        onEdited();
}

DOC_FormField PageView::formField(int field) const
{
    return DOC_Document(DocRef{app_, doc_}).FormFields().Item(field + 1);
}

void PageView::relayout()
{
    QElapsedTimer clock;
    clock.start();
    layout_ = layout::layoutDocument(*doc_);
    doc_->cachePageCount(static_cast<int>(layout_.pages.size()));
    seenGen_ = doc_->contentGeneration();
    boxes_.clear();
    firstBox_.assign(doc_->fields().count(), -1);
    for (std::size_t p = 0; p < layout_.pages.size(); ++p)
        for (const auto& f : layout_.pages[p].items.fields) {
            if (f.field < 0 || static_cast<std::size_t>(f.field) >= firstBox_.size())
                continue;
            if (firstBox_[static_cast<std::size_t>(f.field)] < 0)
                firstBox_[static_cast<std::size_t>(f.field)] = static_cast<int>(boxes_.size());
            boxes_.push_back(FieldBox{static_cast<int>(p), f.rect, f.field});
        }
    placePages();
    lastLayoutUs_ = clock.nsecsElapsed() / 1000;
    blocksAtLayout_ = blockCount();
    sinceLayout_.start();
}

void PageView::placePages()
{
    pagePos_.clear();
    qreal width = 0, y = kGap;
    for (const auto& p : layout_.pages)
        width = std::max(width, p.size.width());
    for (const auto& p : layout_.pages) {
        pagePos_.emplace_back(kGap + (width - p.size.width()) / 2, y);
        y += p.size.height() + kGap;
    }
    desk_ = QSizeF(width + 2 * kGap, y);
    setFit(fit_);
}

void PageView::setFit(Fit fit)
{
    fit_ = fit;
    if (fit != Fit::None && !layout_.pages.empty()) {
        qreal pageW = 0, pageH = 0;
        for (const auto& p : layout_.pages) {
            pageW = std::max(pageW, p.size.width());
            pageH = std::max(pageH, p.size.height());
        }
        // The desk's margins scale with the pages.
        const qreal byWidth = std::max(viewport()->width() - 1, 50) / (pageW + 2 * kGap);
        const qreal byHeight = std::max(viewport()->height() - 1, 50) / (pageH + 2 * kGap);
        scale_ = fit == Fit::PageWidth ? byWidth : std::min(byWidth, byHeight);
    }
    updateScrollBars();
    placeEditor();
    viewport()->update();
    if (onStateChanged)
        onStateChanged();
}

void PageView::setZoomPercent(int percent)
{
    // Keep the middle of the view where it was.
    const qreal centre = (verticalScrollBar()->value() + viewport()->height() / 2.0) / scale_;
    scale_ = std::clamp(percent, 10, 500) / 100.0 * kScreenPerPoint;
    fit_ = Fit::None;
    updateScrollBars();
    verticalScrollBar()->setValue(static_cast<int>(centre * scale_ - viewport()->height() / 2.0));
    placeEditor();
    viewport()->update();
    if (onStateChanged)
        onStateChanged();
}

int PageView::zoomPercent() const { return static_cast<int>(std::lround(scale_ / kScreenPerPoint * 100)); }

void PageView::updateScrollBars()
{
    const int w = static_cast<int>(std::ceil(desk_.width() * scale_));
    const int h = static_cast<int>(std::ceil(desk_.height() * scale_));
    horizontalScrollBar()->setRange(0, std::max(0, w - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    verticalScrollBar()->setRange(0, std::max(0, h - viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
}

QPointF PageView::pageOrigin(int page) const
{
    const qreal deskW = desk_.width() * scale_;
    const qreal left = deskW < viewport()->width() ? (viewport()->width() - deskW) / 2
                                                   : -horizontalScrollBar()->value();
    const QPointF pos = pagePos_[static_cast<std::size_t>(page)];
    return QPointF(std::round(left + pos.x() * scale_),
                   std::round(pos.y() * scale_ - verticalScrollBar()->value()));
}

QRectF PageView::toView(int page, const QRectF& rect) const
{
    const QPointF o = pageOrigin(page);
    return QRectF(o.x() + rect.x() * scale_, o.y() + rect.y() * scale_, rect.width() * scale_,
                  rect.height() * scale_);
}

int PageView::currentPage() const
{
    const qreal top = (verticalScrollBar()->value() + viewport()->height() / 3.0) / scale_;
    int page = 0;
    for (std::size_t i = 0; i < pagePos_.size(); ++i)
        if (pagePos_[i].y() - kGap / 2 <= top)
            page = static_cast<int>(i);
    return page + 1;
}

QRect PageView::fieldRect(int field) const
{
    if (field < 0 || static_cast<std::size_t>(field) >= firstBox_.size() || firstBox_[static_cast<std::size_t>(field)] < 0)
        return {};
    const auto& b = boxes_[static_cast<std::size_t>(firstBox_[static_cast<std::size_t>(field)])];
    return toView(b.page, b.rect).toAlignedRect();
}

void PageView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QRect clip = event->rect();
    painter.fillRect(clip, kDesk);
    for (std::size_t i = 0; i < layout_.pages.size(); ++i) {
        const auto& page = layout_.pages[i];
        const QPointF o = pageOrigin(static_cast<int>(i));
        const QRectF paper(o, page.size * scale_);
        if (!paper.adjusted(0, 0, 4, 4).intersects(clip))
            continue;
        painter.fillRect(paper.translated(3, 3), QColor(0x50, 0x50, 0x50));
        painter.fillRect(paper, Qt::white);
        painter.save();
        painter.setClipRect(paper.intersected(QRectF(clip)));
        painter.translate(o);
        painter.scale(scale_, scale_);
        layout::paintPage(painter, layout_, page);
        for (const auto& f : page.items.fields)
            painter.fillRect(f.rect, kFieldShade);
        painter.restore();
    }
    if (current_ >= 0 && !editor_->isVisible())
        for (const auto& b : boxes_)
            if (b.field == current_) {
                painter.setPen(QPen(kCurrentField, 1.5));
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(toView(b.page, b.rect).adjusted(-1, -1, 1, 1));
            }
}

void PageView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    setFit(fit_);
}

void PageView::scrollContentsBy(int, int)
{
    placeEditor();
    viewport()->update();
    if (onStateChanged)
        onStateChanged();
}

int PageView::fieldAt(QPoint pos) const
{
    for (const auto& b : boxes_)
        if (toView(b.page, b.rect).adjusted(-2, -2, 2, 2).contains(pos))
            return b.field;
    return -1;
}

bool PageView::isEnabled(int field) const
{
    const auto& f = doc_->fields().at(static_cast<std::size_t>(field));
    auto enabled = f.ffData.child("w:enabled");
    return !enabled || detail::onOff(enabled, true);
}

void PageView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int field = fieldAt(event->position().toPoint());
    if (field < 0 || !isEnabled(field))
        return;
    setCurrentField(field);
    const auto kind = doc_->fields().at(static_cast<std::size_t>(field)).kind;
    // A click puts the cursor where it was made; Tab into a field selects all of it.
    if (kind == detail::FieldKind::Text && editor_->isVisible()) {
        editor_->deselect();
        editor_->setCursorPosition(editor_->cursorPositionAt(editor_->mapFrom(viewport(), event->position().toPoint())));
    } else if (kind == detail::FieldKind::CheckBox)
        toggleCheckBox(field);
    else if (kind == detail::FieldKind::DropDown)
        openDropDownOf(field);
}

void PageView::setCurrentField(int field)
{
    if (field == current_ && (field < 0 || editor_->isVisible()
                              || doc_->fields().at(static_cast<std::size_t>(field)).kind != detail::FieldKind::Text))
        return;
    finishEdit();
    current_ = field;
    if (field >= 0) {
        ensureFieldVisible(field);
        if (doc_->fields().at(static_cast<std::size_t>(field)).kind == detail::FieldKind::Text)
            beginEdit(field);
        else
            setFocus();
    }
    viewport()->update();
    if (onStateChanged)
        onStateChanged();
}

void PageView::moveToNextField(bool backward)
{
    const int n = fieldCount();
    if (n == 0)
        return;
    int f = current_;
    for (int step = 0; step < n; ++step) {
        f = backward ? (f <= 0 ? n - 1 : f - 1) : (f + 1) % n;
        if (firstBox_[static_cast<std::size_t>(f)] >= 0 && isEnabled(f)) {
            setCurrentField(f);
            return;
        }
    }
}

void PageView::ensureFieldVisible(int field)
{
    const QRect r = fieldRect(field);
    if (r.isNull())
        return;
    const int margin = 40;
    auto* v = verticalScrollBar();
    if (r.top() < margin)
        v->setValue(v->value() + r.top() - margin);
    else if (r.bottom() > viewport()->height() - margin)
        v->setValue(v->value() + r.bottom() - viewport()->height() + margin);
    auto* h = horizontalScrollBar();
    if (r.left() < 0)
        h->setValue(h->value() + r.left() - margin);
    else if (r.right() > viewport()->width())
        h->setValue(h->value() + r.right() - viewport()->width() + margin);
}

void PageView::toggleCheckBox(int field)
{
    auto box = formField(field).CheckBox();
    const bool ticked = !box.Value();
    box.Value(ticked);
    // A tick moves nothing: the box on the page is crossed in place, no layout needed.
    for (const auto& b : boxes_)
        if (b.field == field)
            for (auto& item : layout_.pages[static_cast<std::size_t>(b.page)].items.boxes)
                if (b.rect.intersects(item.rect))
                    item.crossed = ticked;
    viewport()->update();
    noteOwnChange();
}

QMenu* PageView::openDropDown() const { return dropDown_ && dropDown_->isVisible() ? dropDown_ : nullptr; }

void PageView::openDropDownOf(int field)
{
    const auto& f = doc_->fields().at(static_cast<std::size_t>(field));
    if (f.kind != detail::FieldKind::DropDown)
        return;
    delete dropDown_;
    dropDown_ = new QMenu(this);
    const std::string chosen = f.result();
    for (auto e : f.control.children("w:listEntry")) {
        const std::string entry = e.attribute("w:val").value();
        QAction* a = dropDown_->addAction(QString::fromStdString(entry));
        a->setCheckable(true);
        a->setChecked(entry == chosen);
        connect(a, &QAction::triggered, this, [this, field, entry] {
            formField(field).Result(entry);
            relayout();
            noteOwnChange();
        });
    }
    dropDown_->popup(viewport()->mapToGlobal(fieldRect(field).bottomLeft()));
}

QFont PageView::fieldFont(int field) const
{
    // The font of the field's own text on the page, else of the text beside it.
    QFont font = layout_.fonts.empty() ? QFont() : layout_.fonts.front();
    const int first = firstBox_[static_cast<std::size_t>(field)];
    if (first >= 0) {
        const auto& b = boxes_[static_cast<std::size_t>(first)];
        const auto& texts = layout_.pages[static_cast<std::size_t>(b.page)].items.texts;
        const QRectF line(0, b.rect.top(), 1e6, b.rect.height());
        const layout::TextItem* near = nullptr;
        for (const auto& t : texts) {
            if (b.rect.contains(t.baseline) || (b.rect.left() <= t.baseline.x() && b.rect.right() >= t.baseline.x() && line.contains(t.baseline))) {
                near = &t;
                break;
            }
            if (!near && line.contains(t.baseline))
                near = &t;
        }
        if (near && near->font >= 0 && static_cast<std::size_t>(near->font) < layout_.fonts.size())
            font = layout_.fonts[static_cast<std::size_t>(near->font)];
    }
    font.setPointSizeF(std::max<qreal>(1, font.pointSizeF() * scale_ * 72.0 / std::max(1, logicalDpiY())));
    return font;
}

void PageView::beginEdit(int field)
{
    editChanged_ = false;
    const auto& f = doc_->fields().at(static_cast<std::size_t>(field));
    const int maxLength = f.ffData.child("w:textInput").child("w:maxLength").attribute("w:val").as_int(0);
    editor_->setMaxLength(maxLength > 0 ? maxLength : 32767);
    editor_->setFont(fieldFont(field));
    editorScale_ = scale_;
    editor_->setText(QString::fromStdString(f.result()));
    editor_->selectAll();
    editor_->show();
    placeEditor();
    editor_->setFocus();
}

void PageView::placeEditor()
{
    if (!editor_->isVisible() || current_ < 0)
        return;
    const int first = firstBox_[static_cast<std::size_t>(current_)];
    if (first < 0)
        return;
    if (editorScale_ != scale_) {
        editorScale_ = scale_;
        editor_->setFont(fieldFont(current_));
    }
    const auto& b = boxes_[static_cast<std::size_t>(first)];
    QRectF r = toView(b.page, b.rect);
    const qreal pageRight = toView(b.page, QRectF(QPointF(0, 0), layout_.pages[static_cast<std::size_t>(b.page)].size)).right();
    const qreal textW = editor_->fontMetrics().horizontalAdvance(editor_->text()) + 6;
    r.setWidth(std::min(std::max(r.width(), textW), std::max(r.width(), pageRight - r.left())));
    editor_->setGeometry(r.toAlignedRect());
}

void PageView::finishEdit()
{
    if (!editor_->isVisible())
        return;
    const bool hadFocus = editor_->hasFocus();
    editor_->hide();
    if (hadFocus)
        setFocus();
    if (editChanged_) {
        editChanged_ = false;
        relayout();
    }
    viewport()->update();
}

bool PageView::fieldKey(QKeyEvent* event)
{
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (!plain)
            return false;
        moveToNextField(event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier));
        return true;
    case Qt::Key_F1:
        if (current_ >= 0 && onHelpRequested)
            onHelpRequested();
        return true;
    default:
        return false;
    }
}

bool PageView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == editor_ && event->type() == QEvent::KeyPress)
        return fieldKey(static_cast<QKeyEvent*>(event));
    return QAbstractScrollArea::eventFilter(watched, event);
}

bool PageView::focusNextPrevChild(bool) { return false; }

void PageView::keyPressEvent(QKeyEvent* event)
{
    if (fieldKey(event))
        return;
    if (current_ >= 0) {
        const auto kind = doc_->fields().at(static_cast<std::size_t>(current_)).kind;
        const bool opens = event->key() == Qt::Key_F4 || event->key() == Qt::Key_Return
                           || (event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier));
        if (kind == detail::FieldKind::CheckBox && event->key() == Qt::Key_Space) {
            toggleCheckBox(current_);
            return;
        }
        if (kind == detail::FieldKind::DropDown && opens) {
            openDropDownOf(current_);
            return;
        }
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void PageView::wheelEvent(QWheelEvent* event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        const int step = event->angleDelta().y() > 0 ? 10 : -10;
        setZoomPercent(zoomPercent() + step);
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

} // namespace wordauto::window
