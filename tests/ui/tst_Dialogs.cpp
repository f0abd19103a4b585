// The password dialog (login and change modes, the OK rule, the close box, its texts) and the
// connect dialog (its flag buttons, its closing when the device attaches).

#include "GuiRig.h"
#include "Pwdformc.h"
#include "Usbconnect.h"
#include "fixtures/ViewsSupport.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>

namespace {

template<typename T = QWidget>
T* child(const QWidget& dialog, const char* name)
{
    return dialog.findChild<T*>(QString::fromLatin1(name));
}

QString shownText(const QWidget* w)
{
    if (auto* label = qobject_cast<const QLabel*>(w))
        return label->text();
    return qobject_cast<const QAbstractButton*>(w)->text();
}

// Runs `script` once, inside the connect dialog's modal loop, as soon as the dialog is up.
class WhileConnectOpen
{
public:
    WhileConnectOpen(GuiRig& rig, std::function<void(TUSBConnectForm&)> script)
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this, &rig, script] {
            TUSBConnectForm* form = rig.window->connectForm();
            if (!form || !form->isVisible())
                return;
            m_timer.stop();
            script(*form);
            ran = true;
        });
        m_timer.start();
    }
    bool ran = false;

private:
    QTimer m_timer;
};

const char* const kPasswordTextKeys[] = {"rbepw", "rbcpw", "lbLoginpw", "lbpwcorig", "lbpwcnew1",
                                         "lbpwcnew2"};

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(views::clearLanguageStore()); }

    void freshPasswordDialogLogsInWithEnter();
    void newPasswordRule_data();
    void newPasswordRule();
    void emptyingAnEditDisablesOkAgain();
    void closeBoxWritesNothing();
    void passwordTextsFollowLanguage_data();
    void passwordTextsFollowLanguage();
    void closedLoginDialogLogsInWithDefault();
    void changePasswordThenLogIn();
    void changeSendsOldPasswordAsTyped();

    void connectFlagSwitchesLanguage_data();
    void connectFlagSwitchesLanguage();
    void attachClosesConnectDialog();
};

void TestDialogs::freshPasswordDialogLogsInWithEnter()
{
    GuiRig rig(GuiRig::Setup{.plugged = false});
    QVERIFY(rig.start());
    rig.window->setPassword("1111");
    TPwdForm dialog(rig.window.get());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    QCOMPARE(dialog.windowTitle(), QStringLiteral("Password"));
    QVERIFY(child<QRadioButton>(dialog, "rbepw")->isChecked());
    QVERIFY(!child<QRadioButton>(dialog, "rbcpw")->isChecked());
    auto* login = child<QLineEdit>(dialog, "ppassword");
    QCOMPARE(login->text(), QStringLiteral("5827"));
    QCOMPARE(login->echoMode(), QLineEdit::Normal);
    QVERIFY(login->isEnabled());
    QVERIFY(child(dialog, "btPasswAction")->isEnabled());
    for (const char* name : {"gbnewpw", "cpasswordo", "cpasswordn", "cpasswordnp"})
        QVERIFY2(!child(dialog, name)->isEnabled(), name);
    QTRY_COMPARE(dialog.focusWidget(), login);

    QTest::keyClick(login, Qt::Key_Return);
    QCOMPARE(rig.window->password(), QByteArray("5827"));
    QVERIFY(!dialog.isVisible());
}

void TestDialogs::newPasswordRule_data()
{
    QTest::addColumn<QString>("fresh");
    QTest::addColumn<QString>("confirm");
    QTest::addColumn<bool>("ok");
    QTest::newRow("four digits") << "1234" << "1234" << true;
    QTest::newRow("four letters and signs") << "a#B!" << "a#B!" << true;
    QTest::newRow("accented letters") << QString::fromUtf8("őűăş") << QString::fromUtf8("őűăş") << true;
    QTest::newRow("blanks count") << " 1 2" << " 1 2" << true;
    QTest::newRow("five") << "12345" << "12345" << false;
    QTest::newRow("three") << "123" << "123" << false;
    QTest::newRow("one differs") << "1234" << "1235" << false;
    QTest::newRow("letter case differs") << "abcd" << "abcD" << false;
    QTest::newRow("confirm empty") << "1234" << "" << false;
    QTest::newRow("both empty") << "" << "" << false;
}

void TestDialogs::newPasswordRule()
{
    QFETCH(QString, fresh);
    QFETCH(QString, confirm);
    QFETCH(bool, ok);
    GuiRig rig(GuiRig::Setup{.plugged = false});
    QVERIFY(rig.start());
    TPwdForm dialog(rig.window.get());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    views::clickBox(child(dialog, "rbcpw"));
    QVERIFY(child<QRadioButton>(dialog, "rbcpw")->isChecked());
    auto* button = child(dialog, "btPasswAction");
    QVERIFY(!button->isEnabled());
    for (const char* name : {"gbnewpw", "cpasswordo", "cpasswordn", "cpasswordnp", "ppassword"})
        QVERIFY2(child(dialog, name)->isEnabled(), name);

    views::retype(child(dialog, "cpasswordn"), fresh);
    views::retype(child(dialog, "cpasswordnp"), confirm);
    QCOMPARE(child<QLineEdit>(dialog, "cpasswordnp")->text(), confirm);
    QCOMPARE(button->isEnabled(), ok);
    // The same rule whichever edit is typed last.
    views::retype(child(dialog, "cpasswordn"), QString());
    views::retype(child(dialog, "cpasswordn"), fresh);
    QCOMPARE(button->isEnabled(), ok);
}

void TestDialogs::emptyingAnEditDisablesOkAgain()
{
    GuiRig rig(GuiRig::Setup{.plugged = false});
    QVERIFY(rig.start());
    TPwdForm dialog(rig.window.get());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    views::clickBox(child(dialog, "rbcpw"));
    auto* button = child(dialog, "btPasswAction");
    auto* fresh = child<QLineEdit>(dialog, "cpasswordn");
    auto* confirm = child<QLineEdit>(dialog, "cpasswordnp");

    QTest::keyClicks(fresh, "4321");
    QTest::keyClicks(confirm, "432");
    QVERIFY(!button->isEnabled());
    QTest::keyClicks(confirm, "1");
    QVERIFY(button->isEnabled());
    QTest::keyClick(confirm, Qt::Key_Backspace);
    QVERIFY(!button->isEnabled());
    QTest::keyClicks(confirm, "1");
    QVERIFY(button->isEnabled());
    views::retype(fresh, QString());
    QVERIFY(!button->isEnabled());
}

void TestDialogs::closeBoxWritesNothing()
{
    GuiRig rig(GuiRig::Setup{.plugged = false});
    QVERIFY(rig.start());
    rig.window->setPassword("1111");
    TPwdForm dialog(rig.window.get());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    views::retype(child(dialog, "ppassword"), QStringLiteral("9999"));
    QVERIFY(dialog.close());
    QCOMPARE(rig.window->password(), QByteArray("1111"));
    QVERIFY(!rig.window->loggedIn());
}

void TestDialogs::passwordTextsFollowLanguage_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("language");
    QTest::newRow("Romanian") << "sbRO" << "ro";
    QTest::newRow("English") << "sbEN" << "en";
    QTest::newRow("Hungarian") << "sbHU" << "hu";
}

void TestDialogs::passwordTextsFollowLanguage()
{
    QFETCH(QString, button);
    QFETCH(QString, language);
    views::storeLanguage(language == "hu" ? QStringLiteral("en") : QStringLiteral("hu"));
    GuiRig rig(GuiRig::Setup{.plugged = false});
    QVERIFY(rig.start());
    QTest::mouseClick(rig.find<QToolButton>(qPrintable(button)), Qt::LeftButton);

    TPwdForm dialog(rig.window.get());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    for (const char* key : kPasswordTextKeys) {
        const QString text = views::tableText(qPrintable(language), key);
        QVERIFY2(!text.isEmpty(), key);
        QCOMPARE(shownText(child(dialog, key)), text);
    }
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Password"));
    QCOMPARE(child<QPushButton>(dialog, "btPasswAction")->text(), QStringLiteral("OK"));
}

void TestDialogs::closedLoginDialogLogsInWithDefault()
{
    GuiRig rig;
    rig.dialogs.answerPassword = [](TPwdForm& dialog) {
        views::retype(child(dialog, "ppassword"), QStringLiteral("0000"));
        dialog.close(); // the close box
    };
    QVERIFY(rig.start());
    QVERIFY(rig.waitAttached(true));
    QCOMPARE(rig.dialogs.passwordDialogs, 1);
    QCOMPARE(rig.sim->requestLog(6), std::vector<std::string>{"set REM:UPW P,5827"});
    QVERIFY(rig.sim->loggedIn());
}

void TestDialogs::changePasswordThenLogIn()
{
    GuiRig rig;
    rig.dialogs.answerPassword = [](TPwdForm& dialog) {
        views::clickBox(child(dialog, "rbcpw"));
        QTest::keyClicks(child(dialog, "cpasswordo"), "5827");
        QTest::keyClicks(child(dialog, "cpasswordn"), "4321");
        QTest::keyClicks(child(dialog, "cpasswordnp"), "4321");
        QTest::mouseClick(child(dialog, "btPasswAction"), Qt::LeftButton);
    };
    QVERIFY(rig.start());
    QVERIFY(rig.waitAttached(true));
    QCOMPARE(rig.dialogs.passwordDialogs, 1);
    QCOMPARE(rig.sim->password(), std::string("4321"));
    QCOMPARE(rig.window->password(), QByteArray("4321"));
    const std::vector<std::string> expected = {"set REM:UPW C,5827,4321", "set REM:UPW P,4321"};
    QCOMPARE(rig.sim->requestLog(6), expected);
    QVERIFY(rig.sim->loggedIn());
}

void TestDialogs::changeSendsOldPasswordAsTyped()
{
    GuiRig rig;
    int attempts = 0;
    rig.dialogs.answerPassword = [&attempts](TPwdForm& dialog) {
        if (++attempts > 1)
            return answerLogin(dialog); // then the user logs in with the default
        views::clickBox(child(dialog, "rbcpw"));
        QTest::keyClicks(child(dialog, "cpasswordn"), "4321");
        QTest::keyClicks(child(dialog, "cpasswordnp"), "4321");
        QTest::mouseClick(child(dialog, "btPasswAction"), Qt::LeftButton);
    };
    QVERIFY(rig.start());
    QVERIFY(rig.waitAttached(true, 10000));
    const std::vector<std::string> log = rig.sim->requestLog(6);
    QVERIFY(!log.empty());
    QCOMPARE(log.front(), std::string("set REM:UPW C,,4321"));
    QCOMPARE(log.back(), std::string("set REM:UPW P,5827"));
    QCOMPARE(rig.dialogs.passwordDialogs, 2);
    QCOMPARE(rig.sim->password(), std::string("5827")); // the device refused the change
}

void TestDialogs::connectFlagSwitchesLanguage_data()
{
    QTest::addColumn<QString>("stored"); // null: nothing stored
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("flag");
    QTest::addColumn<QString>("code");
    QTest::newRow("nothing stored, Romanian") << QString() << "hu" << "SpeedButtonRO" << "ro";
    QTest::newRow("nothing stored, English") << QString() << "hu" << "SpeedButtonEN" << "en";
    QTest::newRow("English, Hungarian") << "en" << "en" << "SpeedButtonHU" << "hu";
    QTest::newRow("same language again") << "HU" << "hu" << "SpeedButtonHU" << "hu";
}

void TestDialogs::connectFlagSwitchesLanguage()
{
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    QFETCH(QString, flag);
    QFETCH(QString, code);
    if (!stored.isNull())
        views::storeLanguage(stored);
    GuiRig rig(GuiRig::Setup{.plugged = false, .connect = ScriptedDialogs::ConnectAnswer::Stay});
    const char* const labels[] = {"lbReconnectMessage", "lbMess1", "lbMess2"};
    WhileConnectOpen script(rig, [&](TUSBConnectForm& form) {
        for (const char* label : labels)
            QCOMPARE(child<QLabel>(form, label)->text(), views::tableText(qPrintable(shown), label));
        QCOMPARE(views::storedLanguage().value_or(QStringLiteral("<none>")),
                 stored.isNull() ? QStringLiteral("<none>") : stored);

        QTest::mouseClick(child(form, qPrintable(flag)), Qt::LeftButton);
        for (const char* label : labels)
            QCOMPARE(child<QLabel>(form, label)->text(), views::tableText(qPrintable(code), label));
        QCOMPARE(views::storedLanguage(), std::optional<QString>(code));
        // The main window behind the dialog has changed too.
        QCOMPARE(rig.find<QLabel>("lbPowerName")->text(),
                 views::tableText(qPrintable(code), "lbPowerName"));
        QCOMPARE(form.windowTitle(), QStringLiteral("Bisora"));
        QCOMPARE(child<QPushButton>(form, "Button1")->text(), QStringLiteral("OK"));
        QTest::mouseClick(child(form, "Button1"), Qt::LeftButton);
    });
    QVERIFY(rig.start());
    QVERIFY(script.ran);
    QCOMPARE(rig.dialogs.connectDialogsClosed, 1);
    QVERIFY(!rig.find("btnRead")->isEnabled());
}

void TestDialogs::attachClosesConnectDialog()
{
    GuiRig rig(GuiRig::Setup{.plugged = false, .connect = ScriptedDialogs::ConnectAnswer::Stay});
    bool connectVisibleAtLogin = true;
    rig.dialogs.answerPassword = [&](TPwdForm& dialog) {
        connectVisibleAtLogin = rig.window->connectForm()->isVisible();
        answerLogin(dialog);
    };
    WhileConnectOpen script(rig, [&](TUSBConnectForm&) { rig.sim->plug(); });
    QVERIFY(rig.start());
    QVERIFY(script.ran);
    QVERIFY(rig.waitAttached(true));
    QCOMPARE(rig.dialogs.connectDialogsClosed, 1);
    QCOMPARE(rig.dialogs.passwordDialogs, 1);
    QVERIFY(!connectVisibleAtLogin);
    QVERIFY(!rig.window->connectForm()->isVisible());
    QVERIFY(rig.sim->loggedIn());
}

PRAGANT_VIEWS_TEST_MAIN(TestDialogs)
#include "tst_Dialogs.moc"
