#include "StopSignals.h"

#include "document/Temporaries.h"

#include <csignal>

#include <pthread.h>
#include <unistd.h>

namespace tintwright {

namespace {

// Sent by the run itself when it ends: the waiter ends without stopping anything.
constexpr int kEnded = SIGUSR2;

sigset_t watched() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, kEnded})
        sigaddset(&set, signal);
    return set;
}

} // namespace

StopSignals::StopSignals(Temporaries &temporaries) {
    const sigset_t set = watched();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    m_waiter = std::thread([&temporaries, set] {
        // sigwait is never interrupted; it fails only for a set it cannot wait on.
        int signal = 0;
        if (sigwait(&set, &signal) != 0 || signal == kEnded)
            return;
        temporaries.stop();
        // Ended by the signal itself, as it would have been.
        std::signal(signal, SIG_DFL);
        sigset_t only;
        sigemptyset(&only);
        sigaddset(&only, signal);
        pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
        ::kill(::getpid(), signal);
        pause();
    });
}

StopSignals::~StopSignals() {
    pthread_kill(m_waiter.native_handle(), kEnded);
    m_waiter.join();
}

} // namespace tintwright
