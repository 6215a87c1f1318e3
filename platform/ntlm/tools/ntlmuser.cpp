// ntlmuser FILE add USER [DOMAIN] | remove USER [DOMAIN] | list
// Maintains the credentials file of the DCOM service. The password is read
// from the standard input (without echo on a terminal) and only its NT hash
// is stored.
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <string>

#include "ntlm/credentials.h"

namespace {

int usage() {
  std::cerr << "usage: ntlmuser FILE add USER [DOMAIN]    (password from standard input)\n"
               "       ntlmuser FILE remove USER [DOMAIN]\n"
               "       ntlmuser FILE list\n"
               "An empty DOMAIN accepts the user from any domain.\n";
  return 2;
}

std::string readPassword() {
  bool terminal = ::isatty(STDIN_FILENO);
  termios saved{};
  if (terminal) {
    std::cerr << "Password: " << std::flush;
    ::tcgetattr(STDIN_FILENO, &saved);
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    ::tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
  }
  std::string password;
  std::getline(std::cin, password);
  if (terminal) {
    ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    std::cerr << "\n";
  }
  if (!password.empty() && password.back() == '\r') password.pop_back();
  return password;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return usage();
  std::string path = argv[1];
  std::string command = argv[2];
  if ((command == "add" || command == "remove") ? (argc < 4 || argc > 5) : (command != "list" || argc != 3)) {
    return usage();
  }

  ntlm::CredentialStore store;
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) {
    auto loaded = ntlm::CredentialStore::load(path);
    if (!loaded.store) {
      std::cerr << "ntlmuser: " << loaded.error << "\n";
      return 1;
    }
    store = std::move(*loaded.store);
  } else if (errno != ENOENT || command != "add") {
    std::perror(path.c_str());
    return 1;
  }

  if (command == "list") {
    for (const auto& credential : store.credentials()) {
      std::cout << credential.user << (credential.domain.empty() ? "" : " (" + credential.domain + ")") << "\n";
    }
    return 0;
  }

  std::string user = argv[3];
  std::string domain = argc == 5 ? argv[4] : "";
  if (user.find(':') != std::string::npos || domain.find(':') != std::string::npos || user.empty()) {
    std::cerr << "ntlmuser: names must be non-empty and must not contain ':'\n";
    return 1;
  }
  if (command == "add") {
    std::string password = readPassword();
    if (password.empty()) {
      std::cerr << "ntlmuser: empty password refused\n";
      return 1;
    }
    store.put({user, domain, ntlm::ntHash(password)});
  } else if (!store.remove(user, domain)) {
    std::cerr << "ntlmuser: no such user\n";
    return 1;
  }
  std::string error;
  if (!store.save(path, &error)) {
    std::cerr << "ntlmuser: " << error << "\n";
    return 1;
  }
  return 0;
}
