#pragma once
// The prompt shown when the program starts: attach the device, or go on without one. It
// carries the three language buttons so the language can be chosen first. The login flow
// closes it when a device attaches.

#include <QDialog>

#include <memory>

class TFormMain;
namespace Ui {
class TUSBConnectForm;
}

class TUSBConnectForm : public QDialog
{
    Q_OBJECT

public:
    explicit TUSBConnectForm(TFormMain* owner);
    ~TUSBConnectForm() override;

    void ApplyTexts();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void switchLanguage(const QString& code);

    std::unique_ptr<Ui::TUSBConnectForm> m_ui;
};

// The main window that created the connect dialog last; the dialog reaches the language
// manager through it.
extern TFormMain* connectDialogOwner;
