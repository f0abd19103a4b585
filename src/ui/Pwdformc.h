#pragma once
// The password dialog: the user gives the device password (login) or changes it. It stores
// the password in the main window; the login itself is sent once the dialog has closed.

#include <QDialog>

#include <memory>

class TFormMain;
namespace Ui {
class TPwdForm;
}

class TPwdForm : public QDialog
{
    Q_OBJECT

public:
    explicit TPwdForm(TFormMain* mainForm);
    ~TPwdForm() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void rbcpwClick();
    void cpasswordnChange();
    void btPasswActionClick();

    std::unique_ptr<Ui::TPwdForm> m_ui;
    TFormMain* mainForm; // not owned
};
