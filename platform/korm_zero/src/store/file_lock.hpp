#pragma once

// FileLock: the writer lock of a model file, held while a model has the file open, so that two
// processes never write one file in turn without seeing each other's saves.

#include <string>

namespace korm::zero::store {

/// An exclusive advisory lock (flock) on the file at `path`, through a descriptor of its own.
/// The kernel drops it when the process ends, however it ends, so a crash leaves no stale
/// lock. flock locks are separate from the byte-range locks SQLite takes, but closing any
/// descriptor of a file drops the process's byte-range locks on it: the lock must therefore
/// outlive every SQLite connection to the file in this process (the store declares it first).
class FileLock {
  public:
    /// Opens (with `create`, creates) the file and locks it. A file locked by another process
    /// reports ModelFileInUse; a file that cannot be opened reports ModelFileCannotOpen, or
    /// ModelFileCannotWrite when creating.
    FileLock(std::string const& path, bool create);
    FileLock(FileLock const&) = delete;
    FileLock& operator=(FileLock const&) = delete;
    ~FileLock();

  private:
    int m_fd = -1;
};

}  // namespace korm::zero::store
