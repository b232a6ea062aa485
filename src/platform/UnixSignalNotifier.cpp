#include "platform/UnixSignalNotifier.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zeb {

namespace {

int g_signalPipe[2] = {-1, -1}; // written by the handler, read on the event loop

void OnSignal(int signalNumber) {
    int saved = errno;
    unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] ssize_t n = ::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

} // namespace

UnixSignalNotifier::UnixSignalNotifier(std::initializer_list<int> signalNumbers, QObject* parent)
    : QObject(parent), signals_(signalNumbers) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalPipe) != 0)
        return;
    notifier_ = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &UnixSignalNotifier::ReadPendingSignals);
    for (int s : signalNumbers) {
        struct sigaction action {};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(s, &action, nullptr);
    }
}

UnixSignalNotifier::~UnixSignalNotifier() {
    for (int s : signals_)
        ::signal(s, SIG_DFL);
    for (int fd : g_signalPipe) {
        if (fd >= 0)
            ::close(fd);
    }
    g_signalPipe[0] = g_signalPipe[1] = -1;
}

void UnixSignalNotifier::ReadPendingSignals() {
    unsigned char byte;
    while (::read(g_signalPipe[0], &byte, 1) == 1)
        emit SignalReceived(byte);
}

} // namespace zeb
