#include "Main.h"

#include "ConnHIDCOM.h"
#include "Cp1250.h"
#include "DialogHost.h"
#include "LangMan.h"
#include "LanguageSetting.h"
#include "PragantDebug.h"
#include "Usbconnect.h"
#include "ui_Main.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QTimer>

namespace {
constexpr int kProgressPaintMs = 40; // how often a run's progress is painted
} // namespace

TFormMain::TFormMain(Options options, QWidget* parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::TFormMain>()), m_dialogs(options.dialogs),
      m_exchange(*this, options.timing), m_run(m_exchange, m_settingsDescs),
      m_statusStream([this, apply = StatusStream::applyTo(m_statusDescs)](
                         const QByteArray& key, const QByteArray& value) {
          apply(key, value);
          emit statusRecordApplied(key);
      }),
      m_eventStream([this](int list, const QByteArray& line) {
          (list == 1 ? m_ui->memoEventList1 : m_ui->memoEventList2)
              ->appendPlainText(fromCp1250(line));
      })
{
    if (!m_dialogs) {
        m_ownDialogs = std::make_unique<WidgetDialogHost>();
        m_dialogs = m_ownDialogs.get();
    }

    // The window and its controls from the design; all texts and flags start empty/false.
    m_ui->setupUi(this);
    setWindowTitle(QString::fromLatin1(kTitle));
    setMinimumSize(760, 400);

    m_settingsDescs = buildSettingsDescs(this);
    m_statusDescs = buildStatusDescs(this);
    m_ui->ProgressBarRW->setMaximum(m_settingsDescs.count());
    // A progress bar repaints at once on every step, and a run makes 252 steps in about two
    // seconds. The bar follows the run on a paint tick instead: no eye tells the difference,
    // and painting stays out of the way of the replies.
    m_progressPaint = new QTimer(this);
    m_progressPaint->setSingleShot(true);
    m_progressPaint->setInterval(kProgressPaintMs);
    connect(m_progressPaint, &QTimer::timeout, this,
            [this] { m_ui->ProgressBarRW->setValue(m_progress); });

    // What is written to the device or a file must be what a field shows.
    for (int i = 0; i < m_settingsDescs.count(); ++i)
        if (auto* edit = qobject_cast<QLineEdit*>(m_settingsDescs.at(i).control))
            if (!edit->validator())
                edit->setValidator(new Cp1250Validator(edit));

    connectHandlers();
    createLink(std::move(options.platform));

    m_langMan = std::make_unique<LangMan>(this);
    SetLanguage(readLanguageId(), false);
}

TFormMain::~TFormMain()
{
    closing = true;
    shutDownConnection();
}

void TFormMain::connectHandlers()
{
    connect(m_ui->btnRead, &QPushButton::clicked, this, &TFormMain::ReadAll);
    connect(m_ui->btnWrite, &QPushButton::clicked, this, &TFormMain::WriteAll);
    connect(m_ui->btnSave, &QPushButton::clicked, this, &TFormMain::SaveSettingsFile);
    connect(m_ui->btnOpen, &QPushButton::clicked, this, &TFormMain::OpenSettingsFile);
    connect(m_ui->btnSendReport, &QPushButton::clicked, this, &TFormMain::btnSendReportClick);
    connect(m_ui->sbEN, &QToolButton::clicked, this, [this] { SetLanguage("en", true); });
    connect(m_ui->sbHU, &QToolButton::clicked, this, [this] { SetLanguage("hu", true); });
    connect(m_ui->sbRO, &QToolButton::clicked, this, [this] { SetLanguage("ro", true); });

    for (QLineEdit* in : inputValueFields())
        connect(in, &QLineEdit::textChanged, this, &TFormMain::edIN1Change);
    for (QLineEdit* out : {m_ui->edOUT1, m_ui->edOUT2, m_ui->edOUT3, m_ui->edOUT4, m_ui->edOUT5,
                           m_ui->edOUT6})
        connect(out, &QLineEdit::textChanged, this, &TFormMain::edOUT1Change);
    for (QLineEdit* rs : receiverValueFields())
        connect(rs, &QLineEdit::textChanged, this, &TFormMain::edRS1_1Change);
    connect(m_ui->edTempGsmSignal1, &QLineEdit::textChanged, this,
            &TFormMain::edTempGsmSignal1Change);
    connect(m_ui->edTempGsmSignal2, &QLineEdit::textChanged, this,
            &TFormMain::edTempGsmSignal2Change);
    connect(m_ui->edPowerValue, &QLineEdit::textChanged, this, &TFormMain::edPowerValueChange);

    connectSettingsRules();
}

void TFormMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_shown && !event->spontaneous()) {
        m_shown = true;
        // After the window is on screen, as the first thing the event loop does.
        QTimer::singleShot(0, this, &TFormMain::FormShow);
    }
}

void TFormMain::startWithoutWindow()
{
    if (m_shown)
        return;
    m_shown = true;
    QTimer::singleShot(0, this, &TFormMain::FormShow);
}

void TFormMain::FormShow()
{
    m_loggedIn = false;
    m_readWriteBusy = false;
    m_reportChangesPending = false;

    USBConnectForm = new TUSBConnectForm(this);
    releaseHandOvers(); // an attach that came before now runs inside the dialog's loop
    m_dialogs->execDialog(USBConnectForm);

    seBattHighChange();
    seBattLowChange();
}

void TFormMain::closeEvent(QCloseEvent* event)
{
    FormClose();
    QMainWindow::closeEvent(event);
}

void TFormMain::FormClose()
{
    closing = true;
    shutDownConnection();
}

void TFormMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    // The 760 x 400 limit is on the outer size; Qt's minimum is on the client area.
    const QSize frame = (frameGeometry().size() - size()).expandedTo(QSize(0, 0));
    setMinimumSize(QSize(760, 400) - frame);
    FormResize();
}

void TFormMain::FormResize()
{
    // Keeps the attach indicator at the top right, 75 pixels in from the outer right edge.
    const int frame = frameGeometry().width() - width();
    m_ui->panelUSB->move(width() + frame - 75, m_ui->panelUSB->y());
    m_ui->panelUSB->raise();
}

void TFormMain::keyPressEvent(QKeyEvent* event)
{
    QWidget* focus = focusWidget();
    if (focus == nullptr || focus == this) {
        qCDebug(lcPragantDebug).noquote() << "-------------";
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

QString TFormMain::Lookup(const QString& key) const
{
    return m_langMan ? m_langMan->Lookup(key).value_or(QString()) : QString();
}

void TFormMain::SetLanguage(const QString& code, bool store)
{
    m_langMan->ApplyLanguage(code);
    if (store)
        writeLanguageId(code);
    edIN1Change();
    edOUT1Change();
    edRS1_1Change();
    cbUseBackupServersClick();
}
