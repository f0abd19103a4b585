// Renders the main window's two pages (and the settings page at full height) and both dialogs
// offscreen to PNG files for review:  QT_QPA_PLATFORM=offscreen ui_screenshot [out-dir] [--longer]
// --longer stretches every caption by 40% to preview translations that run longer than English.

#include "ui_Main.h"
#include "ui_Pwdformc.h"
#include "ui_Usbconnect.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

void stretchTexts(QWidget* root)
{
    auto longer = [](const QString& t) {
        // Words of five letters, as a translation adds words rather than one endless word.
        QString more;
        while (more.size() < t.size() * 0.4)
            more += " mmmm";
        return t + more;
    };
    // Captions that no language changes ("APN:", "1AB", "IN1", "-", ...) keep their length.
    static const QRegularExpression untranslated(
        "^lb(SIM\\d(Apn|PIN|Port\\d)|EOL|Input\\d|InPair\\d|TestReportPair\\d|Batt(Low|High)Volt|"
        "IN\\dCaption|RS\\d_\\dCaption|.*Value|pVolt|Ded)$");
    for (QLabel* lb : root->findChildren<QLabel*>())
        if (lb->pixmap().isNull() && lb->text() != "-" && !untranslated.match(lb->objectName()).hasMatch())
            lb->setText(longer(lb->text()));
    for (QAbstractButton* b : root->findChildren<QAbstractButton*>())
        if (!b->text().isEmpty())
            b->setText(longer(b->text()));
    for (QGroupBox* g : root->findChildren<QGroupBox*>())
        if (!g->title().isEmpty())
            g->setTitle(longer(g->title()));
}

bool save(QWidget* w, const QString& path)
{
    const bool ok = w->grab().save(path);
    qInfo("%s %s", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool stretch = args.removeAll("--longer") > 0;
    const QString dir = args.value(0, "/tmp/shots");
    QDir().mkpath(dir);
    const QString suffix = stretch ? "_longer" : "";
    bool ok = true;

    QMainWindow main;
    Ui::TFormMain ui;
    ui.setupUi(&main);
    if (stretch)
        stretchTexts(&main);
    main.resize(864, 752);
    main.show();
    app.processEvents();
    ok &= save(&main, dir + "/main_settings" + suffix + ".png");
    ok &= save(ui.sbSettingsContents, dir + "/main_settings_full" + suffix + ".png");
    ui.PageControl1->setCurrentWidget(ui.tsStatus);
    app.processEvents();
    ok &= save(&main, dir + "/main_status" + suffix + ".png");

    QDialog pwd(&main);
    Ui::TPwdForm pwdUi;
    pwdUi.setupUi(&pwd);
    pwd.show();
    app.processEvents();
    ok &= save(&pwd, dir + "/password.png");

    QDialog usb(&main);
    Ui::TUSBConnectForm usbUi;
    usbUi.setupUi(&usb);
    usb.show();
    app.processEvents();
    ok &= save(&usb, dir + "/connect.png");
    return ok ? 0 : 1;
}
