#pragma once

// sample::Variant: a VARIANT that owns its value (VariantClear when it goes,
// VariantCopy when it is copied), for values the server keeps.

#include <new>
#include <string_view>
#include <utility>

#include "com/oleauto.h"

namespace sample {

class Variant {
 public:
  Variant() noexcept { VariantInit(&value_); }
  // Takes over value (the caller's VARIANT is left VT_EMPTY).
  static Variant adopt(VARIANT& value) noexcept {
    Variant result;
    result.value_ = value;
    VariantInit(&value);
    return result;
  }
  // Copies value; throws std::bad_alloc when the copy cannot be made.
  static Variant copyOf(const VARIANT& value) {
    Variant result;
    if (FAILED(VariantCopy(&result.value_, &value))) throw std::bad_alloc();
    return result;
  }

  Variant(const Variant& other) : Variant() {
    if (FAILED(VariantCopy(&value_, &other.value_))) throw std::bad_alloc();
  }
  Variant(Variant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }
  Variant& operator=(const Variant& other) {
    Variant copy(other);
    swap(copy);
    return *this;
  }
  Variant& operator=(Variant&& other) noexcept {
    Variant moved(std::move(other));
    swap(moved);
    return *this;
  }
  ~Variant() { VariantClear(&value_); }

  void swap(Variant& other) noexcept { std::swap(value_, other.value_); }

  const VARIANT& get() const noexcept { return value_; }
  VARIANT* put() noexcept {
    VariantClear(&value_);
    return &value_;
  }
  VARTYPE type() const noexcept { return value_.vt; }

  // Moves the value into an out-parameter (which must hold nothing that
  // needs clearing); this one is left VT_EMPTY.
  void moveTo(VARIANT* out) noexcept {
    *out = value_;
    VariantInit(&value_);
  }

  // Hands a copy to an out-parameter the caller will clear.
  HRESULT copyTo(VARIANT* out) const noexcept {
    VariantInit(out);
    return VariantCopy(out, &value_);
  }

 private:
  VARIANT value_;
};

// Makers for the values the address space starts with. They throw
// std::bad_alloc when memory runs out.
Variant makeI1(signed char value);
Variant makeI2(SHORT value);
Variant makeI4(LONG value);
Variant makeR4(FLOAT value);
Variant makeR8(DOUBLE value);
Variant makeUI1(BYTE value);
Variant makeUI2(USHORT value);
Variant makeUI4(ULONG value);
Variant makeInt(INT value);
Variant makeUint(UINT value);
Variant makeBool(bool value);
Variant makeCurrency(LONGLONG scaledBy10000);
Variant makeDate(DATE value);
Variant makeError(SCODE value);
Variant makeDecimal(LONGLONG unscaled, BYTE scale);
Variant makeString(std::u16string_view text);
Variant makeR4Array(std::initializer_list<FLOAT> values);
Variant makeStringArray(std::initializer_list<std::u16string_view> values);
Variant makeVariantArray(std::initializer_list<Variant> values);

}  // namespace sample
