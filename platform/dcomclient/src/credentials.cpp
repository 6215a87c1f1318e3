#include "dcomclient/credentials.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace dcom::client {
namespace {

std::string_view trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::vector<std::string_view> split(std::string_view line) {
  std::vector<std::string_view> fields;
  for (;;) {
    size_t colon = line.find(':');
    fields.push_back(trim(line.substr(0, colon)));
    if (colon == std::string_view::npos) return fields;
    line.remove_prefix(colon + 1);
  }
}

}  // namespace

std::optional<MachineCredentials> MachineCredentials::parse(std::string_view text, std::string* error) {
  std::vector<MachineCredential> entries;
  int lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    size_t end = text.find('\n');
    std::string_view line = trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.empty() || line.front() == '#') continue;
    auto fields = split(line);
    MachineCredential entry;
    bool valid = (fields.size() == 4 || fields.size() == 5) && !fields[0].empty() && !fields[1].empty() &&
                 fields[3].size() == 32;
    for (size_t i = 0; valid && i < 16; ++i) {
      int high = hexValue(fields[3][2 * i]);
      int low = hexValue(fields[3][2 * i + 1]);
      if (high < 0 || low < 0) valid = false;
      else entry.ntHash[i] = static_cast<uint8_t>(high * 16 + low);
    }
    if (valid && fields.size() == 5) {
      if (fields[4] == "privacy") entry.level = rpc::AuthLevel::PacketPrivacy;
      else if (fields[4] != "integrity") valid = false;
    }
    if (!valid) {
      if (error) {
        *error = "line " + std::to_string(lineNumber) + ": expected machine:user:domain:<32 hex digits>[:privacy]";
      }
      return std::nullopt;
    }
    entry.machine = std::string(fields[0]);
    entry.user = std::string(fields[1]);
    entry.domain = std::string(fields[2]);
    entries.push_back(std::move(entry));
  }
  return MachineCredentials(std::move(entries));
}

std::optional<MachineCredentials> MachineCredentials::load(const std::string& path, std::string* error) {
  auto fail = [&](const std::string& why) -> std::optional<MachineCredentials> {
    if (error) *error = path + ": " + why;
    return std::nullopt;
  };
  // Opened once and checked through the descriptor, so that the file
  // checked is the file read.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) {
    if (errno == ENOENT) return MachineCredentials();
    return fail(std::strerror(errno));
  }
  struct stat info {};
  std::string why;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    why = "not a regular file";
  } else if (info.st_mode & (S_IRWXG | S_IRWXO)) {
    why = "refused, others may read or change it (chmod 600 it)";
  } else if (info.st_uid != ::geteuid()) {
    why = "refused, it belongs to another user";
  }
  std::string text;
  if (why.empty()) {
    char buffer[4096];
    ssize_t count;
    while ((count = ::read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(count));
    if (count < 0) why = std::strerror(errno);
  }
  ::close(fd);
  if (!why.empty()) return fail(why);
  std::string parseError;
  auto parsed = parse(text, &parseError);
  if (!parsed) return fail(parseError);
  return parsed;
}

std::string MachineCredentials::defaultPath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  // The XDG rules ignore a relative XDG_CONFIG_HOME.
  if (config && config[0] == '/') return std::string(config) + "/Velmora/dcom-machines";
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + "/.config/Velmora/dcom-machines";
}

const MachineCredential* MachineCredentials::find(std::string_view machine) const {
  const MachineCredential* fallback = nullptr;
  for (const auto& entry : entries_) {
    if (entry.machine.size() == machine.size() &&
        ::strncasecmp(entry.machine.data(), machine.data(), machine.size()) == 0) {
      return &entry;
    }
    if (entry.machine == "*" && !fallback) fallback = &entry;
  }
  return fallback;
}

}  // namespace dcom::client
