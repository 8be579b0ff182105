#pragma once

#include <QDateTime>
#include <QPointer>
#include <QTextBrowser>
#include <QWidget>

#include <memory>

class QTreeWidget;
class QTreeWidgetItem;
class QToolButton;

namespace framework {

class ChmFile;

// Shows the pages of a help file; links, images and style sheets are read from the file,
// relative to the page shown.
class HelpBrowser : public QTextBrowser {
    Q_OBJECT

public:
    explicit HelpBrowser(QWidget* parent = nullptr);
    void setHelpFile(const ChmFile* file) { file_ = file; }
    // The address of the page `local` (as a help file's contents name it) inside the file.
    static QUrl pageUrl(const QString& local);

    QVariant loadResource(int type, const QUrl& name) override;

private:
    void follow(const QUrl& link);
    const ChmFile* file_ = nullptr;
};

// The help display of a window: the help file's contents beside the page shown. The file is
// read when help is first asked for, so a damaged file costs nothing until then, and is read
// again when it changes. Asked for while a modal dialog is up, it is shown beside that dialog
// and can be used while the dialog stays open.
class HelpWindow : public QWidget {
    Q_OBJECT

public:
    HelpWindow(QWidget* owner, const QString& helpFile);
    ~HelpWindow() override;

    // Brings the window up at the topic `name`, found through the file's keyword index or
    // contents; false, after a message, when the file cannot be read (said once until the file
    // changes) or does not hold the topic.
    bool showTopic(const QString& name);

    const QString& helpFile() const { return path_; }
    HelpBrowser* browser() const { return browser_; }
    QTreeWidget* contentsTree() const { return contents_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followModalDialog();
    void moveTo(QWidget* host);
    bool ensureOpen();
    void fillContents();
    void syncContents(const QUrl& source);

    QPointer<QWidget> owner_;
    QPointer<QWidget> dialog_; // the modal dialog it is shown beside, while that is up
    QString path_;
    std::unique_ptr<ChmFile> file_;
    QDateTime failedStamp_; // when the last failed attempt read the file
    qint64 failedSize_ = -1;
    QTreeWidget* contents_;
    HelpBrowser* browser_;
    QToolButton* back_;
    QToolButton* forward_;
};

} // namespace framework
