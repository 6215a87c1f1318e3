#include "ntlm/credentials.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "utf16.h"

namespace ntlm {
namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

bool sameName(std::string_view a, std::string_view b) {
  return detail::equalsIgnoringCase(detail::utf8ToUtf16(a), detail::utf8ToUtf16(b));
}

}  // namespace

std::optional<CredentialStore> CredentialStore::parse(std::string_view text, std::string* error) {
  std::vector<Credential> credentials;
  int lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    size_t end = text.find('\n');
    std::string_view line = trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.empty() || line.front() == '#') continue;
    size_t first = line.find(':');
    size_t second = first == std::string_view::npos ? first : line.find(':', first + 1);
    std::string_view hash = second == std::string_view::npos ? std::string_view() : line.substr(second + 1);
    Credential credential;
    bool valid = second != std::string_view::npos && first > 0 && hash.size() == 32;
    for (size_t i = 0; valid && i < 16; ++i) {
      int high = hexValue(hash[2 * i]);
      int low = hexValue(hash[2 * i + 1]);
      if (high < 0 || low < 0) valid = false;
      else credential.ntHash[i] = static_cast<uint8_t>(high * 16 + low);
    }
    if (!valid) {
      if (error) *error = "line " + std::to_string(lineNumber) + ": expected user:domain:<32 hex digits>";
      return std::nullopt;
    }
    credential.user = std::string(line.substr(0, first));
    credential.domain = std::string(line.substr(first + 1, second - first - 1));
    credentials.push_back(std::move(credential));
  }
  return CredentialStore(std::move(credentials));
}

CredentialStore::Loaded CredentialStore::load(const std::string& path) {
  // Opened once and checked through the descriptor, so that the file checked
  // is the file read.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return {std::nullopt, path + ": " + std::strerror(errno)};
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return {std::nullopt, path + ": not a regular file"};
  }
  if (info.st_mode & (S_IRWXG | S_IRWXO)) {
    ::close(fd);
    return {std::nullopt, path + ": refused, others may read or change it (chmod 600 it)"};
  }
  if (info.st_uid != ::geteuid() && info.st_uid != 0) {
    ::close(fd);
    return {std::nullopt, path + ": refused, it belongs to another user"};
  }
  std::string text;
  char buffer[4096];
  ssize_t count;
  while ((count = ::read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(count));
  ::close(fd);
  if (count < 0) return {std::nullopt, path + ": " + std::strerror(errno)};
  std::string error;
  auto store = parse(text, &error);
  if (!store) return {std::nullopt, path + ": " + error};
  return {std::move(store), {}};
}

const Credential* CredentialStore::find(std::u16string_view user, std::u16string_view domain) const {
  for (const auto& credential : credentials_) {
    if (!detail::equalsIgnoringCase(detail::utf8ToUtf16(credential.user), user)) continue;
    if (credential.domain.empty() || detail::equalsIgnoringCase(detail::utf8ToUtf16(credential.domain), domain)) {
      return &credential;
    }
  }
  return nullptr;
}

void CredentialStore::put(Credential credential) {
  for (auto& existing : credentials_) {
    if (sameName(existing.user, credential.user) && sameName(existing.domain, credential.domain)) {
      existing.ntHash = credential.ntHash;
      return;
    }
  }
  credentials_.push_back(std::move(credential));
}

bool CredentialStore::remove(std::string_view user, std::string_view domain) {
  auto before = credentials_.size();
  std::erase_if(credentials_, [&](const Credential& c) { return sameName(c.user, user) && sameName(c.domain, domain); });
  return credentials_.size() != before;
}

std::string CredentialStore::format() const {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text = "# user:domain:NT hash (written by ntlmuser)\n";
  for (const auto& credential : credentials_) {
    text += credential.user + ":" + credential.domain + ":";
    for (uint8_t byte : credential.ntHash) {
      text.push_back(kDigits[byte >> 4]);
      text.push_back(kDigits[byte & 15]);
    }
    text.push_back('\n');
  }
  return text;
}

bool CredentialStore::save(const std::string& path, std::string* error) const {
  std::string temporary = path + ".tmp";
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    if (error) *error = temporary + ": " + std::strerror(errno);
    return false;
  }
  // An existing temporary file keeps its mode through O_CREAT; set it again.
  ::fchmod(fd, 0600);
  std::string text = format();
  size_t written = 0;
  while (written < text.size()) {
    ssize_t count = ::write(fd, text.data() + written, text.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;
    written += static_cast<size_t>(count);
  }
  bool ok = written == text.size() && ::fsync(fd) == 0;
  ::close(fd);
  if (!ok || ::rename(temporary.c_str(), path.c_str()) != 0) {
    if (error) *error = path + ": " + std::strerror(errno);
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace ntlm
