#pragma once

// Saving and loading the server's configuration: IPersistFile.

#include "opcwire/methods/shapes.h"

namespace opcwire {

// ---- IPersistFile 0000010B-0000-0000-C000-000000000046 (after IPersist)

enum class PersistFileOp : std::uint16_t {
  getClassId = 3,     // NoIn / GuidOut
  isDirty = 4,        // NoIn / ResultOut
  load = 5,
  save = 6,
  saveCompleted = 7,  // OptionalTextIn / ResultOut
  getCurFile = 8,     // NoIn / TextOut
};

struct LoadIn {
  OrpcThis orpcThis;
  Text fileName;
  std::uint32_t mode = 0;
};
template <class W>
void walkIn(W& w, LoadIn& p) {
  w.param(p.orpcThis);
  textParam(w, p.fileName);
  w.param(p.mode);
}

struct SaveIn {
  OrpcThis orpcThis;
  OptionalText fileName;
  std::int32_t remember = 0;
};
template <class W>
void walkIn(W& w, SaveIn& p) {
  w.param(p.orpcThis);
  optionalTextParam(w, p.fileName);
  w.param(p.remember);
}

struct OptionalTextIn {
  OrpcThis orpcThis;
  OptionalText text;
};
template <class W>
void walkIn(W& w, OptionalTextIn& p) {
  w.param(p.orpcThis);
  optionalTextParam(w, p.text);
}

}  // namespace opcwire
