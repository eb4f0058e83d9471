// The settings dialog as Main shows it: each way of closing it ends the
// program for good, so each runs in a process of its own:
//   test_dialog_main "closingEndsTheProgram:<row>"
// Start, with real typing, is seen end to end.

#include "Harness.h"
#include "RecordingUser32.h"
#include "dialog/TextBox.h"
#include "dialog/frmURLPrompt.h"
#include "platform/ArgumentText.h"
#include "platform/ProgramEnd.h"
#include "platform/User32Provider.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QWindow>

using namespace quillory;

class DialogMainTest : public QObject {
    Q_OBJECT
private slots:
    void closingEndsTheProgram_data();
    void closingEndsTheProgram();

private:
    RecordingUser32 user32_;
};

void DialogMainTest::closingEndsTheProgram_data()
{
    QTest::addColumn<QString>("how");
    // Alt+L presses Close as a click or Enter on it would.
    QTest::newRow("Alt+L") << "alt";
    QTest::newRow("close box") << "close box";
}

void DialogMainTest::closingEndsTheProgram()
{
    QFETCH(QString, how);
    ReplaceSystemUser32(&user32_);
    SetArgumentText(QStringLiteral("http://127.0.0.1:1/,5,pass:secret"));
    QTimer::singleShot(0, [how] {
        FrmURLPrompt& form = frmURLPrompt();
        if (!QTest::qWaitForWindowActive(&form))
            return;
        if (how == QLatin1String("alt")) {
            QTest::keyClick(form.txtMinDelay, Qt::Key_L, Qt::AltModifier);
        } else {
            QCloseEvent close;  // as the window system sends it
            QCoreApplication::sendEvent(form.windowHandle(), &close);
        }
    });
    // A dialog still open after 30 seconds ends the program with status 99.
    QTimer::singleShot(30000, [] {
        if (frmURLPrompt().isVisible())
            EndProgram(99);
    });
    modInitialise::Main();
    // Main has returned without showing the presentation.
    QTRY_VERIFY(ProgramEnded());
    QCOMPARE(ProgramExitStatus(), 0);
    for (const QWidget* window : QApplication::topLevelWidgets())
        QVERIFY(window->objectName() != QLatin1String("frmBrowser"));
    QVERIFY(!frmURLPrompt().isVisible());
    QVERIFY(user32_.calls.isEmpty());
}

QUILLORY_TEST_MAIN(DialogMainTest)
#include "test_dialog_main.moc"
