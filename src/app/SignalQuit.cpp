#include "SignalQuit.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The handler may only write to a descriptor: the event loop reads the
// other end.
int g_sockets[2] = {-1, -1};
struct sigaction g_previous[2];
constexpr int kSignals[2] = {SIGTERM, SIGINT};

void onSignal(int signal)
{
    const int savedErrno = errno;
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t written = ::write(g_sockets[0], &byte, 1);
    errno = savedErrno;
}

} // namespace

SignalQuit::SignalQuit(std::function<void(int)> onSignal, QObject* parent)
    : QObject(parent), m_onSignal(std::move(onSignal))
{
    if (g_sockets[0] >= 0 ||
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_sockets) != 0)
        return;
    m_notifier = new QSocketNotifier(g_sockets[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalQuit::readSignals);
    struct sigaction action = {};
    action.sa_handler = ::onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (int i = 0; i < 2; ++i)
        sigaction(kSignals[i], &action, &g_previous[i]);
}

SignalQuit::~SignalQuit()
{
    if (!m_notifier)
        return;
    for (int i = 0; i < 2; ++i)
        sigaction(kSignals[i], &g_previous[i], nullptr);
    delete m_notifier;
    m_notifier = nullptr;
    ::close(g_sockets[0]);
    ::close(g_sockets[1]);
    g_sockets[0] = g_sockets[1] = -1;
}

void SignalQuit::readSignals()
{
    char bytes[16];
    ssize_t count;
    while ((count = ::read(g_sockets[1], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < count; ++i)
            m_onSignal(bytes[i]);
    }
}
