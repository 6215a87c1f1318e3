#include "app/client_name.h"

#include "win/computer.h"

namespace {

constexpr char kProgramName[] = "Velmora's <Quillon>";

}  // namespace

std::string QuillonClientName() {
  char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof computer;
  if (!GetComputerNameA(computer, &size)) return kProgramName;
  return std::string("\\\\") + computer + "\\" + kProgramName;
}
