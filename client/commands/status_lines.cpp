#include "commands/status_lines.h"

#include "commands/command_frame.h"
#include "format/time_stamp_text.h"
#include "format/wide_text.h"
#include "opc/types.h"

namespace {

std::string timeLine(const char* label, const FILETIME& time) {
  const std::optional<std::string> text = format::TimeStampText(time);
  return std::string(label) + (text ? *text : std::string("Cannot convert to Local Time"));
}

const char* stateName(DWORD state) {
  switch (state) {
    case OPC_STATUS_RUNNING:
      return "OPC_STATUS_RUNNING";
    case OPC_STATUS_FAILED:
      return "OPC_STATUS_FAILED";
    case OPC_STATUS_NOCONFIG:
      return "OPC_STATUS_NOCONFIG";
    case OPC_STATUS_SUSPENDED:
      return "OPC_STATUS_SUSPENDED";
    case OPC_STATUS_TEST:
      return "OPC_STATUS_TEST";
    default:
      return "Unknown Server State";
  }
}

}  // namespace

std::vector<std::string> ServerStatusLines(const OPCSERVERSTATUS& status) {
  using commands::Line;
  return {
      timeLine("ftStartTime        : ", status.ftStartTime),
      timeLine("ftCurrentTime      : ", status.ftCurrentTime),
      timeLine("ftLastUpdateTime   : ", status.ftLastUpdateTime),
      std::string("dwServerState      : ") + stateName(static_cast<DWORD>(status.dwServerState)),
      Line("dwGroupCount       : %lu", static_cast<unsigned long>(status.dwGroupCount)),
      // The bandwidth reads signed, so a server's 0xFFFFFFFF ("unknown")
      // shows as -1 whatever the width of long.
      Line("dwBandWidth        : %ld", static_cast<long>(static_cast<int32_t>(status.dwBandWidth))),
      Line("wMajorVersion      : %u", unsigned{status.wMajorVersion}),
      Line("wMinorVersion      : %u", unsigned{status.wMinorVersion}),
      Line("wBuildNumber       : %u", unsigned{status.wBuildNumber}),
      Line("wReserved          : %u", unsigned{status.wReserved}),
      "szVendorInfo       : " + format::WideToText(status.szVendorInfo),
  };
}
