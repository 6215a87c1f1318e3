#include "format/enum_strings.h"

#include <algorithm>

#include "com/allocator.h"
#include "format/wide_text.h"
#include "session/server_session.h"

namespace {

constexpr ULONG kBatchSize = 10;

void freeServerString(LPOLESTR text, const CServerSession& session) {
  if (IMalloc* allocator = session.GetTaskAllocator()) {
    allocator->Free(text);
  } else {
    // Without a connection there is no allocator to ask, but the task heap
    // is the same.
    CoTaskMemFree(text);
  }
}

}  // namespace

std::vector<std::string> EnumStringsToList(IEnumString* enumerator, const CServerSession& session) {
  std::vector<std::string> list;
  if (enumerator == nullptr || enumerator->Reset() != S_OK) return list;
  for (;;) {
    LPOLESTR batch[kBatchSize] = {};
    ULONG fetched = 0;
    const HRESULT result = enumerator->Next(kBatchSize, batch, &fetched);
    // A failed call hands out nothing; a server that claims more strings
    // than were asked for is held to the size of the batch.
    if (FAILED(result)) fetched = 0;
    fetched = std::min(fetched, kBatchSize);
    for (ULONG i = 0; i < fetched; ++i) {
      list.push_back(format::WideToText(batch[i]));
      freeServerString(batch[i], session);
    }
    // S_OK with nothing fetched would repeat forever.
    if (result != S_OK || fetched == 0) break;
  }
  return list;
}
