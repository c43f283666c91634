#include "composer/ShutdownSignals.h"

#include "common/Log.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

// The socket end the handler writes to; -1 while no ShutdownSignals exists.
volatile std::sig_atomic_t writeEnd = -1;

// Only async-signal-safe calls. The socket does not block: when it is full,
// the signals already in it say enough.
extern "C" void noteSignal(int signal) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
    errno = savedErrno;
}

} // namespace

ShutdownSignals::ShutdownSignals(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, _sockets) != 0) {
        zuboLog("cannot catch the end signals: %s", std::strerror(errno));
        _sockets[0] = _sockets[1] = -1;
        return;
    }
    writeEnd = _sockets[1];
    _notifier = new QSocketNotifier(_sockets[0], QSocketNotifier::Read, this);
    connect(_notifier, &QSocketNotifier::activated, this, &ShutdownSignals::readSignals);
    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    // The event loop's own waiting goes on as if nothing happened.
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i) {
        ::sigaction(kSignals[i], &action, &_previous[i]);
    }
}

ShutdownSignals::~ShutdownSignals() {
    if (_notifier == nullptr) {
        return;
    }
    for (int i = 0; i < 3; ++i) {
        ::sigaction(kSignals[i], &_previous[i], nullptr);
    }
    writeEnd = -1;
    delete _notifier;
    ::close(_sockets[0]);
    ::close(_sockets[1]);
}

void ShutdownSignals::readSignals() {
    unsigned char byte = 0;
    while (::read(_sockets[0], &byte, 1) == 1) {
        emit received(byte);
    }
}
