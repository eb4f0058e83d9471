// The About box: opened modally from the settings dialog's credit label, a
// fresh load of index.htm from the program's folder at every opening, the
// ways to close it (Esc is seen end to end), and the arrow pointer its
// margins switch on.

#include "Harness.h"
#include "about/frmAbout.h"
#include "dialog/TextBox.h"
#include "dialog/frmURLPrompt.h"

#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QWindow>
#include <functional>
#include <memory>

using namespace quillory;

namespace {

QString PagePath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/index.htm");
}

QString PageTitle(const FrmAbout* about)
{
    return harness::ViewOf(about->webBrowser)->title();
}

// The box's page has been loaded from the program's folder, or failed to.
bool PageLoaded(const FrmAbout* about)
{
    const QWebEngineView* view = harness::ViewOf(about->webBrowser);
    return view->url() == QUrl::fromLocalFile(PagePath()) && !view->page()->isLoading();
}

// The About box on the screen, if any.
FrmAbout* ShownAbout()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* about = qobject_cast<FrmAbout*>(window); about && about->isVisible())
            return about;
    }
    return nullptr;
}

// What a test saw of the About box while it was open.
struct Opening {
    QPointer<FrmAbout> about;
    bool modal = false;
    bool okHasFocus = false;
    bool centred = false;
    bool dialogTookAClick = false;
    QString title;
};

}  // namespace

class AboutTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void setsTheArrowOverTheMargin();
    void opensModallyFromTheCreditLabel_data();
    void opensModallyFromTheCreditLabel();
    void loadsAgainAtEachOpeningAndCopesWithoutThePage();

private:
    // Expanded, as the credit label needs.
    FrmURLPrompt* OpenDialog();
    // Clicks the credit label; `act` runs while the About box is open and
    // must close it. Returns once the click has returned.
    Opening ClickCredits(const std::function<void(FrmAbout*)>& act);

    std::unique_ptr<FrmURLPrompt> dialog_;
};

void AboutTest::initTestCase()
{
    // The page ships beside the program; here the program is this test.
    QFile::remove(PagePath());
    QVERIFY(QFile::copy(QStringLiteral(QUILLORY_TESTS_DIR "/../resources/index.htm"), PagePath()));
}

void AboutTest::cleanup()
{
    dialog_.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

FrmURLPrompt* AboutTest::OpenDialog()
{
    harness::ResetSettings();
    dialog_ = std::make_unique<FrmURLPrompt>();
    dialog_->Form_Load();
    dialog_->cmdMore_Click();
    dialog_->show();
    dialog_->activateWindow();
    if (!QTest::qWaitForWindowActive(dialog_.get()))
        return nullptr;
    return dialog_.get();
}

Opening AboutTest::ClickCredits(const std::function<void(FrmAbout*)>& act)
{
    // The box's modal loop runs inside the click; this looks at the box from
    // a timer in that loop, step by step, without waiting in place.
    Opening seen;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
        FrmAbout* about = ShownAbout();
        if (!about)
            return;
        if (!seen.about) {
            seen.about = about;
            seen.modal = about->windowModality() == Qt::ApplicationModal && QApplication::activeModalWidget() == about;
            seen.centred =
                (about->frameGeometry().center() - dialog_->frameGeometry().center()).manhattanLength() <= 2;
            // The dialog below takes no input meanwhile: a click that comes
            // from the window system, as a person's would, is refused.
            QTest::mouseClick(dialog_->windowHandle(), Qt::LeftButton, {},
                              dialog_->txtPassword->mapTo(dialog_.get(), dialog_->txtPassword->rect().center()));
            seen.dialogTookAClick = QApplication::focusWidget() == dialog_->txtPassword;
        }
        seen.okHasFocus = seen.okHasFocus || QApplication::focusWidget() == about->cmdOK;
        if (!PageLoaded(about) || !seen.okHasFocus)
            return;
        seen.title = PageTitle(about);
        poll.stop();
        act(about);
    });
    poll.start(20);
    // Should the box never get that far, it must not stay open for ever.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, [] {
        if (FrmAbout* about = ShownAbout())
            about->Unload();
    });
    watchdog.start(30000);
    QTest::mouseClick(dialog_->lblCredits, Qt::LeftButton, {}, QPoint(8, dialog_->lblCredits->height() / 2));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return seen;
}

void AboutTest::setsTheArrowOverTheMargin()
{
    FrmURLPrompt* dialog = OpenDialog();
    QVERIFY(dialog);
    QVERIFY(!QApplication::overrideCursor());
    QPointer<FrmAbout> about = new FrmAbout(dialog);
    about->show();
    // A dialog that belongs to the settings dialog: above it, and no taskbar button.
    QCOMPARE(about->windowHandle()->transientParent(), dialog->windowHandle());

    // Moves over the controls do not count; one over the margin sets the arrow.
    QTest::mouseMove(about->cmdOK, QPoint(5, 5));
    QTest::mouseMove(about->webBrowser, QPoint(40, 40));
    QTest::qWait(100);
    QVERIFY(!QApplication::overrideCursor());
    QTest::mouseMove(about, QPoint(3, about->height() - 3));
    QTRY_VERIFY(QApplication::overrideCursor());
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::ArrowCursor);
    about->Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!about);
    // Still in force after the box has gone.
    QVERIFY(QApplication::overrideCursor());
    QApplication::restoreOverrideCursor();
}

void AboutTest::opensModallyFromTheCreditLabel_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("OK clicked") << "click";
    QTest::newRow("close box") << "close box";
}

void AboutTest::opensModallyFromTheCreditLabel()
{
    QFETCH(QString, how);
    FrmURLPrompt* dialog = OpenDialog();
    QVERIFY(dialog);
    // Typing in the delay box, not yet left when the label is clicked.
    QTest::keyClick(dialog->txtHomepageURL, Qt::Key_Tab);
    QTest::keyClicks(dialog->txtMinDelay, QStringLiteral("15"));
    const Opening seen = ClickCredits([&](FrmAbout* about) {
        if (how == QLatin1String("click")) {
            QTest::mouseClick(about->cmdOK, Qt::LeftButton);
        } else {
            QCloseEvent close;  // as the window system sends it
            QCoreApplication::sendEvent(about->windowHandle(), &close);
        }
    });
    QVERIFY(seen.modal);
    QVERIFY(seen.okHasFocus);
    QVERIFY(seen.centred);
    QVERIFY(!seen.dialogTookAClick);
    QCOMPARE(seen.title, QStringLiteral("About Quillory"));
    // Closed and discarded; the dialog takes input again.
    QVERIFY(!seen.about);
    QVERIFY(dialog->isVisible());
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    // The delay box got the focus back as it was: it was never left.
    QCOMPARE(QApplication::focusWidget(), dialog->txtMinDelay);
    QCOMPARE(dialog->txtMinDelay->text(), QStringLiteral("15"));
    QCOMPARE(dialog->txtMinDelay->selectedText(), QString());
    QTest::mouseClick(dialog->txtPassword, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), dialog->txtPassword);
    QCOMPARE(dialog->txtMinDelay->text(), QStringLiteral("20"));
}

void AboutTest::loadsAgainAtEachOpeningAndCopesWithoutThePage()
{
    const QString away = PagePath() + QStringLiteral(".away");
    QFile::remove(away);
    QVERIFY(QFile::rename(PagePath(), away));
    FrmURLPrompt* dialog = OpenDialog();
    Opening without;
    if (dialog)
        without = ClickCredits([](FrmAbout* about) { QTest::keyClick(about->cmdOK, Qt::Key_Return); });
    QFile::rename(away, PagePath());
    QVERIFY(dialog);
    QVERIFY(without.modal);
    QVERIFY(without.title != QLatin1String("About Quillory"));
    QVERIFY(!without.about);
    QVERIFY(dialog->isVisible());

    // The page is back, and the next box loads it anew.
    const Opening with = ClickCredits([](FrmAbout* about) { QTest::mouseClick(about->cmdOK, Qt::LeftButton); });
    QCOMPARE(with.title, QStringLiteral("About Quillory"));
    QVERIFY(!with.about);
}

QUILLORY_TEST_MAIN(AboutTest)
#include "test_about.moc"
