// The device link of the main window: one connection, three channels, one state listener,
// and the hand-over of everything the reader thread receives to the UI thread.

#include "Main.h"

#include "ConnHIDCOM.h"

class TFormMain::ConnHIDComChangeStateEvent : public ChangeStateEvent
{
public:
    explicit ConnHIDComChangeStateEvent(TFormMain* form) : form(form) {}
    void OnChangeState(const char* state) override
    {
        form->RunOnMainThread(&TFormMain::stateChanged, QByteArray(state));
    }

private:
    TFormMain* form;
};

void TFormMain::createLink(std::shared_ptr<HidPlatform> platform)
{
    // Everything is registered before Open starts the reader thread, so no list changes
    // while the reader walks it and the first "Attached" already finds its listener.
    connection = std::make_unique<ConnHIDCOM>(std::move(platform));
    m_stateListener = std::make_unique<ConnHIDComChangeStateEvent>(this);
    connection->stateListeners.append(m_stateListener.get());

    commandSlot = connection->CreateSlot(6);
    m_commandReceiver = std::make_unique<ResponseConnection>(this, &TFormMain::commandHandOver);
    commandSlot->receivers.append(m_commandReceiver.get());

    statusSlot = connection->CreateSlot(4);
    m_statusReceiver = std::make_unique<ResponseConnection>(this, &TFormMain::statusHandOver);
    statusSlot->receivers.append(m_statusReceiver.get());

    eventSlot = connection->CreateSlot(3);
    m_eventReceiver = std::make_unique<ResponseConnection>(this, &TFormMain::eventHandOver);
    eventSlot->receivers.append(m_eventReceiver.get());

    connection->Open();
}

void TFormMain::shutDownConnection()
{
    if (!connection)
        return;
    // Close joins the reader thread; only then may the channels leave the connection.
    connection->Close();
    eventSlot.reset();
    statusSlot.reset();
    commandSlot.reset();
    connection.reset();
}

bool TFormMain::isAttached() const { return connection && connection->IsAttached(); }

// Reader thread: each piece becomes an owned copy that the UI thread handles exactly once.
void TFormMain::commandHandOver(void* form, const std::uint8_t* bytes, int count)
{
    static_cast<TFormMain*>(form)->RunOnMainThread(
        &TFormMain::CommandTextReceived,
        QByteArray(reinterpret_cast<const char*>(bytes), count));
}

void TFormMain::statusHandOver(void* form, const std::uint8_t* bytes, int count)
{
    static_cast<TFormMain*>(form)->RunOnMainThread(
        &TFormMain::StatusTextReceived,
        QByteArray(reinterpret_cast<const char*>(bytes), count));
}

void TFormMain::eventHandOver(void* form, const std::uint8_t* bytes, int count)
{
    static_cast<TFormMain*>(form)->RunOnMainThread(
        &TFormMain::EventTextReceived, QByteArray(reinterpret_cast<const char*>(bytes), count));
}

int TFormMain::RunOnMainThread(TextHandler handler, QByteArray argument)
{
    if (closing)
        return 0;
    // Queued, never blocking the reader; the calls run in the order they were queued.
    QMetaObject::invokeMethod(
        this,
        [this, handler, argument = std::move(argument)] {
            deliver([this, handler, argument] { (this->*handler)(argument); });
        },
        Qt::QueuedConnection);
    return 1;
}

void TFormMain::deliver(std::function<void()> call)
{
    if (closing)
        return;
    m_handOvers.push_back(std::move(call));
    if (m_handOversHeld)
        return;
    // Each call is taken off before it runs: a call that waits in a nested loop lets the
    // next ones run inside that loop, still in arrival order.
    while (!m_handOvers.empty() && !closing) {
        auto next = std::move(m_handOvers.front());
        m_handOvers.pop_front();
        next();
    }
}

void TFormMain::releaseHandOvers()
{
    m_handOversHeld = false;
    if (!m_handOvers.empty())
        QMetaObject::invokeMethod(
            this, [this] { deliver([] {}); }, Qt::QueuedConnection);
}

void TFormMain::sendCommandText(const QByteArray& text)
{
    if (commandSlot)
        commandSlot->WriteText(std::string_view(text.constData(), size_t(text.size())));
}

void TFormMain::CommandTextReceived(const QByteArray& text) { m_exchange.CommandTextReceived(text); }
void TFormMain::StatusTextReceived(const QByteArray& text) { m_statusStream.StatusTextReceived(text); }
void TFormMain::EventTextReceived(const QByteArray& text) { m_eventStream.EventTextReceived(text); }

void TFormMain::stateChanged(const QByteArray& state) { UpdateWindowState(QString::fromLatin1(state)); }
