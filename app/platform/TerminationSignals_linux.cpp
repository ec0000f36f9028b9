#include "app/platform/TerminationSignals_linux.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>

namespace korvane {

namespace {

constexpr std::array<int, 3> handled = {SIGTERM, SIGINT, SIGHUP};
// The handler may only write to a descriptor: the program's thread reads it.
int pipeEnds[2] = {-1, -1};
struct sigaction earlier[handled.size()];

void onSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1);
    errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (pipeEnds[0] >= 0 || ::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        bool any = false;
        while (::read(pipeEnds[0], bytes, sizeof bytes) > 0) any = true;
        if (any) emit received();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t index = 0; index < handled.size(); ++index)
        ::sigaction(handled[index], &action, &earlier[index]);
}

TerminationSignals::~TerminationSignals() {
    if (!notifier_) return;
    for (std::size_t index = 0; index < handled.size(); ++index)
        ::sigaction(handled[index], &earlier[index], nullptr);
    delete notifier_;
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
}

}  // namespace korvane
