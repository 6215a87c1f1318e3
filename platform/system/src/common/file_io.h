#pragma once

// File helpers for stores that other processes read while this one writes:
// whole-file reads, and writes that replace a file atomically so a reader
// sees the old or the new content and never a mixture.

#include <string>
#include <string_view>

#include "win/types.h"

namespace win {

// Reads everything from fd (from offset 0). Returns ERROR_SUCCESS or a
// Win32 error code.
DWORD readAll(int fd, std::string& out);

// Creates dir and its missing parents.
DWORD createDirectories(const std::string& dir);

// The folder part of path ("." when there is none) and the file name part.
std::string parentDirectory(const std::string& path);
std::string fileName(const std::string& path);

// Prefix of the temporary files that replaceFile creates next to path.
std::string tempFilePrefix(const std::string& path);

// Writes text to a new file next to path, flushes it to disk, renames it
// over path and flushes the folder. The new file gets the mode of the file
// it replaces, or 0666 less the umask. When keptFd is given it receives an
// open descriptor of the new file (the caller closes it); otherwise the file
// is closed. Returns ERROR_SUCCESS or a Win32 error code; on failure path is
// untouched and no temporary file is left behind.
DWORD replaceFile(const std::string& path, std::string_view text, int* keptFd = nullptr);

// Removes temporary files that an earlier replaceFile of path left behind
// when its process died. Call only while holding the lock that every writer
// of path takes, so no live writer's file is removed.
void removeAbandonedTempFiles(const std::string& path);

// An exclusive advisory lock (flock) on a lock file, held for the lifetime
// of the object. Locks taken by different objects exclude each other, also
// within one process.
class FileLock {
 public:
  explicit FileLock(const std::string& lockPath);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // ERROR_SUCCESS when the lock is held.
  DWORD result() const { return result_; }

 private:
  int fd_ = -1;
  DWORD result_;
};

}  // namespace win
