#pragma once
// One run of pragant-cli: a main window that is never shown, on the chosen device, driven
// through the window's own operations so that every rule of the GUI holds.

#include "CliDialogs.h"
#include "CliOptions.h"
#include "DeviceChoice.h"

#include <QByteArray>
#include <QSet>

#include <functional>
#include <memory>

class TFormMain;

class CliSession
{
public:
    CliSession(CliOptions options, DeviceChoice device);
    ~CliSession();

    // Waits for the device, logs in and runs the command; the exit status.
    int run();

    // Set from a signal handler: ends waits and --follow.
    static void interrupt();

private:
    int connectDevice();
    int readCommand();
    int writeCommand();
    int statusCommand();
    int eventsCommand();
    int getCommand();
    int setCommand();
    int passwdCommand();
    int reportCommand();

    // Runs the event loop until done() holds or timeoutMs has passed (never when negative);
    // false on time-out or interrupt.
    bool waitUntil(const std::function<bool()>& done, int timeoutMs);
    void watchProgress(const char* verb);
    void watchEvents();
    bool messageShown(const char* text) const;

    CliOptions m_options;
    DeviceChoice m_device;
    CliDialogs m_dialogs;
    std::unique_ptr<TFormMain> m_window;

    bool m_loginDone = false;
    bool m_loginAccepted = false;
    QSet<QByteArray> m_statusKeys; // status keys of the table that have come
    QStringList m_invalidAtOpen;   // the gated fields that were invalid when the file opened
};

int failure(int code, const QString& message);
