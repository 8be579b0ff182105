// Message boxes (scripted and real), the default error handling with its log and the closing of
// open windows, and exceptions from event handlers.
#include "framework/error_handler.h"
#include "framework/event_pump.h"
#include "framework/msgbox.h"
#include "tests/test_support.h"
#include "wordauto/word_error.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDateTime>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

using namespace framework;
using namespace vendrik;
namespace fs = std::filesystem;

namespace {

// caption|text|type|owner, so a whole record compares and prints at once.
std::string row(const QString& caption, const QString& text, unsigned type, const QString& owner)
{
    return QStringLiteral("%1|%2|0x%3|%4").arg(caption, text).arg(type, 2, 16, QLatin1Char('0')).arg(owner).toStdString();
}

std::vector<std::string> recorded()
{
    std::vector<std::string> out;
    for (const auto& b : MessageBoxLog::shown())
        out.push_back(row(b.caption, b.text, b.type, b.owner ? b.owner->objectName() : QStringLiteral("-")));
    return out;
}

// A real dialog coming up where none should fails the test instead of waiting for a click.
class NoRealDialog {
public:
    NoRealDialog()
    {
        QObject::connect(&timer_, &QTimer::timeout, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                ADD_FAILURE() << "a real dialog was shown: " << dialog->windowTitle().toStdString();
                dialog->done(0);
            }
        });
        timer_.start(0);
    }

private:
    QTimer timer_;
};

// Waits in the box's own event loop for the real box, notes what it shows, then clicks the
// button with `label` (or closes the window when the label is empty).
class BoxAnswerer {
public:
    struct Seen {
        bool shown = false;
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QStringList buttons;
        const QWidget* parent = nullptr;
    };

    explicit BoxAnswerer(const QString& label)
    {
        QObject::connect(&timer_, &QTimer::timeout, [this, label] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            timer_.stop();
            seen.shown = true;
            seen.title = box->windowTitle();
            seen.text = box->text();
            seen.icon = box->icon();
            seen.parent = box->parentWidget();
            QAbstractButton* target = nullptr;
            for (auto* b : box->buttons()) {
                seen.buttons << b->text();
                if (b->text() == label)
                    target = b;
            }
            seen.buttons.sort();
            if (target)
                target->click();
            else
                box->close();
        });
        timer_.start(0);
    }

    Seen seen;

private:
    QTimer timer_;
};

class FrameworkTest : public testsupport::TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        previous_ = fs::current_path();
        fs::current_path(dir_); // the error log goes to the current folder
        MessageBoxLog::reset();
        MessageBoxLog::setScripted(true);
    }
    void TearDown() override
    {
        EXPECT_EQ(MessageBoxLog::pendingAnswers(), 0u) << "answers queued for boxes that never came";
        MessageBoxLog::reset();
        fs::current_path(previous_);
        TempDirTest::TearDown();
    }

    QStringList logLines() const
    {
        return QString::fromUtf8(testsupport::readFile(path(kErrorLogName))).split(u'\n', Qt::SkipEmptyParts);
    }

    fs::path previous_;
};

// No folder of its own: the process that dies would leave it behind.
class FrameworkDeathTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MessageBoxLog::reset();
        MessageBoxLog::setScripted(true);
    }
    void TearDown() override { MessageBoxLog::reset(); }
};

const QString kCorvalta = QStringLiteral("Corvalta");
const QString kTwoLines = QStringLiteral("Prima riga\r\nSeconda riga");

TEST_F(FrameworkTest, QueuedAnswersAreReturnedAndEveryBoxIsRecorded)
{
    QWidget owner;
    owner.setObjectName(QStringLiteral("finestraPrincipale"));
    struct Case {
        bool scripted;
        unsigned type;
        std::optional<int> queued;
        int expected;
    };
    const Case cases[] = {
        {true, mb::Ok | mb::Exclamation, std::nullopt, answer::Ok},
        {true, mb::YesNo | mb::Question, answer::Yes, answer::Yes},
        {true, mb::YesNo | mb::Question, answer::No, answer::No},
        {true, mb::YesNoCancel | mb::Exclamation, answer::Cancel, answer::Cancel},
        {true, mb::YesNoCancel | mb::Exclamation, answer::No, answer::No},
        // A queued answer keeps the dialog away without scripted mode too.
        {false, mb::YesNo | mb::Exclamation, answer::Yes, answer::Yes},
        {false, mb::Ok | mb::Information, answer::Ok, answer::Ok},
    };
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        const QString text = QStringLiteral("Domanda %1").arg(i);
        MessageBoxLog::setScripted(c.scripted);
        if (c.queued)
            MessageBoxLog::queueAnswer(*c.queued);
        NoRealDialog guard;
        EXPECT_EQ(messageBox(&owner, text, kCorvalta, c.type), c.expected) << "case " << i;
        expected.push_back(row(kCorvalta, text, c.type, owner.objectName()));
    }
    MessageBoxLog::setScripted(true);
    errorBox(kTwoLines);
    infoBox(QStringLiteral("Stampa terminata"));
    expected.push_back(row(QStringLiteral("Quarvello"), kTwoLines, 0x10, QStringLiteral("-")));
    expected.push_back(row(QStringLiteral("INFO"), QStringLiteral("Stampa terminata"), 0x40, QStringLiteral("-")));
    EXPECT_EQ(recorded(), expected);

    MessageBoxLog::clear();
    EXPECT_TRUE(MessageBoxLog::shown().empty());
}

TEST_F(FrameworkDeathTest, AScriptOutOfStepWithTheBoxesEndsTheRun)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct Case {
        unsigned type;
        std::optional<int> queued;
        const char* message;
    };
    const Case cases[] = {
        {mb::YesNo | mb::Question, std::nullopt, "without a queued answer"},
        {mb::YesNo | mb::Question, answer::Ok, "queued answer 1 does not fit"},
        {mb::Ok | mb::Information, answer::Yes, "queued answer 6 does not fit"},
        {mb::YesNoCancel | mb::Exclamation, std::nullopt, "without a queued answer"},
        {mb::YesNo | mb::Question, answer::Cancel, "queued answer 2 does not fit"},
    };
    for (const auto& c : cases) {
        EXPECT_DEATH(
            {
                if (c.queued)
                    MessageBoxLog::queueAnswer(*c.queued);
                messageBox(nullptr, QStringLiteral("Eliminare la lista 3?"), kCorvalta, c.type);
            },
            std::string(c.message) + ".*Corvalta.*Eliminare la lista 3")
            << c.message;
    }
}

TEST_F(FrameworkTest, RealBoxShowsTheIconButtonsAndLinesOfItsType)
{
    MessageBoxLog::setScripted(false);
    QWidget owner;
    const QStringList ok{QStringLiteral("OK")};
    const QStringList yesNo{QStringLiteral("No"), QStringLiteral("Sì")};
    const QStringList yesNoCancel{QStringLiteral("Annulla"), QStringLiteral("No"), QStringLiteral("Sì")};
    struct Case {
        unsigned type;
        QWidget* owner;
        QMessageBox::Icon icon;
        QStringList buttons;
        QString click; // empty: close the window
        int expected;
    };
    const Case cases[] = {
        {mb::Ok, &owner, QMessageBox::NoIcon, ok, QStringLiteral("OK"), answer::Ok},
        {mb::Ok | mb::Stop, nullptr, QMessageBox::Critical, ok, QStringLiteral("OK"), answer::Ok},
        {mb::Ok | mb::Exclamation, &owner, QMessageBox::Warning, ok, QStringLiteral("OK"), answer::Ok},
        {mb::Ok | mb::Information, &owner, QMessageBox::Information, ok, QString(), answer::Ok},
        {mb::YesNo | mb::Question, &owner, QMessageBox::Question, yesNo, QStringLiteral("Sì"), answer::Yes},
        {mb::YesNo | mb::Question, &owner, QMessageBox::Question, yesNo, QStringLiteral("No"), answer::No},
        {mb::YesNo | mb::Exclamation, nullptr, QMessageBox::Warning, yesNo, QString(), answer::No},
        {mb::YesNoCancel | mb::Exclamation, &owner, QMessageBox::Warning, yesNoCancel, QStringLiteral("Sì"), answer::Yes},
        {mb::YesNoCancel | mb::Exclamation, &owner, QMessageBox::Warning, yesNoCancel, QStringLiteral("No"), answer::No},
        {mb::YesNoCancel | mb::Exclamation, &owner, QMessageBox::Warning, yesNoCancel, QStringLiteral("Annulla"),
         answer::Cancel},
        {mb::YesNoCancel | mb::Exclamation, nullptr, QMessageBox::Warning, yesNoCancel, QString(), answer::Cancel},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        BoxAnswerer answerer(c.click);
        EXPECT_EQ(messageBox(c.owner, kTwoLines, kCorvalta, c.type), c.expected) << "case " << i;
        const auto& seen = answerer.seen;
        ASSERT_TRUE(seen.shown) << "case " << i;
        EXPECT_EQ(seen.title, kCorvalta) << "case " << i;
        EXPECT_EQ(seen.text, QStringLiteral("Prima riga\nSeconda riga")) << "case " << i;
        EXPECT_EQ(seen.icon, c.icon) << "case " << i;
        EXPECT_EQ(seen.buttons, c.buttons) << "case " << i;
        EXPECT_EQ(seen.parent, c.owner) << "case " << i;
    }
    EXPECT_EQ(MessageBoxLog::shown().size(), std::size(cases));
}

TEST_F(FrameworkTest, AFailureIsShownAndLoggedAndTheProgramGoesOn)
{
    const std::string old = "01.01.2024 08:00:00\tVecchio\tgià nel registro\n";
    testsupport::writeFile(path(kErrorLogName), old);
    struct Case {
        QString command;
        std::function<void()> body;
        QString shown;
        QString logged;
    };
    const QString wordError = QStringLiteral("Impossibile aprire il file: \"/dati/verifica è.docx\"");
    const Case cases[] = {
        {QStringLiteral("ApriDossier"), [] { throw wordauto::WordError("Impossibile aprire il file: \"/dati/verifica è.docx\""); },
         wordError, wordError},
        {QStringLiteral("Stampa"), [] { throw std::runtime_error("Stampante non pronta\r\nRiprovare"); },
         QStringLiteral("Stampante non pronta\r\nRiprovare"), QStringLiteral("Stampante non pronta Riprovare")},
        {QStringLiteral("Unisci"), [] { throw std::bad_alloc(); }, QStringLiteral("Memoria insufficiente"),
         QStringLiteral("Memoria insufficiente")},
        {QStringLiteral("Chiudi"), [] { throw 42; }, QStringLiteral("Errore sconosciuto"),
         QStringLiteral("Errore sconosciuto")},
    };
    const auto before = QDateTime::currentDateTime().addMSecs(-999);
    std::vector<std::string> expected;
    for (const auto& c : cases) {
        EXPECT_FALSE(runGuarded(c.command, c.body)) << c.command.toStdString();
        expected.push_back(row(QStringLiteral("Quarvello"), c.shown, mb::Stop, QStringLiteral("-")));
    }
    const auto after = QDateTime::currentDateTime();
    EXPECT_EQ(recorded(), expected);

    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), qsizetype(std::size(cases)) + 1);
    EXPECT_EQ(lines[0].toStdString() + "\n", old);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const QStringList fields = lines[qsizetype(i) + 1].split(u'\t');
        ASSERT_EQ(fields.size(), 3) << lines[qsizetype(i) + 1].toStdString();
        const auto when = QDateTime::fromString(fields[0], QStringLiteral("dd.MM.yyyy hh:mm:ss"));
        EXPECT_TRUE(when.isValid() && when >= before && when <= after) << fields[0].toStdString();
        EXPECT_EQ(fields[1], cases[i].command);
        EXPECT_EQ(fields[2], cases[i].logged);
    }
}

TEST_F(FrameworkTest, ALogThatCannotBeWrittenStillLetsTheFailureBeShown)
{
    fs::create_directory(path(kErrorLogName));
    EXPECT_FALSE(runGuarded(QStringLiteral("Stampa"), [] { throw std::runtime_error("Stampante non pronta"); }));
    EXPECT_EQ(recorded(), std::vector{row(QStringLiteral("Quarvello"), QStringLiteral("Stampante non pronta"), mb::Stop,
                                          QStringLiteral("-"))});
}

TEST_F(FrameworkTest, AFailureClosesTheWindowsTheCommandLeftOpen)
{
    QWidget progress;
    QWidget done; // opened and closed again by the command
    auto* deleted = new QWidget;
    const auto failing = [&] {
        progress.show();
        registerOpenWindow(&progress);
        done.show();
        registerOpenWindow(&done);
        unregisterOpenWindow(&done);
        deleted->show();
        registerOpenWindow(deleted);
        delete deleted;
        throw std::runtime_error("Stampante non pronta");
    };
    EXPECT_FALSE(runGuarded(QStringLiteral("Stampa"), failing));
    EXPECT_FALSE(progress.isVisible());
    EXPECT_TRUE(done.isVisible());

    // Closing forgot it: a later failure leaves it alone once shown again outside a command.
    progress.show();
    EXPECT_FALSE(runGuarded(QStringLiteral("Unisci"), [] { throw std::runtime_error("Disco pieno"); }));
    EXPECT_TRUE(progress.isVisible());
    EXPECT_EQ(MessageBoxLog::shown().size(), 2u);
}

TEST_F(FrameworkTest, ACompletedCommandShowsNothingLogsNothingAndClosesNothing)
{
    QWidget progress;
    bool ran = false;
    EXPECT_TRUE(runGuarded(QStringLiteral("Salva"), [&] {
        progress.show();
        registerOpenWindow(&progress);
        ran = true;
    }));
    EXPECT_TRUE(ran);
    EXPECT_TRUE(progress.isVisible());
    EXPECT_TRUE(MessageBoxLog::shown().empty());
    EXPECT_FALSE(fs::exists(path(kErrorLogName)));
    unregisterOpenWindow(&progress);
}

// Throws from the handler of one event type, handles another.
class FailingHandler : public QObject {
public:
    static constexpr auto kFails = QEvent::User;
    static constexpr auto kHandled = QEvent::Type(QEvent::User + 1);

    bool event(QEvent* e) override
    {
        if (e->type() == kFails)
            throw wordauto::WordError("Documento bloccato");
        return e->type() == kHandled || QObject::event(e);
    }
};

TEST_F(FrameworkTest, AnExceptionFromAnEventHandlerIsReportedAndTheEventCountsAsUnhandled)
{
    ASSERT_NE(dynamic_cast<GuardedApplication*>(QCoreApplication::instance()), nullptr);
    FailingHandler handler;
    handler.setObjectName(QStringLiteral("pbStampa"));

    QEvent handled(FailingHandler::kHandled);
    EXPECT_TRUE(QCoreApplication::sendEvent(&handler, &handled));
    EXPECT_TRUE(MessageBoxLog::shown().empty());

    QEvent fails(FailingHandler::kFails);
    EXPECT_FALSE(QCoreApplication::sendEvent(&handler, &fails));
    // Posted as well, so it arrives through the event loop pass the long operations use.
    QCoreApplication::postEvent(&handler, new QEvent(FailingHandler::kFails));
    letEventsRun();

    const auto box = row(QStringLiteral("Quarvello"), QStringLiteral("Documento bloccato"), mb::Stop, QStringLiteral("-"));
    EXPECT_EQ(recorded(), std::vector(2, box));
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 2);
    for (const auto& line : lines)
        EXPECT_TRUE(line.endsWith(QStringLiteral("\tQObject pbStampa\tDocumento bloccato"))) << line.toStdString();
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    GuardedApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
