// The two ways the exit prompt ends the program. Each ends the process's
// program for good, so each runs in a process of its own:
//   test_exit_ending rightPasswordInAnyLetterCase
//   test_exit_ending noPasswordEndsAtTheCorner

#include "LocalServer.h"
#include "RecordingUser32.h"
#include "TestMain.h"
#include "exit/frmPassword.h"
#include "platform/ProgramEnd.h"
#include "platform/User32Provider.h"
#include "presentation/frmBrowser.h"
#include "startup/modInitialise.h"

#include <QLineEdit>

using namespace quillory;
using namespace quillory::modInitialise;

class ExitEndingTest : public QObject {
    Q_OBJECT
private slots:
    void rightPasswordInAnyLetterCase();
    void noPasswordEndsAtTheCorner();

private:
    RecordingUser32 user32_;
};

void ExitEndingTest::rightPasswordInAnyLetterCase()
{
    ReplaceSystemUser32(&user32_);
    PresentationSettings.HomepageURL = QStringLiteral("about:blank");
    PresentationSettings.MinDelay = 30;
    PresentationSettings.Password = QStringLiteral("secret");
    FrmBrowser form(3600 * 1000);
    form.Show();
    form.Form_MouseMove(1, 0, 0, form.Height() - 1);
    FrmPassword& prompt = frmPassword();
    QVERIFY(prompt.isVisible());
    QTest::keyClicks(prompt.txtPassword, QStringLiteral("SeCrEt"));
    QVERIFY(!ProgramEnded());
    QTest::keyClick(prompt.txtPassword, Qt::Key_Return);
    QVERIFY(ProgramEnded());
    QCOMPARE(ProgramExitStatus(), 0);
    QCOMPARE(user32_.CallsOf(QStringLiteral("SystemParametersInfoA")),
             QStringList({QStringLiteral("SystemParametersInfoA 97 TRUE 0"),
                          QStringLiteral("SystemParametersInfoA 97 FALSE 0")}));
    QVERIFY(!form.isVisible());
    QVERIFY(!prompt.isVisible());
}

void ExitEndingTest::noPasswordEndsAtTheCorner()
{
    ReplaceSystemUser32(&user32_);
    PresentationSettings.HomepageURL = QStringLiteral("about:blank");
    PresentationSettings.MinDelay = 30;
    FrmBrowser form(3600 * 1000);
    form.Show();
    form.Form_MouseMove(1, 0, 20, form.Height() - 1);  // not quite in the corner
    QVERIFY(!ProgramEnded());
    form.Form_MouseMove(1, 0, 0, form.Height() - 1);
    QVERIFY(ProgramEnded());
    QCOMPARE(ProgramExitStatus(), 0);
    QCOMPARE(form.PasswordShown, False);
    QVERIFY(!frmPassword().isVisible());
    QCOMPARE(user32_.CallsOf(QStringLiteral("SystemParametersInfoA")), QStringList());
}

QUILLORY_TEST_MAIN(ExitEndingTest)
#include "test_exit_ending.moc"
