#include "Usbconnect.h"

#include "Main.h"
#include "ui_Usbconnect.h"

TFormMain* connectDialogOwner = nullptr;

TUSBConnectForm::TUSBConnectForm(TFormMain* owner)
    : QDialog(owner), m_ui(std::make_unique<Ui::TUSBConnectForm>())
{
    connectDialogOwner = owner;
    m_ui->setupUi(this);
    connect(m_ui->Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->SpeedButtonEN, &QToolButton::clicked, this, [this] { switchLanguage("en"); });
    connect(m_ui->SpeedButtonHU, &QToolButton::clicked, this, [this] { switchLanguage("hu"); });
    connect(m_ui->SpeedButtonRO, &QToolButton::clicked, this, [this] { switchLanguage("ro"); });
}

TUSBConnectForm::~TUSBConnectForm()
{
    if (connectDialogOwner == parent())
        connectDialogOwner = nullptr;
}

void TUSBConnectForm::showEvent(QShowEvent* event)
{
    ApplyTexts();
    QDialog::showEvent(event);
}

void TUSBConnectForm::ApplyTexts()
{
    if (!connectDialogOwner)
        return;
    for (QLabel* label : {m_ui->lbReconnectMessage, m_ui->lbMess1, m_ui->lbMess2})
        label->setText(connectDialogOwner->Lookup(label->objectName()));
}

void TUSBConnectForm::switchLanguage(const QString& code)
{
    if (connectDialogOwner)
        connectDialogOwner->SetLanguage(code, true);
    ApplyTexts();
}
