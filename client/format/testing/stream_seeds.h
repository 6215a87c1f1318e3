#pragma once

// Whole streams of valid value records, one of each kind: the seeds of the
// decoder's fuzz target (fuzz/corpus/decode_stream) and a check that the
// decoder reads them all.

#include <string>
#include <utility>
#include <vector>

#include "stream_record_writer.h"

namespace format::testing {

struct StreamSeed {
  std::string name;
  std::vector<BYTE> bytes;
};

inline std::vector<StreamSeed> streamSeeds() {
  std::vector<StreamSeed> seeds;
  auto add = [&seeds](std::string name, const StreamRecordWriter& stream) {
    seeds.push_back({std::move(name), stream.bytes()});
  };

  StreamRecordWriter scalars;
  scalars.scalar(VT_EMPTY).scalar(VT_NULL).scalar(VT_I1, CHAR{-5}).scalar(VT_UI1, BYTE{200});
  scalars.scalar(VT_I2, SHORT{-300}).scalar(VT_UI2, USHORT{60000}).scalar(VT_BOOL, VARIANT_TRUE);
  scalars.scalar(VT_I4, LONG{-70000}).scalar(VT_UI4, ULONG{4000000000}).scalar(VT_INT, INT{7});
  scalars.scalar(VT_UINT, UINT{8}).scalar(VT_ERROR, LONG{-2147467259}).scalar(VT_R4, 1.5f);
  scalars.scalar(VT_R8, 2.25).scalar(VT_CY, LONGLONG{15000}).scalar(VT_DATE, 45000.5);
  scalars.scalar(VT_I8, LONGLONG{-1}).scalar(VT_UI8, ULONGLONG{1} << 40);
  add("scalars", scalars);

  DECIMAL decimal{};
  decimal.s.scale = 2;
  decimal.Lo64 = 12345;
  StreamRecordWriter decimals;
  decimals.decimal(decimal);
  add("decimal", decimals);

  StreamRecordWriter strings;
  strings.string(u"Hello").nullString().string(u"Grüße €");
  add("strings", strings);

  StreamRecordWriter plainArrays;
  plainArrays.array<LONG>(VT_I4, {1, 2, 3}).array<double>(VT_R8, {0.5, -1.0}, -1);
  plainArrays.arrayHeader(VT_UI1, 0, 0).array<SHORT>(VT_BOOL, {VARIANT_TRUE, VARIANT_FALSE});
  plainArrays.array<DECIMAL>(VT_DECIMAL, {decimal});
  add("plain_arrays", plainArrays);

  StreamRecordWriter stringArray;
  stringArray.arrayHeader(VT_BSTR, 3, 1).stringBody(u"one").stringBody(u"").stringBody(u"three");
  add("string_array", stringArray);

  StreamRecordWriter variantArray;
  variantArray.arrayHeader(VT_VARIANT, 4, 0).scalar(VT_I4, LONG{7}).string(u"x");
  variantArray.array<SHORT>(VT_I2, {4, 5}).arrayHeader(VT_VARIANT, 1, 0).nullString();
  add("variant_array", variantArray);

  StreamRecordWriter mixed;
  for (const StreamSeed& seed : seeds) mixed.raw(seed.bytes.data(), seed.bytes.size());
  add("mixed", mixed);
  return seeds;
}

}  // namespace format::testing
