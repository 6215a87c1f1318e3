#include "shutdown_request.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "text.h"

namespace sample {
namespace {
constexpr size_t kMaximumReasonBytes = 4096;
}

bool ShutdownRequestWatcher::FileState::operator==(const FileState& other) const {
  return exists == other.exists && inode == other.inode && size == other.size &&
         modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec &&
         changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
}

std::string ShutdownRequestWatcher::defaultPath() {
  if (const char* file = std::getenv("VELMORA_SAMPLE_SHUTDOWN_FILE"); file != nullptr && *file != '\0') {
    return file;
  }
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime == '/') {
    return std::string(runtime) + "/pelkor-datasample.shutdown";
  }
  return "/tmp/pelkor-datasample-" + std::to_string(getuid()) + ".shutdown";
}

ShutdownRequestWatcher::ShutdownRequestWatcher(std::string path)
    : path_(path.empty() ? defaultPath() : std::move(path)), last_(stateNow()) {}

ShutdownRequestWatcher::FileState ShutdownRequestWatcher::stateNow() const {
  FileState state;
  struct stat info {};
  if (stat(path_.c_str(), &info) != 0) return state;
  state.exists = true;
  state.inode = info.st_ino;
  state.size = info.st_size;
  state.modified = info.st_mtim;
  state.changed = info.st_ctim;
  return state;
}

std::optional<ShutdownRequest> ShutdownRequestWatcher::poll() {
  const FileState now = stateNow();
  if (now == last_) return std::nullopt;
  last_ = now;
  if (!now.exists) return std::nullopt;
  std::ifstream file(path_, std::ios::binary);
  std::string text(kMaximumReasonBytes, '\0');
  file.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<size_t>(file.gcount()));
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  ShutdownRequest request;
  request.hasReason = !text.empty();
  request.reason = fromUtf8(text);
  return request;
}

}  // namespace sample
