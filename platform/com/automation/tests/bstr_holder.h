#pragma once

// A BSTR that frees itself, for handing strings to calls that copy them.

#include "com/oleauto.h"

namespace com::automation::testing {

class BstrHolder {
 public:
  explicit BstrHolder(const OLECHAR* text) : text_(SysAllocString(text)) {}
  ~BstrHolder() { SysFreeString(text_); }
  BstrHolder(const BstrHolder&) = delete;
  BstrHolder& operator=(const BstrHolder&) = delete;

  BSTR get() const { return text_; }

 private:
  BSTR text_;
};

}  // namespace com::automation::testing
