// Version resources read from ELF files: the block's layout, the three
// calls on files with and without a translation table, without the section,
// and on files that are no ELF file or carry a broken block; and the
// program's own file name.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "version/version_block.h"
#include "win/lasterror.h"
#include "win/module.h"
#include "win/testing/version_file.h"
#include "win/version.h"
#include "win/winerror.h"

namespace {

using win::version::BlockContents;

BlockContents sampleContents(bool withTranslation) {
  BlockContents contents;
  const WORD version[4] = {2, 1, 5, 7};
  std::copy(version, version + 4, contents.fileVersion);
  std::copy(version, version + 4, contents.productVersion);
  contents.stringTables.push_back({0x0409,
                                   0x04B0,
                                   {{"FileDescription", "Quillon"},
                                    {"CompanyName", "Velmora"},
                                    {"LegalCopyright", "Copyright \xc2\xa9 Velmora"},
                                    {"Comments", ""}}});
  if (withTranslation) contents.translations = {{0x0409, 0x04B0}, {0x0407, 0x04E4}};
  return contents;
}

class VersionTest : public ::testing::Test {
 protected:
  std::string file(const char* name) { return ::testing::TempDir() + "velmora_version_" + name; }

  std::vector<BYTE> load(const std::string& path) {
    DWORD handle = 1;
    SetLastError(ERROR_INVALID_FUNCTION);
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    std::vector<BYTE> buffer(size);
    if (size != 0) {
      EXPECT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, buffer.data()));
    }
    return buffer;
  }

  static std::optional<std::string> text(const std::vector<BYTE>& buffer, const char* path) {
    LPVOID value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(buffer.data(), path, &value, &length)) return std::nullopt;
    const auto* chars = static_cast<const char*>(value);
    EXPECT_EQ(length, std::strlen(chars) + 1);
    return std::string(chars);
  }
};

// The root node is laid out as every reader of version resources expects.
TEST_F(VersionTest, BlockStartsWithTheStandardRootNode) {
  const std::vector<BYTE> block = win::version::buildBlock(sampleContents(true));
  ASSERT_GE(block.size(), 92u);
  EXPECT_EQ(block[0] | block[1] << 8, static_cast<int>(block.size()));  // wLength
  EXPECT_EQ(block[2] | block[3] << 8, 52);                               // wValueLength
  EXPECT_EQ(block[4] | block[5] << 8, 0);                                // wType: binary
  const char key[] = "VS_VERSION_INFO";
  for (std::size_t i = 0; i <= std::strlen(key); ++i) {
    EXPECT_EQ(block[6 + 2 * i], static_cast<BYTE>(key[i]));
    EXPECT_EQ(block[7 + 2 * i], 0);
  }
  // The key ends at 38; the value starts at the next 32-bit boundary.
  EXPECT_EQ(std::vector<BYTE>(block.begin() + 40, block.begin() + 56),
            (std::vector<BYTE>{0xBD, 0x04, 0xEF, 0xFE, 0, 0, 1, 0, 1, 0, 2, 0, 7, 0, 5, 0}));
}

TEST_F(VersionTest, ReadsFixedInfoTranslationsAndStrings) {
  const std::string path = file("full");
  ASSERT_TRUE(win::testing::writeElfFile(path, win::version::buildBlock(sampleContents(true))));
  const std::vector<BYTE> buffer = load(path);
  ASSERT_FALSE(buffer.empty());

  LPVOID value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(buffer.data(), "\\", &value, &length));
  ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  VS_FIXEDFILEINFO fixed;
  std::memcpy(&fixed, value, sizeof fixed);
  EXPECT_EQ(fixed.dwSignature, VS_FFI_SIGNATURE);
  EXPECT_EQ(fixed.dwFileVersionMS, 0x00020001u);
  EXPECT_EQ(fixed.dwFileVersionLS, 0x00050007u);

  ASSERT_TRUE(VerQueryValueA(buffer.data(), "\\VarFileInfo\\Translation", &value, &length));
  ASSERT_EQ(length, 8u);
  const auto* pairs = static_cast<const BYTE*>(value);
  EXPECT_EQ(pairs[0] | pairs[1] << 8, 0x0409);
  EXPECT_EQ(pairs[2] | pairs[3] << 8, 0x04B0);
  EXPECT_EQ(pairs[4] | pairs[5] << 8, 0x0407);

  // The table is stored as "040904B0"; names compare without case.
  EXPECT_EQ(text(buffer, "\\StringFileInfo\\040904b0\\FileDescription"), "Quillon");
  EXPECT_EQ(text(buffer, "\\StringFileInfo\\040904B0\\companyname"), "Velmora");
  EXPECT_EQ(text(buffer, "\\StringFileInfo\\040904b0\\LegalCopyright"), "Copyright \xc2\xa9 Velmora");
  EXPECT_EQ(text(buffer, "\\StringFileInfo\\040904b0\\Comments"), "");
  EXPECT_EQ(text(buffer, "\\StringFileInfo\\040904b0\\ProductName"), std::nullopt);
  EXPECT_EQ(text(buffer, "\\StringFileInfo\\000004E4\\FileDescription"), std::nullopt);
  EXPECT_EQ(text(buffer, "\\StringFileInfo\\040904b0"), std::nullopt);  // a table, not a string
}

TEST_F(VersionTest, FileWithoutTranslationTableHasNoTranslation) {
  const std::string path = file("no_table");
  ASSERT_TRUE(win::testing::writeElfFile(path, win::version::buildBlock(sampleContents(false))));
  const std::vector<BYTE> buffer = load(path);
  ASSERT_FALSE(buffer.empty());
  LPVOID value = nullptr;
  UINT length = 0;
  EXPECT_FALSE(VerQueryValueA(buffer.data(), "\\VarFileInfo\\Translation", &value, &length));
  EXPECT_EQ(text(buffer, "\\StringFileInfo\\040904b0\\FileDescription"), "Quillon");
}

TEST_F(VersionTest, FilesWithoutAUsableBlock) {
  struct Case {
    const char* name;
    std::optional<std::vector<BYTE>> section;  // nullopt: no such section
    const char* sectionName;
    DWORD error;  // of GetFileVersionInfoSizeA, which returns 0 for all
  };
  std::vector<BYTE> truncated = win::version::buildBlock(sampleContents(true));
  truncated.resize(truncated.size() / 2);
  std::vector<BYTE> badChild = win::version::buildBlock(sampleContents(true));
  badChild[92] = 0xFF;  // the first child's length runs past its parent
  const Case cases[] = {
      {"no_section", std::nullopt, VERSION_RESOURCE_SECTION, ERROR_SUCCESS},
      {"other_section", std::vector<BYTE>{1, 2, 3, 4}, ".data.other", ERROR_SUCCESS},
      {"truncated", truncated, VERSION_RESOURCE_SECTION, ERROR_INVALID_DATA},
      {"bad_child", badChild, VERSION_RESOURCE_SECTION, ERROR_INVALID_DATA},
      {"empty", std::vector<BYTE>{}, VERSION_RESOURCE_SECTION, ERROR_INVALID_DATA},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = file(c.name);
    ASSERT_TRUE(win::testing::writeElfFile(path, c.section, c.sectionName));
    SetLastError(ERROR_INVALID_FUNCTION);
    EXPECT_EQ(GetFileVersionInfoSizeA(path.c_str(), nullptr), 0u);
    EXPECT_EQ(GetLastError(), c.error);
  }

  const std::string text = file("text");
  std::ofstream(text) << "not an executable\n";
  EXPECT_EQ(GetFileVersionInfoSizeA(text.c_str(), nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));
  EXPECT_EQ(GetFileVersionInfoSizeA(file("missing").c_str(), nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(VersionTest, BufferSmallerThanTheSizeIsRefused) {
  const std::string path = file("small");
  ASSERT_TRUE(win::testing::writeElfFile(path, win::version::buildBlock(sampleContents(true))));
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), nullptr);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> buffer(size);
  EXPECT_FALSE(GetFileVersionInfoA(path.c_str(), 0, size - 1, buffer.data()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(ModuleFileName, NamesThisProgramAndCutsToTheBuffer) {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(std::string(path).size(), length);
  EXPECT_NE(std::string(path).find("system_version_test"), std::string::npos);

  char shortBuffer[5] = {'x', 'x', 'x', 'x', 'x'};
  EXPECT_EQ(GetModuleFileNameA(nullptr, shortBuffer, sizeof shortBuffer), sizeof shortBuffer);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(std::string(shortBuffer), std::string(path, 4));
}

}  // namespace
