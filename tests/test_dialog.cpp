// The settings dialog with real key and mouse events. Each row of the table
// opens the dialog after a command line and plays a script of steps on it:
//   focus:NAME  key:SEQ  press:SEQ  release:SEQ  type:TEXT  paste:TEXT
//   set:TEXT (as the program, caret at the end)  select:N (back from the caret)
//   click:NAME  del (Delete with the text DEL, as X11 sends it)
//   ?key=value;... compares parts of the state (see State) at that point.
// Keys, paste and click go to the control that has the focus.

#include "Harness.h"
#include "dialog/TextBox.h"
#include "dialog/frmURLPrompt.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <memory>

using namespace quillory;
using namespace quillory::modInitialise;

class DialogTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { form_.reset(); }
    void scripts_data();
    void scripts();
    void layoutAndCreditUnderline();

private:
    // Opens the dialog as Main would after this command line, shown and active.
    bool Open(const QString& commandLine);
    QWidget* Control(const QString& name) const { return form_->findChild<QWidget*>(name); }
    QMap<QString, QString> State() const;
    void Step(const QString& step);

    std::unique_ptr<FrmURLPrompt> form_;
};

bool DialogTest::Open(const QString& commandLine)
{
    harness::ResetSettings();
    CommandLine = commandLine;
    if (!ReadCommandLine())
        return false;
    form_ = std::make_unique<FrmURLPrompt>();
    form_->Form_Load();
    form_->show();
    form_->activateWindow();
    return QTest::qWaitForWindowActive(form_.get());
}

// The boxes, the focus and its selection, the ticked options (a, o, c), the
// view, and the settings the presentation would get (URL,delay,options,password).
QMap<QString, QString> DialogTest::State() const
{
    const QWidget* focus = QApplication::focusWidget();
    const auto* box = qobject_cast<const QLineEdit*>(focus);
    const PresentationSettingsRecord& s = PresentationSettings;
    const auto flags = [](bool a, bool o, bool c) { return QString(a ? "a" : "") + (o ? "o" : "") + (c ? "c" : ""); };
    // More is enabled in the compact view only.
    const bool compact = form_->cmdMore->isEnabled();
    const bool heightFits = form_->ClientHeight() ==
                            (compact ? FrmURLPrompt::kCompactHeight : FrmURLPrompt::kExpandedHeight);
    return {
        {"url", form_->txtHomepageURL->text()},
        {"delay", form_->txtMinDelay->text()},
        {"pw", form_->txtPassword->text()},
        {"focus", focus ? focus->objectName() : QString()},
        {"sel", box ? box->selectedText() : QString()},
        {"checks", flags(form_->chkAllowNewWindows->isChecked(), form_->chkWorkOffline->isChecked(),
                         form_->chkCloseOpenWindows->isChecked())},
        {"view", form_->isHidden() ? "hidden"
                 : !heightFits     ? "other height"
                 : compact         ? "compact"
                                   : "expanded"},
        {"stored",
         QStringList{s.HomepageURL, QString::number(s.MinDelay),
                     flags(s.AllowNewWindows == True, s.WorkOffline == True, s.CloseOpenWindows == True), s.Password}
             .join(',')},
    };
}

void DialogTest::Step(const QString& step)
{
    if (step.startsWith(QLatin1Char('?'))) {
        for (const QString& pair : step.mid(1).split(QLatin1Char(';'))) {
            const int equals = pair.indexOf(QLatin1Char('='));
            QTRY_COMPARE(State().value(pair.left(equals), QStringLiteral("no such part")), pair.mid(equals + 1));
        }
        return;
    }
    const QString verb = step.section(QLatin1Char(':'), 0, 0);
    const QString arg = step.mid(verb.size() + 1);
    QWidget* focus = QApplication::focusWidget();
    const QKeyCombination key = QKeySequence::fromString(arg)[0];
    const QMap<QString, QTest::KeyAction> keyActions{
        {"key", QTest::Click}, {"press", QTest::Press}, {"release", QTest::Release}};
    if (verb == QLatin1String("focus")) {
        Control(arg)->setFocus(Qt::OtherFocusReason);
    } else if (keyActions.contains(verb)) {
        QTest::keyEvent(keyActions[verb], focus, key.key(), key.keyboardModifiers());
    } else if (verb == QLatin1String("type")) {
        QTest::keyClicks(focus, arg);
    } else if (verb == QLatin1String("paste")) {
        QApplication::clipboard()->setText(arg);
        QTest::keyClick(focus, Qt::Key_Insert, Qt::ShiftModifier);
    } else if (verb == QLatin1String("set")) {
        static_cast<TextBox*>(focus)->SetText(arg);
        static_cast<TextBox*>(focus)->end(false);
    } else if (verb == QLatin1String("select")) {
        static_cast<TextBox*>(focus)->cursorBackward(true, arg.toInt());
    } else if (verb == QLatin1String("click")) {
        QTest::mouseClick(Control(arg), Qt::LeftButton, {}, Control(arg)->rect().center());
    } else if (verb == QLatin1String("del")) {
        QTest::sendKeyEvent(QTest::Press, focus, Qt::Key_Delete, QString(QChar(0x7f)), {});
        QTest::sendKeyEvent(QTest::Release, focus, Qt::Key_Delete, QString(QChar(0x7f)), {});
    } else {
        QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
    }
}

void DialogTest::scripts_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("script");
    const auto row = [](const char* name, const QString& commandLine, const QString& script) {
        QTest::newRow(name) << commandLine << script;
    };
    const QString u = QStringLiteral("http://127.0.0.1/");
    const QString u5 = u + ",5";

    // What it shows: never the options or password; the URL box has the focus, all selected.
    row("opening", u + ",5,allownewwindows,workoffline,closeopenwindows,pass:secret",
        "?url=" + u + ";delay=10;pw=;checks=;view=compact;focus=txtHomepageURL;sel=" + u);
    const QString longUrl = u + QLatin1Char('?') + QString(300, QLatin1Char('q'));
    row("opening: URL past the box's limit", longUrl + ",5", "?url=" + longUrl);
    row("opening: five-digit delay", ",12345", "?delay=12350");
    row("Start replaces the command line's options", u + "a.html,5,workoffline,closeopenwindows,pass:secret",
        "click:chkAllowNewWindows|click:txtPassword|type:NeW Pw|click:cmdOK|?view=hidden;stored=" + u +
            "a.html,10,a,new pw");

    // The delay box takes digits and backspace only, four at most.
    row("typing: letters, sign and point refused", "", "key:Tab|type:a-1.5|?delay=15|type:6789|?delay=1567");
    row("typing: backspace and Delete", "", "key:Tab|type:45|key:Backspace|type:6|?delay=46|key:Left|del|?delay=4");
    // Pasting is cut to the limit; text from the program stays whole.
    row("paste: delay of five digits", "", "focus:txtMinDelay|set:10000|paste:5|?delay=10000");
    row("paste: password, replacing", "", "focus:txtPassword|set:abcdefgh|select:2|paste:xyz|?pw=abcdefxy");
    const QString url250 = u + QString(233, QLatin1Char('u')), url300 = url250 + QString(50, QLatin1Char('v'));
    row("paste: URL up to 255", "",
        "focus:txtHomepageURL|set:" + url250 + "|paste:0123456789|?url=" + url250 + "01234");
    row("paste: URL past 255", "", "focus:txtHomepageURL|set:" + url300 + "|paste:0123|?url=" + url300);

    // Leaving the delay box rounds it up to ten; then a "5" is typed at its end.
    const auto leave = [&](const char* name, const QString& text, const QString& after) {
        row(name, "",
            "key:Tab|set:" + text + "|key:Tab|?focus=chkAllowNewWindows|key:Backtab|key:End|type:5|?delay=" + after);
    };
    leave("leaving: 15 rounds up", "15", "205");
    leave("leaving: 0 stays", "0", "05");
    leave("leaving: negative stays", "-15", "-155");
    leave("leaving: letters", "abc", "105");
    leave("leaving: exponent stays", "1e2", "1e25");
    leave("leaving: five digits, no more typed", "9991", "10000");
    leave("leaving: rounding past 32767", "32761", "105");
    // Start takes the box as it is; a click on Start leaves the box first.
    row("Start by Enter", u, "key:Tab|paste:15|key:Return|?view=hidden;delay=15;stored=" + u + ",15,,");
    row("Start by click", u, "key:Tab|paste:15|click:cmdOK|?view=hidden;delay=20;stored=" + u + ",20,,");
    row("Start with pasted letters", u, "key:Tab|paste:ab|key:Return|?view=hidden;delay=10;stored=" + u + ",10,,");

    // Alt with D, P, U moves the focus on the release, as a key code read as a
    // letter (keypad 4 is "d"), and types nothing.
    const auto alt = [&](const char* name, const QString& from, const QString& key, const QString& to) {
        row(name, u5,
            "focus:" + from + "|press:" + key + "|?focus=" + from + "|release:" + key + "|?focus=" + to + ";url=" + u +
                ";pw=;delay=10");
    };
    alt("Alt+D", "txtHomepageURL", "Alt+D", "txtMinDelay");
    alt("Alt+P from a button", "cmdMore", "Alt+P", "txtPassword");
    alt("Alt+Shift+D", "txtHomepageURL", "Alt+Shift+D", "txtMinDelay");
    alt("Alt+keypad 4", "txtHomepageURL", "Alt+Num+4", "txtMinDelay");
    alt("D without Alt", "chkWorkOffline", "D", "chkWorkOffline");
    alt("Alt+X", "txtPassword", "Alt+X", "txtPassword");

    // Entering the URL or delay box selects it all, the password box not; a
    // click once the box has the focus places the caret.
    row("selection: Tab into the delay box", u5, "key:Tab|?focus=txtMinDelay;sel=10|click:txtMinDelay|?sel=");
    row("selection: click into the delay box", u5,
        "focus:chkWorkOffline|click:txtMinDelay|?focus=txtMinDelay;sel=10|click:txtMinDelay|?sel=");
    row("selection: Alt+U into the URL box", u5, "focus:chkWorkOffline|key:Alt+U|?focus=txtHomepageURL;sel=" + u);
    row("selection: Tab into the password box", u5,
        "focus:txtPassword|set:secret|focus:chkCloseOpenWindows|key:Tab|?focus=txtPassword;sel=");

    // Enter starts from anywhere but a push button; Esc does nothing.
    const QString typed = "type:" + u + "|";
    const QString started = "?view=hidden;stored=" + u + ",10,,";
    row("Enter, URL empty", "", "key:Return|?view=compact;focus=txtHomepageURL");
    row("Enter, URL of blanks", "", "type:   |key:Return|?view=hidden;stored=   ,10,,");
    row("keypad Enter in the password box", "", typed + "focus:txtPassword|key:Enter|" + started);
    row("Enter on a check box", "", typed + "focus:chkWorkOffline|key:Return|" + started);
    row("Enter on More", "", typed + "focus:cmdMore|key:Return|?view=expanded");
    row("Esc", "", typed + "key:Escape|?view=compact;focus=txtHomepageURL");
    row("Alt+S", "", typed + "focus:txtMinDelay|key:Alt+S|" + started);
    row("Alt+M", "", typed + "key:Alt+M|?view=expanded");
    row("Alt+N", "", typed + "key:Alt+N|?view=compact;checks=a;focus=chkAllowNewWindows");
}

void DialogTest::scripts()
{
    QFETCH(QString, commandLine);
    QFETCH(QString, script);
    QVERIFY(Open(commandLine));
    for (const QString& step : script.split(QLatin1Char('|')))
        if (!QTest::currentTestFailed())
            Step(step);
}

void DialogTest::layoutAndCreditUnderline()
{
    QVERIFY(Open(QString()));
    // The buttons lie in the compact view.
    for (QPushButton* button : {form_->cmdOK, form_->cmdClose, form_->cmdMore})
        QVERIFY(form_->rect().contains(button->geometry()));
    form_->cmdMore_Click();

    // Every text shows whole in the font at hand: labels on their lines,
    // buttons and check boxes beside their frames and boxes.
    for (QLabel* label : form_->findChildren<QLabel*>()) {
        const int flags = int(label->alignment()) | Qt::TextWordWrap | Qt::TextShowMnemonic;
        const QRect needed = label->fontMetrics().boundingRect(label->rect(), flags, label->text());
        QVERIFY2(label->rect().contains(needed), qPrintable(label->objectName()));
    }
    for (QCheckBox* box : form_->findChildren<QCheckBox*>())
        QVERIFY2(box->sizeHint().width() <= box->width(), qPrintable(box->objectName()));
    for (QPushButton* button : {form_->cmdOK, form_->cmdClose, form_->cmdMore}) {
        const int text = button->fontMetrics().horizontalAdvance(QString(button->text()).remove(QLatin1Char('&')));
        QVERIFY2(text + 8 <= button->width(), qPrintable(button->objectName()));
    }

    // The credit label underlines under the pointer; only the dialog's bare
    // surface takes it away, not Frame1, its labels or a button.
    auto underlined = [this] { return form_->lblCredits->font().underline(); };
    QVERIFY(!underlined());
    QTest::mouseMove(form_->lblCredits, QPoint(10, form_->lblCredits->height() / 2));
    QTRY_VERIFY(underlined());
    QTest::mouseMove(form_->Frame1, QPoint(form_->Frame1->width() - 10, form_->Frame1->height() - 6));
    QTest::mouseMove(form_->lblHelp1, QPoint(10, 5));
    QTest::mouseMove(form_->cmdOK, QPoint(5, 5));
    QTest::qWait(50);
    QVERIFY(underlined());
    QTest::mouseMove(form_.get(), QPoint(4, form_->height() - 3));
    QTRY_VERIFY(!underlined());
}

QUILLORY_TEST_MAIN(DialogTest)
#include "test_dialog.moc"
