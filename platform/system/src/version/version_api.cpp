// GetFileVersionInfoSizeA, GetFileVersionInfoA and VerQueryValueA
// (win/version.h): the version block is read from the file's ELF section
// with libelf.
//
// The buffer that GetFileVersionInfoA fills is the block itself, followed
// by an 8-bit copy of every string of the block, because VerQueryValueA
// hands out pointers into the caller's buffer and the block keeps its
// strings in UTF-16. The copies start at the block's length rounded up to
// 32 bits, behind a small table: a tag, the number of strings, and for each
// the string node's offset in the block, the copy's offset and its length
// in characters with the terminator.

#include <fcntl.h>
#include <gelf.h>
#include <libelf.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "common/errno_map.h"
#include "common/utf.h"
#include "version/version_block.h"
#include "win/lasterror.h"
#include "win/version.h"
#include "win/winerror.h"

namespace {

using win::version::Node;

constexpr DWORD kCopiesTag = 0x38544156;  // "VAT8"
constexpr std::size_t align4(std::size_t n) { return (n + 3) & ~std::size_t{3}; }

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

class ElfHandle {
 public:
  explicit ElfHandle(Elf* elf) : elf_(elf) {}
  ~ElfHandle() {
    if (elf_ != nullptr) elf_end(elf_);
  }
  ElfHandle(const ElfHandle&) = delete;
  ElfHandle& operator=(const ElfHandle&) = delete;
  Elf* get() const { return elf_; }

 private:
  Elf* elf_;
};

// The version section's bytes (empty when the file has none), or a Win32
// error code.
DWORD readVersionSection(LPCSTR fileName, std::vector<BYTE>& section) {
  section.clear();
  if (fileName == nullptr || *fileName == '\0') return ERROR_INVALID_PARAMETER;
  const FileDescriptor fd(::open(fileName, O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return win::win32ErrorFromErrno(errno, ERROR_FILE_NOT_FOUND);
  // elf_version must be called before any other libelf call; it only
  // records the version the caller understands.
  if (elf_version(EV_CURRENT) == EV_NONE) return ERROR_NOT_SUPPORTED;
  const ElfHandle elf(elf_begin(fd.get(), ELF_C_READ, nullptr));
  if (elf.get() == nullptr || elf_kind(elf.get()) != ELF_K_ELF) return ERROR_BAD_EXE_FORMAT;
  std::size_t namesIndex = 0;
  if (elf_getshdrstrndx(elf.get(), &namesIndex) != 0) return ERROR_BAD_EXE_FORMAT;
  for (Elf_Scn* scn = elf_nextscn(elf.get(), nullptr); scn != nullptr; scn = elf_nextscn(elf.get(), scn)) {
    GElf_Shdr header;
    if (gelf_getshdr(scn, &header) == nullptr) return ERROR_BAD_EXE_FORMAT;
    const char* name = elf_strptr(elf.get(), namesIndex, header.sh_name);
    if (name == nullptr || std::strcmp(name, VERSION_RESOURCE_SECTION) != 0) continue;
    if (header.sh_type == SHT_NOBITS) return ERROR_INVALID_DATA;
    const Elf_Data* data = elf_rawdata(scn, nullptr);
    if (data == nullptr || data->d_buf == nullptr) return ERROR_INVALID_DATA;
    const auto* bytes = static_cast<const BYTE*>(data->d_buf);
    section.assign(bytes, bytes + data->d_size);
    return section.empty() ? ERROR_INVALID_DATA : ERROR_SUCCESS;
  }
  return ERROR_SUCCESS;
}

void putDword(std::vector<BYTE>& out, DWORD d) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<BYTE>(d >> (8 * i)));
}

DWORD getDword(const BYTE* p) {
  return static_cast<DWORD>(p[0]) | static_cast<DWORD>(p[1]) << 8 | static_cast<DWORD>(p[2]) << 16 |
         static_cast<DWORD>(p[3]) << 24;
}

// The whole buffer for a file: the block (cut to its root's length) and the
// 8-bit copies of its strings. ERROR_SUCCESS with an empty buffer when the
// file has no version section.
DWORD versionBuffer(LPCSTR fileName, std::vector<BYTE>& buffer) {
  std::vector<BYTE> section;
  const DWORD error = readVersionSection(fileName, section);
  buffer.clear();
  if (error != ERROR_SUCCESS || section.empty()) return error;
  const auto root = win::version::readRoot(section.data(), section.size());
  if (!root) return ERROR_INVALID_DATA;

  buffer.assign(section.begin(), section.begin() + static_cast<std::ptrdiff_t>(root->length));
  buffer.resize(align4(buffer.size()), 0);
  const std::vector<Node> strings = win::version::textNodes(buffer.data(), *root);
  std::vector<std::string> copies;
  for (const Node& node : strings) {
    std::u16string wide;
    for (std::size_t at = node.valueOffset; at + 1 < node.valueOffset + node.valueBytes; at += 2) {
      const auto c = static_cast<char16_t>(buffer[at] | buffer[at + 1] << 8);
      if (c == 0) break;
      wide.push_back(c);
    }
    copies.push_back(win::utf16ToUtf8(wide));
  }
  const std::size_t tableStart = buffer.size();
  std::size_t textAt = tableStart + 8 + 12 * strings.size();
  putDword(buffer, kCopiesTag);
  putDword(buffer, static_cast<DWORD>(strings.size()));
  for (std::size_t i = 0; i < strings.size(); ++i) {
    putDword(buffer, static_cast<DWORD>(strings[i].offset));
    putDword(buffer, static_cast<DWORD>(textAt));
    putDword(buffer, static_cast<DWORD>(copies[i].size() + 1));
    textAt += copies[i].size() + 1;
  }
  for (const std::string& copy : copies) buffer.insert(buffer.end(), copy.c_str(), copy.c_str() + copy.size() + 1);
  return ERROR_SUCCESS;
}

}  // namespace

extern "C" {

WIN_API DWORD GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle) {
  if (handle != nullptr) *handle = 0;
  std::vector<BYTE> buffer;
  const DWORD error = versionBuffer(fileName, buffer);
  SetLastError(error);
  return error == ERROR_SUCCESS ? static_cast<DWORD>(buffer.size()) : 0;
}

WIN_API BOOL GetFileVersionInfoA(LPCSTR fileName, DWORD /*handle*/, DWORD size, LPVOID data) {
  if (data == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::vector<BYTE> buffer;
  DWORD error = versionBuffer(fileName, buffer);
  if (error == ERROR_SUCCESS && buffer.empty()) error = ERROR_RESOURCE_TYPE_NOT_FOUND;
  if (error == ERROR_SUCCESS && size < buffer.size()) error = ERROR_INSUFFICIENT_BUFFER;
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return FALSE;
  }
  std::memcpy(data, buffer.data(), buffer.size());
  return TRUE;
}

WIN_API BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* value, PUINT length) {
  if (block == nullptr || subBlock == nullptr || value == nullptr || length == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // The buffer came from GetFileVersionInfoA, so its root's length is the
  // block's extent.
  const auto* bytes = static_cast<const BYTE*>(block);
  const std::size_t blockLength = static_cast<std::size_t>(bytes[0] | bytes[1] << 8);
  const auto root = win::version::readRoot(bytes, blockLength);
  const auto node = root ? win::version::findNode(bytes, *root, subBlock) : std::nullopt;
  if (!node) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return FALSE;
  }
  if (!node->text) {
    if (node->valueBytes == 0) {
      SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
      return FALSE;
    }
    *value = const_cast<BYTE*>(bytes + node->valueOffset);
    *length = static_cast<UINT>(node->valueBytes);
    return TRUE;
  }
  const BYTE* table = bytes + align4(blockLength);
  if (getDword(table) == kCopiesTag) {
    const DWORD count = getDword(table + 4);
    for (DWORD i = 0; i < count; ++i) {
      const BYTE* entry = table + 8 + 12 * i;
      if (getDword(entry) != node->offset) continue;
      *value = const_cast<BYTE*>(bytes + getDword(entry + 4));
      *length = getDword(entry + 8);
      return TRUE;
    }
  }
  // A string table or other container has no text of its own.
  SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
  return FALSE;
}

}  // extern "C"
