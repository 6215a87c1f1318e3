#pragma once

// How a user (or a test) makes a running server ask its clients to
// disconnect: by writing the shutdown request file. Every server polls the
// file; when it appears or changes, each server calls
// IOPCShutdown::ShutdownRequest of its clients once, with the file's text
// (UTF-8, up to 4096 bytes, trailing line breaks removed) as the reason, or
// with no reason (a null string) when the file is empty:
//
//   echo "Maintenance at noon" > "$file"    # with a reason
//   : > "$file"                            # without one
//
// The file is named by the environment variable VELMORA_SAMPLE_SHUTDOWN_FILE;
// by default it is $XDG_RUNTIME_DIR/pelkor-datasample.shutdown, or
// /tmp/pelkor-datasample-<user id>.shutdown without XDG_RUNTIME_DIR. A file
// that is already there when a server starts is no request; removing the
// file is none either.

#include <optional>
#include <string>
#include <sys/stat.h>

namespace sample {

struct ShutdownRequest {
  bool hasReason = false;
  std::u16string reason;
};

class ShutdownRequestWatcher {
 public:
  // An empty path means the default (see above).
  explicit ShutdownRequestWatcher(std::string path);

  // A request when the file appeared or changed since the last poll.
  std::optional<ShutdownRequest> poll();

  const std::string& path() const { return path_; }
  static std::string defaultPath();

 private:
  struct FileState {
    bool exists = false;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};
    bool operator==(const FileState& other) const;
  };
  FileState stateNow() const;

  std::string path_;
  FileState last_;
};

}  // namespace sample
