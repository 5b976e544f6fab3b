#pragma once

#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace tintwright {

// The hidden files a run writes beside their places before renaming them there. Each name
// carries the run's process number, so that a file left by a run that was stopped can be told
// from one a run is still writing: the next run in that folder removes it. One registry per
// run lists the files not yet renamed, so that a run being stopped removes them first.
class Temporaries {
public:
    // A new file beside `place`, open for writing, listed until forgotten: its descriptor, or -1
    // with errno set (also once the run is being stopped). `name` is its path.
    int make(const std::filesystem::path &place, std::string &name);
    // Renamed into place, or removed.
    void forget(const std::string &name);
    // Removes every file still listed, and makes no more: the run is being stopped.
    void stop();

    // The part of a name that marks one of ours: ".NAME.tintwright-PID-XXXXXX".
    static constexpr const char *kMark = ".tintwright-";
    // The process that made the temporary `name`, or 0 when it is not one of ours.
    static long ownerOf(const std::string &name);
    // Removes, in `folder`, the temporaries of runs that no longer exist.
    static void sweep(const std::filesystem::path &folder);

private:
    std::mutex m_mutex;
    std::vector<std::string> m_names;
    std::set<std::filesystem::path> m_swept; // folders already cleared of left-overs
    bool m_stopped = false;
};

} // namespace tintwright
