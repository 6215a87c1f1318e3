#include "machine/computer_name_rule.h"

#include "win/computer.h"

namespace win {

std::string computerNameFromHostName(std::string_view hostName) {
  std::string_view label = hostName.substr(0, hostName.find('.'));
  if (label.empty()) return "LOCALHOST";
  if (label.size() > MAX_COMPUTERNAME_LENGTH) {
    std::size_t cut = MAX_COMPUTERNAME_LENGTH;
    // Never end inside a UTF-8 sequence: step back over continuation bytes.
    while (cut > 0 && (static_cast<unsigned char>(label[cut]) & 0xC0) == 0x80) --cut;
    label = label.substr(0, cut);
  }
  std::string name(label);
  for (char& c : name) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return name;
}

}  // namespace win
