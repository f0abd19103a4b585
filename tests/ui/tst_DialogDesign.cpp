// The two dialogs' designs: controls, start states, sizes and the design (Hungarian) texts.

#include "ui_Pwdformc.h"
#include "ui_Usbconnect.h"

#include <QtTest>

class TestDialogDesign : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void passwordDialog();
    void passwordFocusStartsInPassword();
    void connectDialog();
};

void TestDialogDesign::passwordDialog()
{
    QDialog dialog;
    Ui::TPwdForm ui;
    ui.setupUi(&dialog);
    QCOMPARE(dialog.objectName(), QString("TPwdForm"));
    QCOMPARE(dialog.windowTitle(), QString("Password"));
    QCOMPARE(dialog.size(), QSize(440, 383));

    QVERIFY(ui.rbepw->isChecked());
    QVERIFY(!ui.rbcpw->isChecked());
    QCOMPARE(ui.rbepw->parentWidget(), ui.rbcpw->parentWidget()); // one exclusive pair
    QCOMPARE(ui.ppassword->text(), QString("5827"));
    QCOMPARE(ui.ppassword->maximumWidth(), 158);
    QCOMPARE(ui.ppassword->echoMode(), QLineEdit::Normal);
    QVERIFY(ui.ppassword->isEnabled());
    QCOMPARE(ui.lbLoginpw->parentWidget(), ui.ppassword->parentWidget());
    QVERIFY(ui.ppassword->parentWidget() != ui.gbnewpw);

    QVERIFY(!ui.gbnewpw->isEnabled());
    for (QLineEdit* e : {ui.cpasswordo, ui.cpasswordn, ui.cpasswordnp}) {
        QCOMPARE(e->parentWidget(), ui.gbnewpw);
        QVERIFY(!e->isEnabled());
        QCOMPARE(e->echoMode(), QLineEdit::Normal);
    }
    QVERIFY(ui.btPasswAction->isDefault());
    QVERIFY(ui.btPasswAction->isEnabled());
    QCOMPARE(ui.btPasswAction->text(), QString("OK"));
    QCOMPARE(ui.btPasswAction->minimumSize(), QSize(407, 41));

    const QList<QPair<QWidget*, QString>> texts = {
        {ui.rbepw, "Bejelentkezés"}, {ui.rbcpw, "Jelszó megváltoztatása"}, {ui.lbLoginpw, "Jelszó:"},
        {ui.lbpwcorig, "Eredeti jelszó:"}, {ui.lbpwcnew1, "Új jelszó:"}, {ui.lbpwcnew2, "Új jelszó megerosítés:"}};
    for (const auto& [w, text] : texts) {
        const QString shown = qobject_cast<QLabel*>(w) ? qobject_cast<QLabel*>(w)->text()
                                                       : qobject_cast<QAbstractButton*>(w)->text();
        QCOMPARE(shown, text);
    }
    for (QLabel* lb : {ui.lbLoginpw, ui.lbpwcorig, ui.lbpwcnew1, ui.lbpwcnew2}) {
        QVERIFY(lb->font().bold());
        QCOMPARE(lb->font().pointSize(), 10);
    }
}

void TestDialogDesign::passwordFocusStartsInPassword()
{
    QDialog dialog;
    Ui::TPwdForm ui;
    ui.setupUi(&dialog);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::focusWidget(), ui.ppassword);
}

void TestDialogDesign::connectDialog()
{
    QDialog dialog;
    Ui::TUSBConnectForm ui;
    ui.setupUi(&dialog);
    QCOMPARE(dialog.objectName(), QString("TUSBConnectForm"));
    QCOMPARE(dialog.windowTitle(), QString("Bisora"));
    QCOMPARE(dialog.minimumSize(), QSize(607, 224));
    QCOMPARE(dialog.maximumSize(), QSize(607, 224));

    QCOMPARE(ui.lbReconnectMessage->text(), QString("Csatlakoztassa a készüléket!"));
    QCOMPARE(ui.lbReconnectMessage->font().pointSize(), 12);
    QCOMPARE(ui.lbMess1->font().pointSize(), 10);
    QCOMPARE(ui.lbMess2->font().pointSize(), 10);
    QVERIFY(ui.lbMess1->text().startsWith("Ha már csatlakoztatva van"));
    QVERIFY(ui.lbMess2->text().endsWith("kattintson az OK gombra!"));
    QCOMPARE(ui.Button1->text(), QString("OK"));

    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(ui.Button1->size(), QSize(567, 41));
    QCOMPARE(ui.Panel4->frameShadow(), QFrame::Sunken);
    // The flags sit left to right EN, HU, RO in the panel at the bottom right.
    const QList<QToolButton*> flags = {ui.SpeedButtonEN, ui.SpeedButtonHU, ui.SpeedButtonRO};
    for (int i = 0; i < flags.size(); ++i) {
        QCOMPARE(flags[i]->parentWidget(), ui.Panel4);
        QCOMPARE(flags[i]->size(), QSize(23, 20));
        QVERIFY(!flags[i]->icon().isNull());
        if (i > 0)
            QVERIFY(flags[i - 1]->x() < flags[i]->x());
    }
    const QRect panel = ui.Panel4->geometry();
    QVERIFY(panel.right() >= dialog.width() - 12);
    QVERIFY(panel.bottom() >= dialog.height() - 6);
    // Both messages are readable in full: wrapped rather than cut.
    for (QLabel* lb : {ui.lbMess1, ui.lbMess2})
        QVERIFY(lb->height() >= lb->heightForWidth(lb->width()));
}

QTEST_MAIN(TestDialogDesign)
#include "tst_DialogDesign.moc"
