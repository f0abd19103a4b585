#include "Pwdformc.h"

#include "Cp1250.h"
#include "Main.h"
#include "ui_Pwdformc.h"

TPwdForm::TPwdForm(TFormMain* mainForm)
    : QDialog(mainForm), m_ui(std::make_unique<Ui::TPwdForm>()), mainForm(mainForm)
{
    m_ui->setupUi(this);
    m_ui->ppassword->setText(QString::fromLatin1(TFormMain::kDefaultPassword));
    for (QLineEdit* edit : {m_ui->ppassword, m_ui->cpasswordo, m_ui->cpasswordn, m_ui->cpasswordnp})
        edit->setValidator(new Cp1250Validator(edit)); // what is sent is what was typed

    connect(m_ui->rbcpw, &QRadioButton::toggled, this, &TPwdForm::rbcpwClick);
    connect(m_ui->cpasswordn, &QLineEdit::textChanged, this, &TPwdForm::cpasswordnChange);
    connect(m_ui->cpasswordnp, &QLineEdit::textChanged, this, &TPwdForm::cpasswordnChange);
    connect(m_ui->btPasswAction, &QPushButton::clicked, this, &TPwdForm::btPasswActionClick);
}

TPwdForm::~TPwdForm() = default;

void TPwdForm::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TPwdForm::FormShow()
{
    const struct {
        const char* key;
        QWidget* control;
    } texts[] = {
        {"rbepw", m_ui->rbepw},         {"rbcpw", m_ui->rbcpw},
        {"lbLoginpw", m_ui->lbLoginpw}, {"lbpwcorig", m_ui->lbpwcorig},
        {"lbpwcnew1", m_ui->lbpwcnew1}, {"lbpwcnew2", m_ui->lbpwcnew2},
    };
    for (const auto& t : texts) {
        const QString text = mainForm->Lookup(QString::fromLatin1(t.key));
        if (auto* label = qobject_cast<QLabel*>(t.control))
            label->setText(text);
        else if (auto* radio = qobject_cast<QRadioButton*>(t.control))
            radio->setText(text);
    }
}

void TPwdForm::rbcpwClick()
{
    const bool change = m_ui->rbcpw->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{m_ui->gbnewpw, m_ui->cpasswordn,
                                                      m_ui->cpasswordo, m_ui->cpasswordnp})
        w->setEnabled(change);
    if (change)
        m_ui->btPasswAction->setEnabled(false);
    else
        m_ui->btPasswAction->setEnabled(true); // back in login mode OK always logs in
}

void TPwdForm::cpasswordnChange()
{
    const QString next = m_ui->cpasswordn->text();
    m_ui->btPasswAction->setEnabled(next.size() == 4 && m_ui->cpasswordnp->text() == next);
}

void TPwdForm::btPasswActionClick()
{
    if (m_ui->rbepw->isChecked()) {
        mainForm->setPassword(toCp1250(m_ui->ppassword->text()));
    } else {
        const QByteArray next = toCp1250(m_ui->cpasswordn->text());
        mainForm->setPassword(next);
        if (mainForm->PasswordCommand(toCp1250(m_ui->cpasswordo->text()), next) == 1)
            mainForm->setLoggedIn(true);
    }
    accept();
}
