#pragma once

// The pages of a document's layout as paper on a grey desk, scrolling continuously, with its
// form fields live: check boxes toggle, text fields are edited in place, drop-downs open their
// entries. Nothing else of the document can be changed here.

#include "wordauto/layout/page.h"

#include <QAbstractScrollArea>
#include <QElapsedTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLineEdit;
class QMenu;

namespace wordauto {
class DOC_FormField;
namespace detail {
struct ApplicationState;
class DocumentModel;
} // namespace detail
} // namespace wordauto

namespace wordauto::window {

class PageView : public QAbstractScrollArea {
public:
    enum class Fit { None, PageWidth, WholePage };

    PageView(std::shared_ptr<detail::ApplicationState> app, std::shared_ptr<detail::DocumentModel> doc,
             QWidget* parent = nullptr);

    void setZoomPercent(int percent);
    void setFit(Fit fit);
    int zoomPercent() const;

    int pageCount() const { return static_cast<int>(layout_.pages.size()); }
    // The page at the top of the view, from 1.
    int currentPage() const;

    // The current form field (a position among the document's fields, from 0), or -1.
    int currentField() const { return current_; }
    void setCurrentField(int field);
    // The next field (or the one before) in document order, around the end.
    void moveToNextField(bool backward);
    // The field's first box in viewport pixels; empty when it is not laid out.
    QRect fieldRect(int field) const;
    int fieldCount() const { return static_cast<int>(firstBox_.size()); }
    // A handle on a field of the document, as the object model gives it.
    DOC_FormField formField(int field) const;

    // The in-place editor of the current text field (hidden when none is in edit).
    QLineEdit* editor() const { return editor_; }
    // The entries of the open drop-down, when one is open.
    QMenu* openDropDown() const;

    // Ends an edit in progress and lays the document out again when it changed.
    void finishEdit();
    void relayout();
    const layout::DocumentLayout& pages() const { return layout_; }

    std::function<void()> onEdited;        // the document model was changed (or saved)
    std::function<void()> onStateChanged;  // page, field or zoom changed
    std::function<void()> onHelpRequested; // F1 on a field

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct FieldBox {
        int page;
        QRectF rect; // points on its page
        int field;
    };

    void placePages();
    void updateScrollBars();
    QPointF pageOrigin(int page) const; // viewport pixels
    QRectF toView(int page, const QRectF& rect) const;
    int fieldAt(QPoint pos) const;
    void ensureFieldVisible(int field);
    void toggleCheckBox(int field);
    void openDropDownOf(int field);
    void beginEdit(int field);
    void placeEditor();
    QFont fieldFont(int field) const;
    bool fieldKey(QKeyEvent* event);
    bool isEnabled(int field) const;
    // Changes made to the document through the object model while it is shown.
    void followModel();
    // True while a new layout of the changed document is put off: it is still changing, and
    // the last layout was made too recently for its cost.
    bool holdLayout();
    std::size_t blockCount() const; // paragraphs and tables of the body
    void noteOwnChange();

    std::shared_ptr<detail::ApplicationState> app_;
    std::shared_ptr<detail::DocumentModel> doc_;
    layout::DocumentLayout layout_;
    std::vector<QPointF> pagePos_; // points on the desk
    QSizeF desk_;
    std::vector<FieldBox> boxes_;
    std::vector<int> firstBox_; // per field, into boxes_, or -1
    Fit fit_ = Fit::PageWidth;
    qreal scale_ = 1; // pixels per point
    int current_ = -1;
    QLineEdit* editor_ = nullptr;
    bool editChanged_ = false;
    qreal editorScale_ = 0; // the zoom the editor's font was made for
    unsigned seenGen_ = 0;  // the document's content generation this view shows
    bool seenChanged_ = false;
    bool seenReadOnly_ = false;
    QMenu* dropDown_ = nullptr;
    QElapsedTimer sinceLayout_;  // since the last layout was made
    qint64 lastLayoutUs_ = 0;    // what it took
    std::size_t blocksAtLayout_ = 0;
    unsigned genAtLastLook_ = 0; // the document's content generation when the view last looked
};

} // namespace wordauto::window
