#include "ndr/ole.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes hex(std::string_view text) {
  Bytes out;
  std::string digits;
  for (char c : text)
    if (std::isxdigit(static_cast<unsigned char>(c))) digits += c;
  for (std::size_t i = 0; i + 1 < digits.size(); i += 2) out.push_back(std::stoi(digits.substr(i, 2), nullptr, 16));
  return out;
}

// The "name": "hex" pairs of a capture file of VARIANTs.
std::map<std::string, Bytes> readVectors(const std::string& file) {
  std::ifstream in(std::string(NDR_VECTORS_DIR) + "/" + file);
  std::stringstream text;
  text << in.rdbuf();
  std::map<std::string, Bytes> out;
  std::regex pair("\"([^\"]+)\"\\s*:\\s*\"([0-9a-f]+)\"");
  std::string all = text.str();
  for (std::sregex_iterator i(all.begin(), all.end(), pair), end; i != end; ++i) out[(*i)[1]] = hex((*i)[2].str());
  return out;
}

// A VARIANT that clears itself.
struct Value {
  VARIANT v;
  Value() { VariantInit(&v); }
  ~Value() { VariantClear(&v); }
  Value(const Value&) = delete;
  Value& operator=(const Value&) = delete;
};

std::u16string text(BSTR s) { return s ? std::u16string(s, SysStringLen(s)) : u"<null>"; }

bool sameVariant(const VARIANT& a, const VARIANT& b);

bool sameArray(SAFEARRAY* a, SAFEARRAY* b) {
  if (!a || !b) return a == b;
  VARTYPE ta = 0, tb = 0;
  SafeArrayGetVartype(a, &ta);
  SafeArrayGetVartype(b, &tb);
  if (ta != tb || a->cDims != b->cDims || a->cbElements != b->cbElements) return false;
  std::size_t count = 1;
  for (USHORT i = 0; i < a->cDims; ++i) {
    if (a->rgsabound[i].cElements != b->rgsabound[i].cElements || a->rgsabound[i].lLbound != b->rgsabound[i].lLbound)
      return false;
    count *= a->rgsabound[i].cElements;
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (ta == VT_BSTR) {
      if (text(static_cast<BSTR*>(a->pvData)[i]) != text(static_cast<BSTR*>(b->pvData)[i])) return false;
    } else if (ta == VT_VARIANT) {
      if (!sameVariant(static_cast<VARIANT*>(a->pvData)[i], static_cast<VARIANT*>(b->pvData)[i])) return false;
    } else if (std::memcmp(static_cast<BYTE*>(a->pvData) + i * a->cbElements,
                           static_cast<BYTE*>(b->pvData) + i * a->cbElements, a->cbElements) != 0) {
      return false;
    }
  }
  return true;
}

bool sameVariant(const VARIANT& a, const VARIANT& b) {
  if (a.vt != b.vt) return false;
  if (a.vt & VT_ARRAY) return sameArray(a.parray, b.parray);
  switch (a.vt) {
    case VT_EMPTY: case VT_NULL: return true;
    case VT_BSTR: return text(a.bstrVal) == text(b.bstrVal);
    case VT_DECIMAL: return std::memcmp(&a.decVal, &b.decVal, sizeof(DECIMAL)) == 0;
    case VT_I1: case VT_UI1: return a.bVal == b.bVal;
    case VT_I2: case VT_UI2: case VT_BOOL: return a.iVal == b.iVal;
    case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: case VT_R4: case VT_ERROR: return a.lVal == b.lVal;
    default: return a.llVal == b.llVal;
  }
}

Bytes encodeVariant(VARIANT& v, ndr::InterfaceMarshaler* marshaler = nullptr) {
  Bytes out;
  auto error = ndr::encode(out, [&](auto& w) { w.param(v); }, marshaler);
  EXPECT_FALSE(error) << (error ? ndr::describe(error->status) : "");
  return out;
}

std::optional<ndr::Error> decodeVariant(const Bytes& in, VARIANT& v, ndr::InterfaceMarshaler* marshaler = nullptr) {
  return ndr::decode(in, [&](auto& w) { w.param(v); }, nullptr, marshaler);
}

// Both peers' encodings of the same four values decode alike, whatever their
// referent ids, padding, reserved words, clSize and width of the boolean;
// this side re-encodes each in one form.
TEST(OleWire, CapturedVariantsOfBothPeers) {
  struct Expected {
    const char* name;
    VARTYPE vt;
    LONGLONG number;
    const char16_t* text;
    const char* canonical;
  };
  const Expected expected[] = {
      {"VT_I4_42", VT_I4, 42, nullptr,
       "00000200 00000000 03000000 00000000 0300 000000000000 03000000 2a000000"},
      {"VT_R8_1.5", VT_R8, 0x3FF8000000000000, nullptr,
       "00000200 00000000 04000000 00000000 0500 000000000000 05000000 00000000 000000000000f83f"},
      {"VT_BOOL_true", VT_BOOL, VARIANT_TRUE, nullptr,
       "00000200 00000000 03000000 00000000 0b00 000000000000 0b000000 ffff"},
      {"VT_BSTR_Tag1", VT_BSTR, 0, u"Tag1",
       "00000200 00000000 06000000 00000000 0800 000000000000 08000000 04000200"
       "04000000 08000000 04000000 5400610067003100"},
  };
  for (const char* file : {"variant-impacket.json", "variant-nodedcom.json"}) {
    auto vectors = readVectors(file);
    ASSERT_EQ(vectors.size(), 4u) << file;
    for (const Expected& e : expected) {
      SCOPED_TRACE(std::string(file) + " " + e.name);
      Value value;
      ASSERT_FALSE(decodeVariant(vectors.at(e.name), value.v));
      ASSERT_EQ(value.v.vt, e.vt);
      if (e.vt == VT_BSTR) {
        EXPECT_EQ(text(value.v.bstrVal), e.text);
      } else if (e.vt == VT_BOOL) {
        EXPECT_EQ(value.v.boolVal, VARIANT_TRUE);
      } else if (e.vt == VT_I4) {
        EXPECT_EQ(value.v.lVal, e.number);
      } else {
        EXPECT_EQ(value.v.llVal, e.number);
      }
      EXPECT_EQ(encodeVariant(value.v), hex(e.canonical));
    }
  }
}

// A value of one scalar is written in one piece: its size in clSize, the
// scalar right after the tag or, eight bytes wide, after four bytes of
// padding, and nothing after it. In a row, each next value starts at its
// own eight-byte boundary.
TEST(OleWire, ScalarVariantsKeepTheirLayout) {
  const char* const head = "00000200 00000000 ";  // referent, padding to 8
  const struct {
    void (*make)(VARIANT&);
    const char* bytes;  // after head
  } cases[] = {
      {[](VARIANT& v) { v.vt = VT_EMPTY; }, "03000000 00000000 0000 000000000000 00000000"},
      {[](VARIANT& v) { v.vt = VT_I1; v.cVal = -5; }, "03000000 00000000 1000 000000000000 10000000 fb"},
      {[](VARIANT& v) { v.vt = VT_UI2; v.uiVal = 65000; }, "03000000 00000000 1200 000000000000 12000000 e8fd"},
      {[](VARIANT& v) { v.vt = VT_BOOL; v.boolVal = 1; }, "03000000 00000000 0b00 000000000000 0b000000 ffff"},
      {[](VARIANT& v) { v.vt = VT_R4; v.fltVal = 2.5f; }, "03000000 00000000 0400 000000000000 04000000 00002040"},
      {[](VARIANT& v) { v.vt = VT_I8; v.llVal = -2; },
       "04000000 00000000 1400 000000000000 14000000 00000000 feffffffffffffff"},
  };
  for (const auto& c : cases) {
    Value value;
    c.make(value.v);
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(encodeVariant(value.v), hex(std::string(head) + c.bytes));
  }

  // A row of them, then a byte: decoding finds each where it belongs.
  std::vector<Value> row(std::size(cases));
  for (std::size_t i = 0; i < row.size(); ++i) cases[i].make(row[i].v);
  std::uint8_t marker = 0x5a;
  auto body = [&](auto& w) {
    std::uint32_t count = static_cast<std::uint32_t>(row.size());
    w.param(count);
    for (auto& item : row) w.param(item.v);
    w.param(marker);
  };
  Bytes out;
  ASSERT_FALSE(ndr::encode(out, body));
  std::vector<Value> expected(row.size());
  for (std::size_t i = 0; i < row.size(); ++i) cases[i].make(expected[i].v);
  for (auto& item : row) VariantClear(&item.v);
  marker = 0;
  ASSERT_FALSE(ndr::decode(out, body));
  EXPECT_EQ(marker, 0x5a);
  for (std::size_t i = 0; i < row.size(); ++i) {
    EXPECT_EQ(row[i].v.vt, expected[i].v.vt);
    EXPECT_EQ(encodeVariant(row[i].v), encodeVariant(expected[i].v));
  }
}

// A one-byte boolean followed by filler up to the next VARIANT: the filler
// is not part of the flag.
TEST(OleWire, OneByteBooleanBeforeFiller) {
  const Bytes wire = hex(
      "55736572 00000000 03000000 00000000 0b00 cccccccccccc 0b000000 00 cccccc"  // BOOL false, one byte
      "55736572 00000000 03000000 00000000 0300 cccccccccccc 03000000 2a000000");
  Value flag, number;
  ASSERT_FALSE(ndr::decode(wire, [&](auto& w) {
    w.param(flag.v);
    w.param(number.v);
  }));
  EXPECT_EQ(flag.v.vt, VT_BOOL);
  EXPECT_EQ(flag.v.boolVal, VARIANT_FALSE);
  EXPECT_EQ(number.v.lVal, 42);
}

SAFEARRAY* makeArray(VARTYPE vt, std::initializer_list<SAFEARRAYBOUND> bounds) {
  std::vector<SAFEARRAYBOUND> b(bounds);
  return SafeArrayCreate(vt, static_cast<UINT>(b.size()), b.data());
}

// Every type a VARIANT may carry survives the trip through the wire.
TEST(OleWire, EveryVariantTypeRoundTrips) {
  std::vector<std::function<void(VARIANT&)>> makers = {
      [](VARIANT& v) { v.vt = VT_EMPTY; },
      [](VARIANT& v) { v.vt = VT_NULL; },
      [](VARIANT& v) { v.vt = VT_I1; v.cVal = -5; },
      [](VARIANT& v) { v.vt = VT_UI1; v.bVal = 200; },
      [](VARIANT& v) { v.vt = VT_I2; v.iVal = -300; },
      [](VARIANT& v) { v.vt = VT_UI2; v.uiVal = 65000; },
      [](VARIANT& v) { v.vt = VT_BOOL; v.boolVal = VARIANT_FALSE; },
      [](VARIANT& v) { v.vt = VT_I4; v.lVal = -70000; },
      [](VARIANT& v) { v.vt = VT_UI4; v.ulVal = 0xFFFFFFFF; },
      [](VARIANT& v) { v.vt = VT_INT; v.intVal = 12; },
      [](VARIANT& v) { v.vt = VT_UINT; v.uintVal = 13; },
      [](VARIANT& v) { v.vt = VT_R4; v.fltVal = 2.5f; },
      [](VARIANT& v) { v.vt = VT_ERROR; v.scode = static_cast<SCODE>(0x80004005); },
      [](VARIANT& v) { v.vt = VT_I8; v.llVal = -1LL << 40; },
      [](VARIANT& v) { v.vt = VT_UI8; v.ullVal = ~0ULL; },
      [](VARIANT& v) { v.vt = VT_R8; v.dblVal = -0.125; },
      [](VARIANT& v) { v.vt = VT_CY; v.cyVal.int64 = 123456789; },
      [](VARIANT& v) { v.vt = VT_DATE; v.date = 45000.75; },
      [](VARIANT& v) {
        v.decVal.s.scale = 4;
        v.decVal.s.sign = DECIMAL_NEG;
        v.decVal.Hi32 = 1;
        v.decVal.Lo64 = 99;
        v.vt = VT_DECIMAL;
      },
      [](VARIANT& v) { v.vt = VT_BSTR; v.bstrVal = SysAllocString(u"Temperature"); },
      [](VARIANT& v) { v.vt = VT_BSTR; v.bstrVal = SysAllocString(u""); },
      [](VARIANT& v) { v.vt = VT_BSTR; v.bstrVal = nullptr; },
      [](VARIANT& v) { v.vt = VT_BSTR; v.bstrVal = SysAllocStringByteLen("abc", 3); },
      [](VARIANT& v) {
        v.vt = VT_ARRAY | VT_I4;
        v.parray = makeArray(VT_I4, {{2, 1}, {3, -1}});
        for (int i = 0; i < 6; ++i) static_cast<LONG*>(v.parray->pvData)[i] = i * 11;
      },
      [](VARIANT& v) {
        v.vt = VT_ARRAY | VT_R8;
        v.parray = makeArray(VT_R8, {{3, 0}});
        for (int i = 0; i < 3; ++i) static_cast<double*>(v.parray->pvData)[i] = i + 0.5;
      },
      [](VARIANT& v) {
        v.vt = VT_ARRAY | VT_UI1;
        v.parray = makeArray(VT_UI1, {{5, 0}});
        std::memcpy(v.parray->pvData, "hello", 5);
      },
      [](VARIANT& v) {
        v.vt = VT_ARRAY | VT_BSTR;
        v.parray = makeArray(VT_BSTR, {{3, 0}});
        static_cast<BSTR*>(v.parray->pvData)[0] = SysAllocString(u"a");
        static_cast<BSTR*>(v.parray->pvData)[2] = SysAllocString(u"ccc");
      },
      [](VARIANT& v) {
        v.vt = VT_ARRAY | VT_VARIANT;
        v.parray = makeArray(VT_VARIANT, {{3, 0}});
        auto* items = static_cast<VARIANT*>(v.parray->pvData);
        items[0].vt = VT_BSTR;
        items[0].bstrVal = SysAllocString(u"x");
        items[1].vt = VT_R8;
        items[1].dblVal = 3.0;
        items[2].vt = VT_ARRAY | VT_I2;
        items[2].parray = makeArray(VT_I2, {{1, 0}});
      },
      [](VARIANT& v) {
        v.vt = VT_ARRAY | VT_BOOL;
        v.parray = makeArray(VT_BOOL, {{0, 0}});
      },
  };
  for (std::size_t i = 0; i < makers.size(); ++i) {
    SCOPED_TRACE(i);
    Value original, back;
    makers[i](original.v);
    Bytes wire = encodeVariant(original.v);
    ASSERT_FALSE(decodeVariant(wire, back.v));
    EXPECT_TRUE(sameVariant(original.v, back.v)) << "vt " << original.v.vt;
    // clSize counts the structure and its pointees in units of eight.
    std::uint32_t units = wire[8] | wire[9] << 8;
    EXPECT_EQ(units, (wire.size() - 8 + 7) / 8);
    // The encoding is deterministic: the decoded value encodes the same.
    EXPECT_EQ(encodeVariant(back.v), wire);
  }
}

TEST(OleWire, ByReferenceValuesArriveAsTheirValues) {
  LONG number = 77;
  BSTR name = SysAllocString(u"ref");
  Value inner;
  inner.v.vt = VT_I2;
  inner.v.iVal = 9;
  struct Case {
    VARTYPE vt;
    void* target;
    VARTYPE arrives;
  };
  const Case cases[] = {{VT_BYREF | VT_I4, &number, VT_I4},
                        {VT_BYREF | VT_BSTR, &name, VT_BSTR},
                        {VT_BYREF | VT_VARIANT, &inner.v, VT_I2}};
  for (const Case& c : cases) {
    VARIANT ref;
    VariantInit(&ref);
    ref.vt = c.vt;
    ref.byref = c.target;
    Value back;
    ASSERT_FALSE(decodeVariant(encodeVariant(ref), back.v)) << c.vt;
    EXPECT_EQ(back.v.vt, c.arrives);
    if (c.arrives == VT_I4) {
      EXPECT_EQ(back.v.lVal, 77);
    } else if (c.arrives == VT_BSTR) {
      EXPECT_EQ(text(back.v.bstrVal), u"ref");
    } else {
      EXPECT_EQ(back.v.iVal, 9);
    }
  }
  SysFreeString(name);
}

TEST(OleWire, MalformedVariantsAreRefusedWithoutLeaks) {
  struct Case {
    const char* name;
    const char* wire;
  };
  const Case cases[] = {
      {"tag differs from vt", "00000200 00000000 03000000 00000000 0300 000000000000 02000000 2a000000"},
      {"bare VT_VARIANT", "00000200 00000000 03000000 00000000 0c00 000000000000 0c000000 00000000"},
      {"VT_RECORD", "00000200 00000000 03000000 00000000 2400 000000000000 24000000 00000000"},
      {"VT_VECTOR", "00000200 00000000 03000000 00000000 0310 000000000000 03100000 00000000"},
      {"BSTR longer than its words", "00000200 00000000 06000000 00000000 0800 000000000000 08000000 04000200"
                                     "02000000 08000000 02000000 54006100"},
      {"BSTR count and conformance differ", "00000200 00000000 06000000 00000000 0800 000000000000 08000000 04000200"
                                            "04000000 08000000 02000000 54006100"},
      {"DECIMAL scale 29", "00000200 00000000 04000000 00000000 0e00 000000000000 0e000000 00000000"
                           "0000 1d00 00000000 0100000000000000"},
      {"array bounds and count differ", "00000200 00000000 00000000 00000000 0320 000000000000 03200000 04000200"
                                        "08000200 01000000 0100 8000 04000000 00000300 03000000 02000000 0c000200"
                                        "03000000 00000000"},
      {"array holds another type than vt says", "00000200 00000000 00000000 00000000 0320 000000000000 03200000 04000200"
                                                "08000200 01000000 0100 8000 04000000 00000200 02000000 01000000 0c000200"
                                                "01000000 00000000"},
  };
  for (const Case& c : cases) {
    Value value;
    auto error = decodeVariant(hex(c.wire), value.v);
    EXPECT_TRUE(error) << c.name;
  }
}

TEST(OleWire, EveryTruncationOfANestedValueFailsAndFreesWhatWasBuilt) {
  Value original;
  original.v.vt = VT_ARRAY | VT_VARIANT;
  original.v.parray = makeArray(VT_VARIANT, {{2, 0}});
  auto* items = static_cast<VARIANT*>(original.v.parray->pvData);
  items[0].vt = VT_BSTR;
  items[0].bstrVal = SysAllocString(u"first");
  items[1].vt = VT_ARRAY | VT_BSTR;
  items[1].parray = makeArray(VT_BSTR, {{1, 0}});
  static_cast<BSTR*>(items[1].parray->pvData)[0] = SysAllocString(u"second");
  const Bytes wire = encodeVariant(original.v);
  for (std::size_t length = 0; length < wire.size(); ++length) {
    Value back;
    EXPECT_TRUE(decodeVariant(Bytes(wire.begin(), wire.begin() + length), back.v)) << length;
  }
}

TEST(OleWire, NullAndEmptyBstrsDiffer) {
  BSTR none = nullptr;
  BSTR empty = SysAllocString(u"");
  Bytes out;
  ASSERT_FALSE(ndr::encode(out, [&](auto& w) {
    ndr::bstr(w, none);
    ndr::bstr(w, empty);
  }));
  EXPECT_EQ(out, hex("00000200 04000200 00000000 ffffffff 00000000 00000000 00000000 00000000"));
  BSTR a = SysAllocString(u"stale"), b = nullptr;
  ASSERT_FALSE(ndr::decode(out, [&](auto& w) {
    ndr::bstr(w, a);
    ndr::bstr(w, b);
  }));
  EXPECT_EQ(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(SysStringLen(b), 0u);
  SysFreeString(b);
  SysFreeString(empty);

  // A NULL pointer where a BSTR was expected reads as a NULL BSTR.
  BSTR c = nullptr;
  ASSERT_FALSE(ndr::decode(hex("00000000"), [&](auto& w) { ndr::bstr(w, c); }));
  EXPECT_EQ(c, nullptr);
}

TEST(OleWire, FixedSizeTypesKeepTheirAlignment) {
  std::uint8_t lead = 1;
  FILETIME time{0x11223344, 0x55667788};
  DECIMAL number{};
  number.s.scale = 2;
  number.Hi32 = 3;
  number.Lo64 = 4;
  CY money{};
  money.int64 = -10000;
  HRESULT result = static_cast<HRESULT>(0x80070005);
  Bytes out;
  auto body = [&](auto& w) {
    w.u8(lead);
    w.item(time);  // two DWORDs: aligned to 4, not 8
    w.u8(lead);
    w.item(number);
    w.item(money);
    w.item(result);
  };
  ASSERT_FALSE(ndr::encode(out, body));
  EXPECT_EQ(out, hex("01000000 44332211 88776655 01000000 0000 0200 03000000 0400000000000000"
                     "f0d8ffffffffffff 05000780"));
  time = {};
  number = {};
  money.int64 = 0;
  result = 0;
  ASSERT_FALSE(ndr::decode(out, body));
  EXPECT_EQ(time.dwHighDateTime, 0x55667788u);
  EXPECT_EQ(number.Lo64, 4u);
  EXPECT_EQ(money.int64, -10000);
  EXPECT_EQ(result, static_cast<HRESULT>(0x80070005));
}

// Stands in for the exporter: an interface becomes a fixed OBJREF and back.
struct FakeObject : IUnknown {
  ULONG refs = 1;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
};

struct FakeMarshaler : ndr::InterfaceMarshaler {
  FakeObject object;
  HRESULT marshal(IUnknown*, REFIID, std::vector<std::uint8_t>& objref) override {
    objref = {'M', 'E', 'O', 'W', 1};
    return S_OK;
  }
  HRESULT unmarshal(std::span<const std::uint8_t> objref, REFIID, IUnknown** out) override {
    if (objref.size() != 5) return E_FAIL;
    object.AddRef();
    *out = &object;
    return S_OK;
  }
};

TEST(OleWire, InterfacesTravelThroughTheMarshaler) {
  FakeMarshaler marshaler;
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_UNKNOWN;
  v.punkVal = &marshaler.object;
  Bytes wire = encodeVariant(v, &marshaler);
  EXPECT_EQ(Bytes(wire.begin() + 24, wire.end()), hex("0d000000 04000200 05000000 05000000 4d454f5701"));
  Value back;
  ASSERT_FALSE(decodeVariant(wire, back.v, &marshaler));
  EXPECT_EQ(back.v.vt, VT_UNKNOWN);
  EXPECT_EQ(back.v.punkVal, &marshaler.object);
  EXPECT_EQ(marshaler.object.refs, 2u);
  VariantClear(&back.v);
  EXPECT_EQ(marshaler.object.refs, 1u);

  // Without a marshaler an interface cannot be sent or received.
  Bytes out;
  auto error = ndr::encode(out, [&](auto& w) { w.param(v); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->status, ndr::Status::unsupported);
  EXPECT_TRUE(decodeVariant(wire, back.v));
}

}  // namespace
