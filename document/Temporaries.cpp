#include "Temporaries.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <csignal>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace tintwright {

namespace {

// Short enough that the whole name fits any file system's limit of 255 bytes.
constexpr std::size_t kKeptOfName = 200;
constexpr std::string_view kUnique = "XXXXXX";

std::filesystem::path folderOf(const std::filesystem::path &place) {
    return place.has_parent_path() ? place.parent_path() : std::filesystem::path(".");
}

} // namespace

int Temporaries::make(const std::filesystem::path &place, std::string &name) {
    const std::filesystem::path folder = folderOf(place);
    std::lock_guard lock(m_mutex);
    if (m_stopped) {
        errno = EINTR;
        return -1;
    }
    if (m_swept.insert(folder).second)
        sweep(folder);
    name = (folder / ("." + place.filename().string().substr(0, kKeptOfName) + kMark +
                      std::to_string(::getpid()) + "-" + std::string(kUnique)))
               .string();
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0)
        m_names.push_back(name);
    return fd;
}

void Temporaries::forget(const std::string &name) {
    std::lock_guard lock(m_mutex);
    std::erase(m_names, name);
}

void Temporaries::stop() {
    std::lock_guard lock(m_mutex);
    m_stopped = true;
    for (const std::string &name : m_names)
        ::unlink(name.c_str());
    m_names.clear();
}

long Temporaries::ownerOf(const std::string &name) {
    const std::size_t mark = name.rfind(kMark);
    const std::size_t digits = mark + std::string_view(kMark).size(); // where the number starts
    // At least one digit, then "-" and the unique part.
    if (name.empty() || name[0] != '.' || mark == std::string::npos ||
        name.size() < digits + 1 + 1 + kUnique.size())
        return 0;
    const char *first = name.data() + digits;
    const char *last = name.data() + name.size() - kUnique.size() - 1;
    long pid = 0;
    const auto [end, ec] = std::from_chars(first, last, pid);
    return ec == std::errc() && end == last && *end == '-' && pid > 0 ? pid : 0;
}

void Temporaries::sweep(const std::filesystem::path &folder) {
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const long owner = ownerOf(it->path().filename().string());
        // Only a run that no longer exists has left it: one still running renames it soon.
        if (owner > 0 && ::kill(pid_t(owner), 0) != 0 && errno == ESRCH)
            ::unlink(it->path().c_str());
    }
}

} // namespace tintwright
