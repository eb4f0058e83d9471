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
#include <QTextBrowser>
#include <QWindow>
#include <functional>
#include <memory>

using namespace quillory;

namespace {

QString PagePath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/index.htm");
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

}  // namespace

class AboutTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { dialog_.reset(); }
    void setsTheArrowOverTheMargin();
    void opensModallyAndLoadsAgainEachTime();

private:
    // Clicks the credit label; once the box is open, has the focus on OK and
    // has loaded its page (or failed to), checks it and runs `close`. Returns
    // the page's title, once the click has returned.
    QString ClickCredits(const std::function<void(FrmAbout*)>& close);

    std::unique_ptr<FrmURLPrompt> dialog_;  // expanded, as the credit label needs
};

void AboutTest::init()
{
    harness::ResetSettings();
    dialog_ = std::make_unique<FrmURLPrompt>();
    dialog_->Form_Load();
    dialog_->cmdMore_Click();
    dialog_->show();
    dialog_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog_.get()));
}

QString AboutTest::ClickCredits(const std::function<void(FrmAbout*)>& close)
{
    // The box's modal loop runs inside the click; a timer in that loop looks
    // at the box step by step.
    QString title;
    QPointer<FrmAbout> seen;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
        FrmAbout* about = ShownAbout();
        if (!about || QApplication::focusWidget() != about->cmdOK ||
            about->webBrowser->source() != QUrl::fromLocalFile(PagePath()))
            return;
        poll.stop();
        seen = about;
        title = about->webBrowser->documentTitle();
        // A modal box that belongs to the dialog: above it, and no taskbar button.
        const bool modal = about->windowHandle()->transientParent() == dialog_->windowHandle() &&
                           about->windowModality() == Qt::ApplicationModal &&
                           QApplication::activeModalWidget() == about;
        const QPoint offCentre = about->frameGeometry().center() - dialog_->frameGeometry().center();
        // The dialog below takes no click from the window system meanwhile.
        QTest::mouseClick(dialog_->windowHandle(), Qt::LeftButton, {},
                          dialog_->txtPassword->mapTo(dialog_.get(), dialog_->txtPassword->rect().center()));
        const bool clickRefused = QApplication::focusWidget() == about->cmdOK;
        close(about);
        QVERIFY(modal && offCentre.manhattanLength() <= 2 && clickRefused);
    });
    poll.start(20);
    // Should the box never get that far, it must not stay open for ever.
    QTimer::singleShot(30000, &poll, [] {
        if (FrmAbout* about = ShownAbout())
            about->Unload();
    });
    QTest::mouseClick(dialog_->lblCredits, Qt::LeftButton, {}, QPoint(8, dialog_->lblCredits->height() / 2));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // Closed and discarded; the dialog is still there.
    return seen.isNull() && dialog_->isVisible() ? title : QStringLiteral("box not closed");
}

void AboutTest::setsTheArrowOverTheMargin()
{
    QPointer<FrmAbout> about = new FrmAbout(dialog_.get());
    about->show();

    // Moves over the controls do not count; one over the margin sets the arrow.
    QTest::mouseMove(about->cmdOK, QPoint(5, 5));
    QTest::mouseMove(about->webBrowser, QPoint(40, 40));
    QTest::qWait(100);
    QVERIFY(!QApplication::overrideCursor());
    QTest::mouseMove(about, QPoint(3, about->height() - 3));
    QTRY_VERIFY(QApplication::overrideCursor());
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::ArrowCursor);
    about->Unload();
    QTRY_VERIFY(!about);
    // Still in force after the box has gone.
    QVERIFY(QApplication::overrideCursor());
    QApplication::restoreOverrideCursor();
}

void AboutTest::opensModallyAndLoadsAgainEachTime()
{
    // The page ships beside the program; here the program is this test.
    QFile::remove(PagePath());
    QVERIFY(QFile::copy(QStringLiteral(QUILLORY_TESTS_DIR "/../resources/index.htm"), PagePath()));
    // Typing in the delay box, not yet left when the label is clicked: it gets
    // the focus back as it was, never left, after OK.
    QTest::keyClick(dialog_->txtHomepageURL, Qt::Key_Tab);
    QTest::keyClicks(dialog_->txtMinDelay, QStringLiteral("15"));
    QCOMPARE(ClickCredits([](FrmAbout* about) { QTest::mouseClick(about->cmdOK, Qt::LeftButton); }),
             QStringLiteral("About Quillory"));
    QVERIFY(QTest::qWaitForWindowActive(dialog_.get()));
    QCOMPARE(QApplication::focusWidget(), dialog_->txtMinDelay);
    QCOMPARE(dialog_->txtMinDelay->text() + dialog_->txtMinDelay->selectedText(), QStringLiteral("15"));
    QTest::mouseClick(dialog_->txtPassword, Qt::LeftButton);
    QCOMPARE(dialog_->txtMinDelay->text(), QStringLiteral("20"));

    QCOMPARE(ClickCredits([](FrmAbout* about) {
                 QCloseEvent close;  // as the window system sends it
                 QCoreApplication::sendEvent(about->windowHandle(), &close);
             }),
             QStringLiteral("About Quillory"));
    // Each opening loads the page anew: now it is gone, and the box stays empty.
    QVERIFY(QFile::remove(PagePath()));
    QCOMPARE(ClickCredits([](FrmAbout* about) { QTest::keyClick(about->cmdOK, Qt::Key_Return); }), QString());
}

QUILLORY_TEST_MAIN(AboutTest)
#include "test_about.moc"
