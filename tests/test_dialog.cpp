// The settings dialog with real key and mouse events: what it shows after a
// command line, the delay box's filter, limits and rounding, the Alt focus
// moves, selection on entry, Start, More, the keyboard and the layout.

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

using Mods = Qt::KeyboardModifiers;

class DialogTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { form_.reset(); }
    void opening_data();
    void opening();
    void startReplacesTheCommandLineOptions();
    void typingIntoTheDelayBox_data();
    void typingIntoTheDelayBox();
    void pastingIsCutToTheLimit_data();
    void pastingIsCutToTheLimit();
    void leavingTheDelayBox_data();
    void leavingTheDelayBox();
    void startTakesTheDelayBox_data();
    void startTakesTheDelayBox();
    void altFocusMovesOnRelease_data();
    void altFocusMovesOnRelease();
    void selectionOnEntry_data();
    void selectionOnEntry();
    void keys_data();
    void keys();
    void layoutAndCreditUnderline();

private:
    // Opens the dialog as Main would after this command line, shown and active.
    bool Open(const QString& commandLine)
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
    QWidget* Control(const QString& name) const { return form_->findChild<QWidget*>(name); }
    // Tabs into the delay box and pastes `text` over the selection there.
    void PasteIntoDelayBox(const QString& text)
    {
        QTest::keyClick(form_->txtHomepageURL, Qt::Key_Tab);
        QApplication::clipboard()->setText(text);
        QTest::keyClick(form_->txtMinDelay, Qt::Key_Insert, Qt::ShiftModifier);
    }

    std::unique_ptr<FrmURLPrompt> form_;
};

void DialogTest::opening_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("delay");
    const QString url = QStringLiteral("http://127.0.0.1/home.html");
    const QString longUrl = url + QLatin1Char('?') + QString(300, QLatin1Char('q'));
    QTest::newRow("options not shown") << url + ",5,allownewwindows,workoffline,closeopenwindows,pass:secret" << url
                                       << "10";
    QTest::newRow("five-digit delay") << ",12345" << QString() << "12350";
    QTest::newRow("URL past the box's limit") << longUrl + ",5" << longUrl << "10";
}

void DialogTest::opening()
{
    QFETCH(QString, commandLine);
    QFETCH(QString, url);
    QVERIFY(Open(commandLine));
    QCOMPARE(form_->txtHomepageURL->text(), url);
    QTEST(form_->txtMinDelay->text(), "delay");
    QCOMPARE(form_->txtPassword->text(), QString());
    for (QCheckBox* box : {form_->chkAllowNewWindows, form_->chkWorkOffline, form_->chkCloseOpenWindows})
        QCOMPARE(box->checkState(), Qt::Unchecked);
    QCOMPARE(form_->ClientHeight(), FrmURLPrompt::kCompactHeight);
    QCOMPARE(QApplication::focusWidget(), form_->txtHomepageURL);
    QCOMPARE(form_->txtHomepageURL->selectedText(), url);
}

void DialogTest::startReplacesTheCommandLineOptions()
{
    QVERIFY(Open(QStringLiteral("http://127.0.0.1/a.html,5,workoffline,closeopenwindows,pass:secret")));
    QTest::mouseClick(form_->chkAllowNewWindows, Qt::LeftButton);
    QTest::mouseClick(form_->txtPassword, Qt::LeftButton);
    QTest::keyClicks(form_->txtPassword, QStringLiteral("NeW Pw"));
    QTest::mouseClick(form_->cmdOK, Qt::LeftButton);
    QVERIFY(form_->isHidden());
    QCOMPARE(PresentationSettings.HomepageURL, QStringLiteral("http://127.0.0.1/a.html"));
    QCOMPARE(PresentationSettings.MinDelay, 10.0f);
    QCOMPARE(PresentationSettings.AllowNewWindows, True);
    QCOMPARE(PresentationSettings.WorkOffline, False);
    QCOMPARE(PresentationSettings.CloseOpenWindows, False);
    QCOMPARE(PresentationSettings.Password, QStringLiteral("new pw"));
}

void DialogTest::typingIntoTheDelayBox_data()
{
    QTest::addColumn<QString>("typed");  // \b: Backspace; DEL: Delete before the last digit
    QTest::addColumn<QString>("shown");
    QTest::newRow("letters, sign and point refused") << "a-1.5"
                                                     << "15";
    QTest::newRow("four digits at most") << "123456"
                                         << "1234";
    QTest::newRow("backspace") << "45\b6"
                               << "46";
    QTest::newRow("Delete") << "45\x7f"
                            << "4";  // X11 sends it with the text DEL
}

void DialogTest::typingIntoTheDelayBox()
{
    QFETCH(QString, typed);
    QVERIFY(Open(QString()));
    QTest::keyClick(form_->txtHomepageURL, Qt::Key_Tab);
    TextBox* box = form_->txtMinDelay;
    for (const QChar c : typed) {
        if (c == QLatin1Char('\b')) {
            QTest::keyClick(box, Qt::Key_Backspace);
        } else if (c == QChar(0x7f)) {
            QTest::keyClick(box, Qt::Key_Left);
            QTest::sendKeyEvent(QTest::Press, box, Qt::Key_Delete, QString(c), {});
            QTest::sendKeyEvent(QTest::Release, box, Qt::Key_Delete, QString(c), {});
        } else {
            QTest::keyClicks(box, QString(c));
        }
    }
    QTEST(box->text(), "shown");
}

void DialogTest::pastingIsCutToTheLimit_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("before");  // put in by the program
    QTest::addColumn<int>("selected");    // characters selected before the caret, at the end
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("after");
    const QString url250 = QStringLiteral("http://127.0.0.1/") + QString(233, QLatin1Char('u'));
    const QString url300 = url250 + QString(50, QLatin1Char('v'));
    QTest::newRow("delay, five digits from the program") << "txtMinDelay"
                                                         << "10000" << 0 << "5"
                                                         << "10000";
    QTest::newRow("password, replacing") << "txtPassword"
                                         << "abcdefgh" << 2 << "xyz"
                                         << "abcdefxy";
    QTest::newRow("URL, up to 255") << "txtHomepageURL" << url250 << 0 << "0123456789" << url250 + "01234";
    QTest::newRow("URL past 255 from the program") << "txtHomepageURL" << url300 << 0 << "0123" << url300;
}

void DialogTest::pastingIsCutToTheLimit()
{
    QFETCH(QString, box);
    QFETCH(QString, before);
    QFETCH(int, selected);
    QFETCH(QString, pasted);
    QVERIFY(Open(QString()));
    auto* target = static_cast<TextBox*>(Control(box));
    target->setFocus(Qt::OtherFocusReason);
    target->SetText(before);
    target->end(false);
    target->cursorBackward(true, selected);
    QApplication::clipboard()->setText(pasted);
    QTest::keyClick(target, Qt::Key_Insert, Qt::ShiftModifier);
    QTEST(target->text(), "after");
}

void DialogTest::leavingTheDelayBox_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("after");
    QTest::newRow("15 rounds up") << "15"
                                  << "20";
    QTest::newRow("0 stays") << "0"
                             << "0";
    QTest::newRow("negative stays") << "-15"
                                    << "-15";
    QTest::newRow("letters") << "abc"
                             << "10";
    QTest::newRow("exponent") << "1e2"
                              << "1e2";
    QTest::newRow("past four digits") << "9991"
                                      << "10000";
    QTest::newRow("rounding past 32767") << "32761"
                                         << "10";
}

void DialogTest::leavingTheDelayBox()
{
    QFETCH(QString, text);
    QFETCH(QString, after);
    QVERIFY(Open(QString()));
    QTest::keyClick(form_->txtHomepageURL, Qt::Key_Tab);
    form_->txtMinDelay->SetText(text);  // more than a person could type
    QTest::keyClick(form_->txtMinDelay, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form_->chkAllowNewWindows);
    QCOMPARE(form_->txtMinDelay->text(), after);

    // A five-digit result stays whole, but nothing more can be typed in.
    QTest::keyClick(form_->chkAllowNewWindows, Qt::Key_Backtab);
    QTest::keyClick(form_->txtMinDelay, Qt::Key_End);
    QTest::keyClicks(form_->txtMinDelay, QStringLiteral("5"));
    QCOMPARE(form_->txtMinDelay->text(), after.size() < 4 ? after + QLatin1Char('5') : after);
}

void DialogTest::startTakesTheDelayBox_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<bool>("enter");  // else a click on Start, which takes the focus
    QTest::addColumn<float>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("15 by Enter, as it is") << "15" << true << 15.0f << "15";
    QTest::newRow("15 by click, rounded on leaving") << "15" << false << 20.0f << "20";
    QTest::newRow("pasted letters") << "ab" << true << 10.0f << "10";
}

void DialogTest::startTakesTheDelayBox()
{
    QFETCH(QString, pasted);
    QFETCH(bool, enter);
    QVERIFY(Open(QStringLiteral("http://127.0.0.1/")));
    PasteIntoDelayBox(pasted);
    QCOMPARE(form_->txtMinDelay->text(), pasted);
    if (enter)
        QTest::keyClick(form_->txtMinDelay, Qt::Key_Return);
    else
        QTest::mouseClick(form_->cmdOK, Qt::LeftButton);
    QVERIFY(form_->isHidden());
    QTEST(PresentationSettings.MinDelay, "stored");
    QTEST(form_->txtMinDelay->text(), "shown");
}

void DialogTest::altFocusMovesOnRelease_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<Mods>("modifiers");
    QTest::addColumn<QString>("to");
    const Mods alt = Qt::AltModifier;
    QTest::newRow("Alt+D") << "txtHomepageURL" << Qt::Key_D << alt << "txtMinDelay";
    QTest::newRow("Alt+P from a button") << "cmdMore" << Qt::Key_P << alt << "txtPassword";
    QTest::newRow("Alt+U") << "txtPassword" << Qt::Key_U << alt << "txtHomepageURL";
    QTest::newRow("Alt+Shift+D") << "txtHomepageURL" << Qt::Key_D << (alt | Qt::ShiftModifier) << "txtMinDelay";
    // The key code read as a letter: keypad 4 is "d", F6 is "u".
    QTest::newRow("Alt+keypad 4") << "txtHomepageURL" << Qt::Key_4 << (alt | Qt::KeypadModifier) << "txtMinDelay";
    QTest::newRow("Alt+F6") << "txtPassword" << Qt::Key_F6 << alt << "txtHomepageURL";
    QTest::newRow("D without Alt") << "chkWorkOffline" << Qt::Key_D << Mods() << "chkWorkOffline";
    QTest::newRow("Alt+X") << "txtPassword" << Qt::Key_X << alt << "txtPassword";
}

void DialogTest::altFocusMovesOnRelease()
{
    QFETCH(QString, from);
    QFETCH(Qt::Key, key);
    QFETCH(Mods, modifiers);
    QVERIFY(Open(QStringLiteral("http://127.0.0.1/,5")));
    QWidget* start = Control(from);
    start->setFocus(Qt::OtherFocusReason);
    QTest::keyPress(start, key, modifiers);
    QCOMPARE(QApplication::focusWidget(), start);  // nothing happens on the press
    QTest::keyRelease(start, key, modifiers);
    QTEST(QApplication::focusWidget()->objectName(), "to");
    // No key typed anything on the way.
    QCOMPARE(form_->txtHomepageURL->text() + form_->txtPassword->text() + form_->txtMinDelay->text(),
             QStringLiteral("http://127.0.0.1/10"));
}

void DialogTest::selectionOnEntry_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<Qt::Key>("key");  // Tab, an Alt key; none: a click
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("selectsAll");
    QTest::newRow("Tab into the delay box") << "txtHomepageURL" << Qt::Key_Tab << "txtMinDelay" << true;
    QTest::newRow("click into the delay box") << "chkWorkOffline" << Qt::Key_unknown << "txtMinDelay" << true;
    QTest::newRow("Alt+U into the URL box") << "chkWorkOffline" << Qt::Key_U << "txtHomepageURL" << true;
    QTest::newRow("Tab into the password box") << "chkCloseOpenWindows" << Qt::Key_Tab << "txtPassword" << false;
}

void DialogTest::selectionOnEntry()
{
    QFETCH(QString, from);
    QFETCH(Qt::Key, key);
    QFETCH(QString, box);
    QFETCH(bool, selectsAll);
    QVERIFY(Open(QStringLiteral("http://127.0.0.1/,5")));
    auto* target = static_cast<TextBox*>(Control(box));
    form_->txtPassword->SetText(QStringLiteral("secret"));
    QWidget* start = Control(from);
    start->setFocus(Qt::OtherFocusReason);
    form_->txtHomepageURL->deselect();
    if (key == Qt::Key_unknown) {
        QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
    } else {
        const Mods modifiers = key == Qt::Key_Tab ? Qt::NoModifier : Qt::AltModifier;
        QTest::keyPress(start, key, modifiers);
        QTest::keyRelease(QApplication::focusWidget(), key, modifiers);
    }
    QCOMPARE(QApplication::focusWidget(), target);
    QCOMPARE(target->selectedText(), selectsAll ? target->text() : QString());
    QCOMPARE(target->selectionStart(), selectsAll ? 0 : -1);
    // A click in the box once it has the focus places the caret as usual.
    QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(target->width() - 4, target->height() / 2));
    QCOMPARE(target->selectedText(), QString());
}

void DialogTest::keys_data()
{
    QTest::addColumn<QString>("url");  // typed into the URL box
    QTest::addColumn<QString>("focus");
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<Mods>("modifiers");
    QTest::addColumn<QString>("outcome");
    const QString url = QStringLiteral("http://127.0.0.1/");
    const Mods none, alt = Qt::AltModifier;
    QTest::newRow("Enter in the URL box") << url << "txtHomepageURL" << Qt::Key_Return << none << "started";
    QTest::newRow("Enter, URL empty") << ""
                                      << "txtHomepageURL" << Qt::Key_Return << none << "nothing";
    QTest::newRow("Enter, URL of blanks") << "   "
                                          << "txtHomepageURL" << Qt::Key_Return << none << "started";
    QTest::newRow("keypad Enter in the password box") << url << "txtPassword" << Qt::Key_Enter << none << "started";
    QTest::newRow("Enter on a check box") << url << "chkWorkOffline" << Qt::Key_Return << none << "started";
    QTest::newRow("Enter on More") << url << "cmdMore" << Qt::Key_Return << none << "expanded";
    QTest::newRow("Esc") << url << "txtHomepageURL" << Qt::Key_Escape << none << "nothing";
    QTest::newRow("Alt+S") << url << "txtMinDelay" << Qt::Key_S << alt << "started";
    QTest::newRow("Alt+M") << url << "txtHomepageURL" << Qt::Key_M << alt << "expanded";
    QTest::newRow("Alt+N") << url << "txtHomepageURL" << Qt::Key_N << alt << "chkAllowNewWindows";
}

void DialogTest::keys()
{
    QFETCH(QString, url);
    QFETCH(QString, focus);
    QFETCH(Qt::Key, key);
    QFETCH(Mods, modifiers);
    QFETCH(QString, outcome);
    QVERIFY(Open(QString()));
    QTest::keyClicks(form_->txtHomepageURL, url);
    PresentationSettings.HomepageURL = QStringLiteral("unchanged");
    QWidget* start = Control(focus);
    start->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(start, key, modifiers);

    const bool started = outcome == QLatin1String("started");
    QTRY_COMPARE(form_->isHidden(), started);
    QCOMPARE(PresentationSettings.HomepageURL, started ? url : QStringLiteral("unchanged"));
    if (started)
        return;
    const bool expanded = outcome == QLatin1String("expanded");
    QTRY_COMPARE(form_->ClientHeight(), expanded ? FrmURLPrompt::kExpandedHeight : FrmURLPrompt::kCompactHeight);
    QCOMPARE(form_->cmdMore->isEnabled(), !expanded);
    if (auto* box = qobject_cast<QCheckBox*>(Control(outcome))) {
        QTRY_COMPARE(box->checkState(), Qt::Checked);
        QCOMPARE(QApplication::focusWidget(), box);
    } else if (!expanded) {
        QCOMPARE(QApplication::focusWidget(), start);
    }
}

void DialogTest::layoutAndCreditUnderline()
{
    QVERIFY(Open(QString()));
    // Compact: Frame1 lies below the client area, the buttons inside it.
    QVERIFY(form_->Frame1->visibleRegion().isEmpty());
    for (QPushButton* button : {form_->cmdOK, form_->cmdClose, form_->cmdMore})
        QVERIFY(form_->rect().contains(button->geometry()));
    form_->cmdMore_Click();
    QVERIFY(!form_->Frame1->visibleRegion().isEmpty());

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
