// regtool: the registry store from a shell.
//
//   regtool path                print the store's path
//   regtool list [KEY]          print KEY's values and subkeys
//   regtool export FILE [KEY]   write the registry, or KEY's subtree, to FILE
//   regtool import FILE         merge FILE into the registry
//   regtool check               list lines of the store that cannot be read
//
// FILE "-" is standard input or output. KEY is a path below
// HKEY_CLASSES_ROOT, with or without a leading "HKEY_CLASSES_ROOT\" or
// "HKCR\". Exit status: 0 success, 1 failure, 2 wrong usage.

#include <strings.h>

#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "win/message.h"
#include "win/registry.h"
#include "win/registry_store.h"
#include "win/winerror.h"

namespace {

constexpr int kFailure = 1;
constexpr int kUsage = 2;

int usage() {
  std::cerr << "usage: regtool path\n"
               "       regtool list [KEY]\n"
               "       regtool export FILE [KEY]\n"
               "       regtool import FILE\n"
               "       regtool check\n"
               "FILE \"-\" is standard input or output; KEY is a path below HKEY_CLASSES_ROOT.\n";
  return kUsage;
}

// Reports a failure with the system's text for its code.
int fail(const std::string& what, LONG code) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                          FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_MAX_WIDTH_MASK,
                                      nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<LPSTR>(&text), 0,
                                      nullptr);
  std::cerr << "regtool: " << what << ": ";
  if (length > 0) {
    std::cerr << std::string(text, length) << "\n";
  } else {
    std::cerr << "error " << code << "\n";
  }
  LocalFree(text);
  return kFailure;
}

std::string keyBelowRoot(std::string key) {
  for (const std::string prefix : {"HKEY_CLASSES_ROOT", "HKCR"}) {
    if (key.size() >= prefix.size() && strncasecmp(key.c_str(), prefix.c_str(), prefix.size()) == 0 &&
        (key.size() == prefix.size() || key[prefix.size()] == '\\')) {
      key.erase(0, prefix.size());
      if (!key.empty()) key.erase(0, 1);
      break;
    }
  }
  return key;
}

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

void printProblems(const std::vector<win::RegistryProblem>& problems, const std::string& file) {
  for (const win::RegistryProblem& problem : problems) {
    std::cerr << file << ":" << problem.line << ": " << problem.message << "\n";
  }
}

// Reports a damaged store on standard error without failing the command:
// reading a damaged store still gives every sound key.
void warnIfDamaged() {
  std::vector<win::RegistryProblem> problems;
  if (win::checkRegistryStore(problems) == ERROR_SUCCESS && !problems.empty()) {
    std::cerr << "regtool: warning: the store has unreadable lines and cannot be written:\n";
    printProblems(problems, win::registryStorePath());
  }
}

int list(const std::string& keyPath) {
  HKEY key = nullptr;
  LONG result = RegOpenKeyExA(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, KEY_READ, &key);
  if (result != ERROR_SUCCESS) return fail("cannot open \"" + keyPath + "\"", result);
  std::string name(16384, '\0');
  std::string data;
  for (DWORD index = 0;; ++index) {
    DWORD nameSize = static_cast<DWORD>(name.size());
    DWORD dataSize = 0;
    result = RegEnumValueA(key, index, name.data(), &nameSize, nullptr, nullptr, nullptr, &dataSize);
    if (result == ERROR_NO_MORE_ITEMS) break;
    data.assign(dataSize, '\0');
    nameSize = static_cast<DWORD>(name.size());
    if (result == ERROR_SUCCESS) {
      result = RegEnumValueA(key, index, name.data(), &nameSize, nullptr, nullptr,
                             reinterpret_cast<LPBYTE>(data.data()), &dataSize);
    }
    if (result != ERROR_SUCCESS) {
      RegCloseKey(key);
      return fail("cannot read a value", result);
    }
    const std::string valueName(name.c_str(), nameSize);
    std::cout << (valueName.empty() ? "@" : quoted(valueName)) << "=" << quoted(data.c_str()) << "\n";
  }
  for (DWORD index = 0;; ++index) {
    result = RegEnumKeyA(key, index, name.data(), static_cast<DWORD>(name.size()));
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS) {
      RegCloseKey(key);
      return fail("cannot enumerate the subkeys", result);
    }
    std::cout << name.c_str() << "\\\n";
  }
  RegCloseKey(key);
  return 0;
}

int exportTo(const std::string& file, const std::string& keyPath) {
  LONG result;
  if (file == "-") {
    std::string text;
    result = win::exportRegistryText(keyPath.c_str(), text);
    if (result == ERROR_SUCCESS) std::cout << text;
  } else {
    result = win::exportRegistryFile(file, keyPath.c_str());
  }
  if (result != ERROR_SUCCESS) return fail("cannot export \"" + keyPath + "\" to " + file, result);
  return 0;
}

int importFrom(const std::string& file) {
  std::vector<win::RegistryProblem> problems;
  LONG result;
  if (file == "-") {
    const std::string text(std::istreambuf_iterator<char>(std::cin), {});
    result = win::importRegistryText(text, &problems);
  } else {
    result = win::importRegistryFile(file, &problems);
  }
  if (result == ERROR_INVALID_DATA) {
    printProblems(problems, file);
    std::cerr << "regtool: nothing imported: " << file << " has unreadable lines\n";
    return kFailure;
  }
  if (result == ERROR_REGISTRY_CORRUPT) {
    warnIfDamaged();
    return fail("nothing imported", result);
  }
  if (result != ERROR_SUCCESS) return fail("cannot import " + file, result);
  return 0;
}

int check() {
  std::vector<win::RegistryProblem> problems;
  const LONG result = win::checkRegistryStore(problems);
  if (result != ERROR_SUCCESS) return fail("cannot read " + win::registryStorePath(), result);
  printProblems(problems, win::registryStorePath());
  return problems.empty() ? 0 : kFailure;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return usage();
  const std::string& command = args[0];
  if (command == "path" && args.size() == 1) {
    const std::string path = win::registryStorePath();
    if (path.empty()) return fail("no home folder for the store", ERROR_PATH_NOT_FOUND);
    std::cout << path << "\n";
    return 0;
  }
  if (command == "list" && args.size() <= 2) {
    warnIfDamaged();
    return list(keyBelowRoot(args.size() == 2 ? args[1] : ""));
  }
  if (command == "export" && (args.size() == 2 || args.size() == 3)) {
    warnIfDamaged();
    return exportTo(args[1], keyBelowRoot(args.size() == 3 ? args[2] : ""));
  }
  if (command == "import" && args.size() == 2) return importFrom(args[1]);
  if (command == "check" && args.size() == 1) return check();
  return usage();
}
