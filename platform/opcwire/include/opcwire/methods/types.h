#pragma once

// The pieces every OPC interface's wire description is built from: the
// texts, interface pointers and VARIANTs as the descriptions hold them, and
// the NDR shape of each kind of parameter.

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "com/oleauto.h"
#include "com/value_types.h"
#include "dcom/orpc.h"
#include "ndr/ole.h"

namespace opcwire {

using dcom::OrpcThat;
using dcom::OrpcThis;
using Text = std::u16string;
using OptionalText = std::unique_ptr<std::u16string>;
using Interface = std::unique_ptr<ndr::InterfacePointer>;

// A VARIANT that clears itself, for vectors of values.
class Variant {
 public:
  // A call with many values makes and drops one of these per value, so
  // values that own nothing are handled here instead of through the library.
  Variant() { std::memset(&value, 0, sizeof value); }
  ~Variant() { release(); }
  Variant(Variant&& other) noexcept {
    std::memcpy(&value, &other.value, sizeof value);
    other.value.vt = VT_EMPTY;
  }
  Variant& operator=(Variant&& other) noexcept {
    if (this != &other) {
      release();
      std::memcpy(&value, &other.value, sizeof value);
      other.value.vt = VT_EMPTY;
    }
    return *this;
  }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  // Takes over what v holds, leaving v empty.
  static Variant adopt(VARIANT& v) {
    Variant result;
    std::memcpy(&result.value, &v, sizeof v);
    v.vt = VT_EMPTY;
    return result;
  }
  VARIANT value;

 private:
  void release() {
    if (com::VariantMayOwnResources(value.vt)) VariantClear(&value);
  }
};
template <class W>
void walk(W& w, Variant& v) {
  ndr::walk(w, v.value);
}

// ---- The parameter shapes every interface uses.

// [in, string] LPCWSTR
template <class W>
void textParam(W& w, Text& text) {
  w.construct([&] { w.wideString(text); });
}
// [out, string] LPWSTR* and [in, unique, string] LPCWSTR
template <class W>
void optionalTextParam(W& w, OptionalText& text) {
  w.construct([&] { w.unique(text, [](W& w2, Text& t) { w2.wideString(t); }); });
}
// [out, iid_is(riid)] IUnknown**
template <class W>
void interfaceParam(W& w, Interface& pointer) {
  w.construct([&] { w.unique(pointer); });
}
// [in, unique] T*
template <class W, class T>
void optionalParam(W& w, std::unique_ptr<T>& value) {
  w.construct([&] { w.unique(value); });
}
// A 16-bit enumeration.
template <class W>
void enumParam(W& w, std::uint16_t& value) {
  w.construct([&] { w.enum16(value); });
}
// [in, size_is(count)] T*
template <class W, class T>
void inArray(W& w, std::vector<T>& values, std::uint32_t count, std::size_t minWire) {
  w.construct([&] { w.sizedArray(values, count, minWire); });
}
// [out, size_is(, count)] T**
template <class W, class T>
void outArray(W& w, std::vector<T>& values, std::uint32_t count, std::size_t minWire) {
  w.construct([&] { w.sizedPointer(values, count, minWire); });
}
template <class W>
void optionalText(W& w, OptionalText& text) {
  w.unique(text, [](W& w2, Text& t) { w2.wideString(t); });
}

}  // namespace opcwire
