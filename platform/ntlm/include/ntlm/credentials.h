#pragma once
// The accounts a server accepts: one line per account, "user:domain:nthash"
// with the NT hash as 32 hex digits; "#" starts a comment. An empty domain
// accepts the user from any domain. The file holds password equivalents, so
// it is refused when anyone but its owner may read or write it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ntlm/crypto.h"

namespace ntlm {

struct Credential {
  std::string user;
  std::string domain;
  Digest ntHash{};
};

class CredentialStore {
public:
  CredentialStore() = default;
  explicit CredentialStore(std::vector<Credential> credentials) : credentials_(std::move(credentials)) {}

  struct Loaded;
  // Reads the file, refusing one that others can read or write or that
  // belongs to another user than the caller (unless the caller is root).
  static Loaded load(const std::string& path);
  // Parses the text; `error` names the first bad line.
  static std::optional<CredentialStore> parse(std::string_view text, std::string* error = nullptr);

  // The account for a user name (any case) in a domain (any case).
  const Credential* find(std::u16string_view user, std::u16string_view domain) const;

  const std::vector<Credential>& credentials() const { return credentials_; }
  // Adds the account or replaces the hash of an existing one.
  void put(Credential credential);
  bool remove(std::string_view user, std::string_view domain);
  std::string format() const;
  // Writes the file with owner-only permissions, replacing it atomically.
  bool save(const std::string& path, std::string* error) const;

private:
  std::vector<Credential> credentials_;
};

struct CredentialStore::Loaded {
  std::optional<CredentialStore> store;
  std::string error;
};

}  // namespace ntlm
