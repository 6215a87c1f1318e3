#include "workspace/read_all_items.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>

#include "com/oleauto.h"
#include "format/code_text.h"
#include "format/variant_lines.h"
#include "format/wide_text.h"
#include "result/result_code_text.h"
#include "session/server_session.h"
#include "win/time.h"
#include "workspace/line_format.h"
#include "workspace/task_memory.h"
#include "workspace/tick_clock.h"

namespace workspace {
namespace {


std::string timeStampLine(const FILETIME& utc) {
  FILETIME local;
  if (!FileTimeToLocalFileTime(&utc, &local)) return "   ftTimeStamp   : Cannot convert to Local Time";
  SYSTEMTIME time;
  if (!FileTimeToSystemTime(&local, &time)) return "   ftTimeStamp   : Cannot convert to System Time";
  return LineFormat("   ftTimeStamp   : %2u:%02u:%02u.%03u", unsigned{time.wHour}, unsigned{time.wMinute},
                unsigned{time.wSecond}, unsigned{time.wMilliseconds});
}

void freeStates(OPCITEMSTATE* states, HRESULT* errors, DWORD count, const CServerSession& session) {
  if (states != nullptr) {
    for (DWORD i = 0; i < count; ++i) VariantClear(&states[i].vDataValue);
    FreeTaskMemory(session, states);
  }
  FreeTaskMemory(session, errors);
}

void appendItemStates(const OPCITEMSTATE* states, const HRESULT* errors, DWORD count,
                      const std::vector<std::string>& itemIds, const CServerSession& session,
                      std::vector<std::string>& lines) {
  lines.emplace_back();
  if (count < kListedItemStates) {
    lines.emplace_back("List with Item States from the");
    lines.emplace_back("first read access :");
  } else {
    lines.emplace_back("List with Item States of the first 100 Items");
    lines.emplace_back("from the first read access :");
  }
  if (states == nullptr) return;
  const DWORD listed = std::min(count, kListedItemStates);
  for (DWORD i = 0; i < listed; ++i) {
    lines.push_back(i < itemIds.size() ? "Item '" + itemIds[i] + "'" : std::string("Cannot access Item ID"));
    if (errors != nullptr && FAILED(errors[i])) {
      lines.push_back("   Error : " + ResultCodeText(errors[i], &session));
    } else {
      AppendItemStateLines(states[i], lines);
    }
  }
}

}  // namespace

void AppendItemStateLines(const OPCITEMSTATE& state, std::vector<std::string>& lines) {
  lines.push_back(timeStampLine(state.ftTimeStamp));
  lines.push_back("   wQuality      : " + QualityText(state.wQuality));
  for (std::string& line : VariantToLines(state.vDataValue, "vDataValue[%u] : ")) lines.push_back("   " + line);
}

bool ReadRepeatedly(IOPCSyncIO* syncIO, OPCHANDLE* handles, DWORD count, DWORD passes, bool fromCache,
                    const CServerSession& session, FunctionResult& result, DWORD& elapsed,
                    const std::function<void(const OPCITEMSTATE*, const HRESULT*)>& firstPass) {
  const OPCDATASOURCE source = fromCache ? OPC_DS_CACHE : OPC_DS_DEVICE;
  HRESULT hr = S_OK;
  bool failed = false;
  DWORD pass = 0;
  const DWORD start = ReadTickCount();
  for (; pass < passes; ++pass) {
    OPCITEMSTATE* states = nullptr;
    HRESULT* errors = nullptr;
    hr = syncIO->Read(source, count, handles, &states, &errors);
    if (pass == 0 && SUCCEEDED(hr) && firstPass) firstPass(states, errors);
    freeStates(states, errors, count, session);
    if (hr != S_OK) {
      failed = true;
      break;
    }
  }
  elapsed = ElapsedTicks(start, ReadTickCount());

  result.functionName = "IOPCSyncIO::Read";
  result.returnCode = ResultCodeText(hr, &session);
  if (failed) {
    result.lines.push_back(LineFormat("Error during read access %lu", static_cast<unsigned long>(pass)));
    return false;
  }
  return true;
}

void ReadAllItems(IOPCSyncIO* syncIO, OPCHANDLE* handles, DWORD count, const std::vector<std::string>& itemIds,
                  DWORD passes, bool fromCache, const CServerSession& session, FunctionResult& result) {
  DWORD elapsed = 0;
  const bool read = ReadRepeatedly(syncIO, handles, count, passes, fromCache, session, result, elapsed,
                                   [&](const OPCITEMSTATE* states, const HRESULT* errors) {
                                     appendItemStates(states, errors, count, itemIds, session, result.lines);
                                   });
  if (!read) return;
  std::vector<std::string> summary;
  if (elapsed == 0) {
    summary.push_back(LineFormat("%lu read access for %lu items takes less time", static_cast<unsigned long>(passes),
                             static_cast<unsigned long>(count)));
    summary.emplace_back("than the Resolution of the System Timer.");
  } else {
    summary.push_back(LineFormat("%lu read access for %lu items takes %lu ms.", static_cast<unsigned long>(passes),
                             static_cast<unsigned long>(count), static_cast<unsigned long>(elapsed)));
    summary.push_back(LineFormat("Average access time per read (%lu items)", static_cast<unsigned long>(count)));
    summary.push_back(LineFormat("is %f milliseconds.", static_cast<double>(elapsed) / passes));
  }
  result.lines.insert(result.lines.begin(), summary.begin(), summary.end());
}

}  // namespace workspace
