#pragma once

#include <thread>

namespace tintwright {

class Temporaries;

// While it lives, INT, TERM and HUP stop the run only after its temporaries are removed: the
// signals are taken by a thread of their own, which removes them and then ends the process by
// the same signal, so that the shell sees how it ended. Made before any other thread starts.
class StopSignals {
public:
    explicit StopSignals(Temporaries &temporaries);
    ~StopSignals();
    StopSignals(const StopSignals &) = delete;
    StopSignals &operator=(const StopSignals &) = delete;

private:
    std::thread m_waiter;
};

} // namespace tintwright
