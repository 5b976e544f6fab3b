#include "FileLock.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tintwright {

FileLock::~FileLock() {
    if (m_fd >= 0)
        ::close(m_fd);
}

Outcome FileLock::take(const std::filesystem::path &path, bool wait, bool &busy) {
    for (;;) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            return Problem(std::strerror(errno)).in(path.string());
        int locked = -1;
        do
            locked = ::flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB));
        while (locked != 0 && errno == EINTR);
        struct stat held {};
        struct stat named {};
        const bool same = locked == 0 && ::fstat(fd, &held) == 0 &&
                          ::stat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
                          held.st_ino == named.st_ino;
        if (same) {
            m_fd = fd;
            return {};
        }
        const int code = errno;
        ::close(fd);
        // The run that held it replaced the file: the new one is the one to hold.
        if (locked == 0)
            continue;
        busy = code == EWOULDBLOCK;
        if (busy)
            return {};
        return Problem(std::strerror(code)).in(path.string());
    }
}

} // namespace tintwright
