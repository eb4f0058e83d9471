// The settings dialog as Main shows it: each way of closing it ends the
// program for good, so each runs in a process of its own:
//   test_dialog_main "closingEndsTheProgram:<row>"
// Start, with real typing, is seen end to end.

#include "Harness.h"
#include "RecordingUser32.h"
#include "dialog/frmURLPrompt.h"
#include "dialog/TextBox.h"
#include "platform/ArgumentText.h"
#include "platform/ProgramEnd.h"
#include "platform/User32Provider.h"
#include "startup/modInitialise.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QWindow>
#include <algorithm>
#include <functional>

using namespace quillory;
using namespace quillory::modInitialise;

namespace {

// Runs Main with this argument text; `act` runs once the dialog is up and
// active. A dialog still open after 30 seconds ends the program with status 99.
void RunMain(const QString& argumentText, const std::function<void(FrmURLPrompt&)>& act)
{
    SetArgumentText(argumentText);
    QTimer::singleShot(0, [act] {
        FrmURLPrompt& form = frmURLPrompt();
        if (QTest::qWaitForWindowActive(&form))
            act(form);
    });
    QTimer::singleShot(30000, [] {
        if (frmURLPrompt().isVisible())
            EndProgram(99);
    });
    Main();
}

bool PresentationExists()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(),
                       [](const QWidget* window) { return window->objectName() == QLatin1String("frmBrowser"); });
}

}  // namespace

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
    QTest::newRow("Close") << "click";
    QTest::newRow("Alt+L") << "alt";
    QTest::newRow("Enter on Close") << "enter";
    QTest::newRow("close box") << "close box";
}

void DialogMainTest::closingEndsTheProgram()
{
    QFETCH(QString, how);
    ReplaceSystemUser32(&user32_);
    RunMain(QStringLiteral("http://127.0.0.1:1/,5,pass:secret"), [&](FrmURLPrompt& form) {
        if (how == QLatin1String("alt")) {
            QTest::keyClick(form.txtMinDelay, Qt::Key_L, Qt::AltModifier);
        } else if (how == QLatin1String("enter")) {
            form.cmdClose->setFocus(Qt::TabFocusReason);
            QTest::keyClick(form.cmdClose, Qt::Key_Return);
        } else if (how == QLatin1String("close box")) {
            QCloseEvent close;  // as the window system sends it
            QCoreApplication::sendEvent(form.windowHandle(), &close);
        } else {
            QTest::mouseClick(form.cmdClose, Qt::LeftButton);
        }
    });
    // Main has returned without showing the presentation.
    QTRY_VERIFY(ProgramEnded());
    QCOMPARE(ProgramExitStatus(), 0);
    QVERIFY(!PresentationExists());
    QVERIFY(!frmURLPrompt().isVisible());
    QVERIFY(user32_.calls.isEmpty());
}

QUILLORY_TEST_MAIN(DialogMainTest)
#include "test_dialog_main.moc"
