// Registered clipboard formats: one process-wide table from names to numbers.
// Names compare without regard to ASCII letter case, so "OPCSTMFORMATDATA"
// and "opcstmformatdata" are one format; a name keeps the spelling it was
// first registered with.

#include "com/clipboard.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "win/stringapi.h"

namespace {

constexpr UINT kFirstRegisteredFormat = 0xC000;
constexpr UINT kLastRegisteredFormat = 0xFFFF;

std::string foldCase(const std::string& name) {
  std::string folded = name;
  std::transform(folded.begin(), folded.end(), folded.begin(),
                 [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; });
  return folded;
}

class FormatTable {
 public:
  UINT registerName(const std::string& name) {
    if (name.empty()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    try {
      std::string key = foldCase(name);
      std::lock_guard lock(mutex_);
      auto it = numbers_.find(key);
      if (it != numbers_.end()) return it->second;
      if (names_.size() > kLastRegisteredFormat - kFirstRegisteredFormat) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
      }
      const UINT number = kFirstRegisteredFormat + static_cast<UINT>(names_.size());
      names_.push_back(name);
      try {
        numbers_.emplace(std::move(key), number);
      } catch (...) {
        names_.pop_back();
        throw;
      }
      return number;
    } catch (const std::bad_alloc&) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return 0;
    }
  }

  // The registered name of format, or false for one that is not registered.
  bool nameOf(UINT format, std::string& name) {
    if (format < kFirstRegisteredFormat) return false;
    std::lock_guard lock(mutex_);
    const size_t index = format - kFirstRegisteredFormat;
    if (index >= names_.size()) return false;
    name = names_[index];
    return true;
  }

 private:
  std::mutex mutex_;
  std::unordered_map<std::string, UINT> numbers_;  // folded name -> number; guarded by mutex_
  std::vector<std::string> names_;                 // by number - 0xC000; guarded by mutex_
};

FormatTable& formatTable() {
  static FormatTable* const table = new FormatTable;  // never destroyed, like the formats themselves
  return *table;
}

bool toUtf8(LPCWSTR wide, std::string& text) {
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return false;
  text.resize(static_cast<size_t>(bytes));
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), bytes, nullptr, nullptr);
  text.pop_back();  // the terminator
  return true;
}

}  // namespace

extern "C" {

COM_API UINT RegisterClipboardFormatA(LPCSTR name) {
  if (name == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return formatTable().registerName(name);
}

COM_API UINT RegisterClipboardFormatW(LPCWSTR name) {
  std::string text;
  if (name == nullptr || !toUtf8(name, text)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return formatTable().registerName(text);
}

COM_API int GetClipboardFormatNameA(UINT format, LPSTR name, int size) {
  std::string registered;
  if (name == nullptr || size <= 0 || !formatTable().nameOf(format, registered)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const size_t length = std::min(registered.size(), static_cast<size_t>(size - 1));
  registered.copy(name, length);
  name[length] = '\0';
  return static_cast<int>(length);
}

COM_API int GetClipboardFormatNameW(UINT format, LPWSTR name, int size) {
  std::string registered;
  if (name == nullptr || size <= 0 || !formatTable().nameOf(format, registered)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const int written = MultiByteToWideChar(CP_UTF8, 0, registered.c_str(), -1, name, size);
  if (written > 0) return written - 1;
  // Too small for the whole name: convert what fits.
  std::vector<WCHAR> whole(registered.size() + 1);
  const int total =
      MultiByteToWideChar(CP_UTF8, 0, registered.c_str(), -1, whole.data(), static_cast<int>(whole.size()));
  const int length = std::min(total - 1, size - 1);
  std::copy_n(whole.data(), std::max(length, 0), name);
  name[std::max(length, 0)] = u'\0';
  return std::max(length, 0);
}

}  // extern "C"
