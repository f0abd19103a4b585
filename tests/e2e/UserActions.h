#pragma once
// What a user does to the program in the scenarios, and what the scenarios compare: typing
// into fields, clicking, acting while a modal dialog runs, a device's whole store.

#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <string>

class QAbstractButton;
class QComboBox;
class QObject;
class QWidget;
class SimDevice;
class TFormMain;

// Replaces a field's text the way a user does: select all, then type (or delete).
void typeInto(QWidget* field, const QString& text);
// A mouse click in the middle of a button; a disabled button ignores it, as on screen.
void clickOn(QAbstractButton* button);
// The space bar on a focused check box or radio button.
void pressSpace(QAbstractButton* button);
// Arrow down on a closed drop-down list until it shows `item`; false if it has no such item.
bool pickItem(QComboBox* combo, const QString& item);

// Runs `action` once, from whichever event loop is running (a modal dialog's included), as
// soon as `ready` holds. The returned flag turns true once the action has run.
std::shared_ptr<bool> whenReady(QObject* context, std::function<bool()> ready,
                                std::function<void()> action);

// Every property the device stores, by key.
using Store = std::map<std::string, std::string>;
Store storeOf(const SimDevice& device);
// Sets every key bound to `field` on the device, as its own configuration.
void setDeviceField(SimDevice& device, const std::string& field, const std::string& value);
// Every settings field's property text, by component name.
std::map<std::string, QString> fieldTexts(const TFormMain& window);
// The keys whose values differ between two stores, for a readable failure.
QString differences(const Store& a, const Store& b);

// Test programs of this folder run in a home of their own, so no setting of the user's is
// seen or touched, and every program starts without a stored language.
int runScenarioTests(int argc, char** argv, QObject& tests);
