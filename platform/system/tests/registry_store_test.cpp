#include "win/registry_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scratch_registry.h"
#include "win/registry.h"
#include "win/winerror.h"

namespace {

using RegistryStoreTest = ScratchRegistry;

std::string valueOf(const char* path, const char* name) {
  HKEY key;
  if (RegOpenKeyA(HKEY_CLASSES_ROOT, path, &key) != ERROR_SUCCESS) return "<no key>";
  char data[512];
  DWORD size = sizeof data;
  const LONG result = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<LPBYTE>(data), &size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS ? std::string(data) : "<no value>";
}

std::string exported(const char* keyPath = nullptr) {
  std::string text;
  const LONG result = win::exportRegistryText(keyPath, text);
  return result == ERROR_SUCCESS ? text : "error " + std::to_string(result);
}

TEST_F(RegistryStoreTest, ImportMergesLikeThePlatformTool) {
  ASSERT_EQ(win::importRegistryText(std::string(kHeader) +
                                    "[HKEY_CLASSES_ROOT\\Keep]\n@=\"kept\"\n\"Name\"=\"old\"\n\"Gone\"=\"x\"\n"
                                    "[HKEY_CLASSES_ROOT\\Drop\\Child]\n@=\"child\"\n"),
            ERROR_SUCCESS);
  ASSERT_EQ(win::importRegistryText(std::string(kHeader) +
                                    "[HKEY_CLASSES_ROOT\\keep]\n\"NAME\"=\"new\"\n\"gone\"=-\n"
                                    "[-HKEY_CLASSES_ROOT\\Drop]\n"
                                    "[HKEY_CLASSES_ROOT\\Added]\n@=\"added\"\n"),
            ERROR_SUCCESS);
  EXPECT_EQ(exported(), std::string(kHeader) +
                            "[HKEY_CLASSES_ROOT\\Added]\n@=\"added\"\n\n"
                            "[HKEY_CLASSES_ROOT\\Keep]\n@=\"kept\"\n\"Name\"=\"new\"\n\n");
}

TEST_F(RegistryStoreTest, StringsSurviveExportAndImport) {
  const std::string cases[] = {
      "",
      "plain",
      "C:\\Program Files\\Server\\",
      "say \"hi\"",
      "\\\"",
      "\\\\server\\share",
      "ends with backslash\\",
      "two\nlines",
      "crlf\r\nline",
      "tab\there",
      "umlaut \xC3\xBC and \xE6\x97\xA5\xE6\x9C\xAC and \xF0\x9F\x98\x80",
      std::string(300, 'w') + "\n" + std::string(100, 'x'),
  };
  HKEY key;
  ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, "Strings", &key), ERROR_SUCCESS);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const std::string name = "v" + std::to_string(i);
    ASSERT_EQ(RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(cases[i].c_str()),
                             static_cast<DWORD>(cases[i].size() + 1)),
              ERROR_SUCCESS);
  }
  RegCloseKey(key);
  ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, "Strings\\Quoted \"name\\\"", REG_SZ, "x", 0), ERROR_SUCCESS);

  const std::string text = exported();
  // Through a fresh store: what was written reads back the same.
  ASSERT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "Strings"), ERROR_SUCCESS);
  ASSERT_EQ(win::importRegistryText(text), ERROR_SUCCESS);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i]);
    EXPECT_EQ(valueOf("Strings", ("v" + std::to_string(i)).c_str()), cases[i]);
  }
  EXPECT_EQ(valueOf("Strings\\Quoted \"name\\\"", nullptr), "x");
  EXPECT_EQ(exported(), text);
}

TEST_F(RegistryStoreTest, WritesTheFormatAUserExpects) {
  ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, "Pelkor.DataSample\\CLSID", REG_SZ, "{A1}", 0), ERROR_SUCCESS);
  HKEY key;
  ASSERT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, "Pelkor.DataSample", &key), ERROR_SUCCESS);
  const char path[] = "C:\\x \"y\"";
  const char lines[] = "a\nb";
  ASSERT_EQ(RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(path), sizeof path), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "Lines", 0, REG_SZ, reinterpret_cast<const BYTE*>(lines), sizeof lines),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueA(key, nullptr, REG_SZ, "Sample", 0), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(readStore(), std::string(kHeader) +
                             "[HKEY_CLASSES_ROOT\\Pelkor.DataSample]\n"
                             "@=\"Sample\"\n"
                             "\"Path\"=\"C:\\\\x \\\"y\\\"\"\n"
                             "\"Lines\"=hex(1):61,00,0a,00,62,00,00,00\n"
                             "\n"
                             "[HKEY_CLASSES_ROOT\\Pelkor.DataSample\\CLSID]\n"
                             "@=\"{A1}\"\n"
                             "\n");
  EXPECT_EQ(exported("pelkor.datasample\\clsid"),
            std::string(kHeader) + "[HKEY_CLASSES_ROOT\\Pelkor.DataSample\\CLSID]\n@=\"{A1}\"\n\n");
  EXPECT_EQ(exported("Missing"), "error " + std::to_string(ERROR_FILE_NOT_FOUND));
}

TEST_F(RegistryStoreTest, ReadsFilesOfOtherEncodingsAndLineEnds) {
  struct Case {
    const char* label;
    std::string bytes;
  } cases[] = {
      {"CRLF", "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CLASSES_ROOT\\K]\r\n@=\"v\"\r\n"},
      {"UTF-8 with BOM", "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n[HKEY_CLASSES_ROOT\\K]\n@=\"v\"\n"},
      {"REGEDIT4", "REGEDIT4\n\n[HKEY_CLASSES_ROOT\\K]\n@=\"v\"\n"},
      {"comments and blanks", std::string(kHeader) + "; a comment\n  [HKEY_CLASSES_ROOT\\K]  \n  @ = \"v\"\n"},
      {"hand-written backslash", std::string(kHeader) + "[HKEY_CLASSES_ROOT\\K]\n@=\"v\"\n\"P\"=\"C:\\Temp\"\n"},
      {"continued hex(1)", std::string(kHeader) + "[HKEY_CLASSES_ROOT\\K]\n@=hex(1):76,00,\\\n  00,00\n"},
  };
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string("Windows Registry Editor Version 5.00\r\n[HKEY_CLASSES_ROOT\\K]\r\n@=\"v\"\r\n")) {
    utf16 += c;
    utf16 += '\0';
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::vector<win::RegistryProblem> problems;
    EXPECT_EQ(win::importRegistryText(c.bytes, &problems), ERROR_SUCCESS);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(valueOf("K", nullptr), "v");
    ASSERT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "K"), ERROR_SUCCESS);
  }
  EXPECT_EQ(win::importRegistryText(utf16), ERROR_SUCCESS);
  EXPECT_EQ(valueOf("K", nullptr), "v");
  EXPECT_EQ(valueOf("K", "P"), "<no value>");
}

TEST_F(RegistryStoreTest, RefusesToImportTextWithUnreadableLines) {
  struct Case {
    std::string body;
    std::size_t line;
    std::string message;
  } cases[] = {
      {"[HKEY_CLASSES_ROOT\\K\n", 3, "not closed"},
      {"[HKEY_LOCAL_MACHINE\\Software]\n", 3, "only keys under HKEY_CLASSES_ROOT"},
      {"[HKEY_CLASSES_ROOTX\\K]\n", 3, "only keys under HKEY_CLASSES_ROOT"},
      {"[-HKEY_CLASSES_ROOT]\n", 3, "cannot be deleted"},
      {"[HKEY_CLASSES_ROOT\\a\\\\b]\n", 3, "empty name"},
      {"\"v\"=\"x\"\n", 3, "before the first key section"},
      {"[HKEY_CLASSES_ROOT\\K]\n\"v\"=dword:00000001\n", 4, "only string values"},
      {"[HKEY_CLASSES_ROOT\\K]\n\"v\"=hex:01,02,\\\n  03\n\"w\"=\"ok\"\n", 4, "only string values"},
      {"[HKEY_CLASSES_ROOT\\K]\n\"v\"=\"open\n", 4, "not closed by a double quote"},
      {"[HKEY_CLASSES_ROOT\\K]\n\"v\"=\"x\" junk\n", 4, "unexpected text"},
      {"[HKEY_CLASSES_ROOT\\K]\n\"v\" \"x\"\n", 4, "\"=\" is missing"},
      {"[HKEY_CLASSES_ROOT\\K]\n\"v\"=hex(1):zz\n", 4, "not a list of bytes"},
      {"[HKEY_CLASSES_ROOT\\K]\n\"v\"=hex(1):41\n", 4, "odd number of bytes"},
      {"[HKEY_CLASSES_ROOT\\K]\nstray text\n", 4, "not a key section or a value"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    std::vector<win::RegistryProblem> problems;
    EXPECT_EQ(win::importRegistryText(std::string(kHeader) + c.body, &problems), ERROR_INVALID_DATA);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].line, c.line);
    EXPECT_NE(problems[0].message.find(c.message), std::string::npos) << problems[0].message;
    EXPECT_EQ(exported(), kHeader) << "nothing may be imported";
  }
  std::vector<win::RegistryProblem> problems;
  EXPECT_EQ(win::importRegistryText("[HKEY_CLASSES_ROOT\\K]\n", &problems), ERROR_INVALID_DATA);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].message.find("does not start with"), std::string::npos);
  EXPECT_EQ(win::importRegistryFile(dir() + "/missing.reg"), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryStoreTest, ADamagedStoreIsReadButNeverRewritten) {
  const std::string damaged = std::string(kHeader) +
                              "[HKEY_CLASSES_ROOT\\Sound]\n@=\"fine\"\n"
                              "[HKEY_CLASSES_ROOT\\Typed]\n\"Count\"=dword:00000010\n"
                              "[HKEY_CLASSES_ROOT\\Broken\n"
                              "[HKEY_CLASSES_ROOT\\AlsoSound]\n@=\"fine too\"\n";
  writeStore(damaged);
  EXPECT_EQ(valueOf("Sound", nullptr), "fine");
  EXPECT_EQ(valueOf("AlsoSound", nullptr), "fine too");

  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, "New", &key), ERROR_REGISTRY_CORRUPT);
  EXPECT_EQ(key, nullptr);
  EXPECT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, "Sound", REG_SZ, "changed", 0), ERROR_REGISTRY_CORRUPT);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "Sound"), ERROR_REGISTRY_CORRUPT);
  EXPECT_EQ(win::importRegistryText(std::string(kHeader) + "[HKEY_CLASSES_ROOT\\X]\n"), ERROR_REGISTRY_CORRUPT);
  EXPECT_EQ(readStore(), damaged);

  std::vector<win::RegistryProblem> problems;
  ASSERT_EQ(win::checkRegistryStore(problems), ERROR_SUCCESS);
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0].line, 6u);
  EXPECT_EQ(problems[1].line, 7u);

  // Once the user mends the file, writes work again.
  writeStore(std::string(kHeader) + "[HKEY_CLASSES_ROOT\\Sound]\n@=\"fine\"\n");
  EXPECT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, "Sound", REG_SZ, "changed", 0), ERROR_SUCCESS);
  ASSERT_EQ(win::checkRegistryStore(problems), ERROR_SUCCESS);
  EXPECT_TRUE(problems.empty());
}

TEST_F(RegistryStoreTest, SurvivesGarbage) {
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 7919) % 256);
  writeStore(garbage);
  std::vector<win::RegistryProblem> problems;
  ASSERT_EQ(win::checkRegistryStore(problems), ERROR_SUCCESS);
  EXPECT_FALSE(problems.empty());
  HKEY key;
  EXPECT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, "anything", &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, "x", REG_SZ, "y", 0), ERROR_REGISTRY_CORRUPT);
  EXPECT_EQ(readStore(), garbage);
}

TEST_F(RegistryStoreTest, ExportsToAFileAndImportsItBack) {
  ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, "A\\B", REG_SZ, "b", 0), ERROR_SUCCESS);
  const std::string file = dir() + "/export.reg";
  ASSERT_EQ(win::exportRegistryFile(file, "A"), ERROR_SUCCESS);
  EXPECT_EQ(readFile(file), std::string(kHeader) + "[HKEY_CLASSES_ROOT\\A]\n\n[HKEY_CLASSES_ROOT\\A\\B]\n@=\"b\"\n\n");
  ASSERT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "A"), ERROR_SUCCESS);
  ASSERT_EQ(win::importRegistryFile(file), ERROR_SUCCESS);
  EXPECT_EQ(valueOf("A\\B", nullptr), "b");
  EXPECT_EQ(win::exportRegistryFile(dir() + "/no/such/folder.reg"), ERROR_PATH_NOT_FOUND);
}

}  // namespace
