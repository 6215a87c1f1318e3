// regtool: the registry stores from a shell.
//
//   regtool [--system] path                print the path of the store written
//   regtool [--system] list [KEY]          print which stores hold KEY, its values and subkeys
//   regtool [--system] export FILE [KEY]   write the registry, or KEY's subtree, to FILE
//   regtool [--system] import FILE         merge FILE into the store written
//   regtool [--system] check               list lines of that store that cannot be read
//
// Reads see the user's store laid over the machine-wide one; writes and
// checks go to the user's store, or with --system to the machine-wide one.
// FILE "-" is standard input or output. KEY is a path below
// HKEY_CLASSES_ROOT, with or without a leading "HKEY_CLASSES_ROOT\" or
// "HKCR\". Exit status: 0 success, 1 failure, 2 wrong usage.

#include <strings.h>

#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "velmora/version.h"
#include "win/message.h"
#include "win/registry.h"
#include "win/registry_store.h"
#include "win/winerror.h"

namespace {

constexpr int kFailure = 1;
constexpr int kUsage = 2;

constexpr const char* kUsageText =
    "usage: regtool [--system] path\n"
    "       regtool [--system] list [KEY]\n"
    "       regtool [--system] export FILE [KEY]\n"
    "       regtool [--system] import FILE\n"
    "       regtool [--system] check\n"
    "       regtool --help | --version\n"
    "FILE \"-\" is standard input or output; KEY is a path below HKEY_CLASSES_ROOT.\n"
    "Reads merge the user's store over the machine-wide one; writes and checks go to\n"
    "the user's store, or with --system to the machine-wide one.\n";

int usage() {
  std::cerr << kUsageText;
  return kUsage;
}

// The store a write or check goes to, for messages.
std::string writtenStorePath() { return win::registryStorePath(win::registryWriteStore()); }

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
    printProblems(problems, writtenStorePath());
  }
}

int list(const std::string& keyPath) {
  HKEY key = nullptr;
  LONG result = RegOpenKeyExA(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, KEY_READ, &key);
  if (result != ERROR_SUCCESS) return fail("cannot open \"" + keyPath + "\"", result);
  // Every store holds the root; below it, say where the key comes from.
  win::RegistryKeyOrigin origin;
  if (!keyPath.empty() && win::registryKeyOrigin(keyPath.c_str(), origin) == ERROR_SUCCESS) {
    std::cout << "; from: "
              << (origin.user && origin.system ? "user store over machine store"
                  : origin.user                ? "user store"
                                               : "machine store")
              << "\n";
  }
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
  if (result != ERROR_SUCCESS) return fail("cannot read " + writtenStorePath(), result);
  printProblems(problems, writtenStorePath());
  return problems.empty() ? 0 : kFailure;
}

}  // namespace

int main(int argc, char** argv) {
  if (velmora::answerStandardOptions(argc, argv, "regtool", kUsageText)) return 0;
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args[0] == "--system") {
    win::setRegistryWriteStore(win::RegistryStore::System);
    args.erase(args.begin());
  }
  if (args.empty()) return usage();
  const std::string& command = args[0];
  if (command == "path" && args.size() == 1) {
    const std::string path = writtenStorePath();
    if (path.empty()) return fail("no path for the store", ERROR_PATH_NOT_FOUND);
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
