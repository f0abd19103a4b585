#include "UserActions.h"

#include "Cp1250.h"
#include "FieldCodec.h"
#include "Main.h"
#include "SettingsSchema.h"
#include "SimDevice.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdlib>

void typeInto(QWidget* field, const QString& text)
{
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Delete);
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(field, char(c.unicode()));
        } else { // a key of a national layout: no key code, only its text
            QTest::sendKeyEvent(QTest::Press, field, Qt::Key_unknown, QString(c), {});
            QTest::sendKeyEvent(QTest::Release, field, Qt::Key_unknown, QString(c), {});
        }
    }
}

void clickOn(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

void pressSpace(QAbstractButton* button)
{
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Space);
}

bool pickItem(QComboBox* combo, const QString& item)
{
    const int target = combo->findText(item);
    if (target < 0)
        return false;
    combo->setFocus();
    while (combo->currentIndex() != target) {
        const int before = combo->currentIndex();
        QTest::keyClick(combo, before < target ? Qt::Key_Down : Qt::Key_Up);
        if (combo->currentIndex() == before)
            return false;
    }
    return true;
}

std::shared_ptr<bool> whenReady(QObject* context, std::function<bool()> ready,
                                std::function<void()> action)
{
    auto done = std::make_shared<bool>(false);
    auto* timer = new QTimer(context);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        if (!ready())
            return;
        timer->stop();
        timer->deleteLater();
        action(); // may run a nested loop of its own
        *done = true;
    });
    timer->start();
    return done;
}

Store storeOf(const SimDevice& device)
{
    Store store;
    for (const auto& b : settingsSchema())
        store[b.key] = device.property(b.key).value_or("<missing>");
    return store;
}

void setDeviceField(SimDevice& device, const std::string& field, const std::string& value)
{
    for (const auto& b : settingsSchema())
        if (b.field == field)
            device.setProperty(b.key, value);
}

std::map<std::string, QString> fieldTexts(const TFormMain& window)
{
    std::map<std::string, QString> texts;
    for (const auto& name : settingsFields())
        if (const auto* field = window.findChild<QWidget*>(QString::fromStdString(name)))
            texts[name] = fromCp1250(GetControlValue(field));
    return texts;
}

QString differences(const Store& a, const Store& b)
{
    QStringList out;
    for (const auto& [key, value] : a) {
        const auto it = b.find(key);
        const std::string other = it == b.end() ? "<missing>" : it->second;
        if (other != value)
            out << QString::fromStdString(key + ": '" + value + "' vs '" + other + "'");
    }
    return out.join(QStringLiteral("; "));
}

int runScenarioTests(int argc, char** argv, QObject& tests)
{
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    // Before QApplication: the settings store follows HOME (and XDG_CONFIG_HOME) from here on.
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    return QTest::qExec(&tests, argc, argv);
}
