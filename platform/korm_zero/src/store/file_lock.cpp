// The writer lock of model files.

#include "file_lock.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "korm/zero/messages.hpp"

namespace korm::zero::store {

namespace messages = korm0::messages;

namespace {

[[noreturn]] void reportFailure(std::string const& path, bool create, int error) {
    if (error == EWOULDBLOCK) {
        reportException(messages::ModelFileInUse(path));
    }
    std::string const reason = std::generic_category().message(error);
    if (create) {
        reportException(messages::ModelFileCannotWrite(path, reason));
    }
    reportException(messages::ModelFileCannotOpen(path, reason));
}

}  // namespace

FileLock::FileLock(std::string const& path, bool create) {
    // Read access suffices for flock, so a write-protected file can still be opened (its saves
    // then fail on writing).
    int const flags = O_RDONLY | O_CLOEXEC | (create ? O_CREAT : 0);
    m_fd = ::open(path.c_str(), flags, 0666);
    if (m_fd < 0) {
        reportFailure(path, create, errno);
    }
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        int const error = errno;
        ::close(m_fd);
        reportFailure(path, create, error);
    }
}

FileLock::~FileLock() {
    ::close(m_fd);  // drops the lock
}

}  // namespace korm::zero::store
