#include "coercion_table.h"

namespace com::automation {
namespace {

// Scalar types fall into a few classes that convert alike.
enum Class { kEmpty, kNull, kNumber, kText, kError, kInterface, kClassCount };

Class classOf(VARTYPE type) {
  switch (type) {
    case VT_EMPTY:
      return kEmpty;
    case VT_NULL:
      return kNull;
    case VT_BSTR:
      return kText;
    case VT_ERROR:
      return kError;
    case VT_UNKNOWN:
    case VT_DISPATCH:
      return kInterface;
    default:  // integers, VT_R4, VT_R8, VT_CY, VT_DATE, VT_BOOL, VT_DECIMAL
      return kNumber;
  }
}

// Rows are the source class, columns the target class. A null, an error
// code or an interface has no text or number form: the caller sees
// DISP_E_TYPEMISMATCH rather than a made-up value. Every value but an error
// code may be dropped to VT_NULL or VT_EMPTY, except that a null does not
// become empty: it stands for a value that is missing, not for one that was
// never set.
constexpr Route kRoutes[kClassCount][kClassCount] = {
    //            to Empty            Null              Number            Text              Error             Interface
    /* Empty */ {Route::Copy, Route::MakeNull, Route::Numeric, Route::ToText, Route::Mismatch, Route::Mismatch},
    /* Null */ {Route::Mismatch, Route::Copy, Route::Mismatch, Route::Mismatch, Route::Mismatch, Route::Mismatch},
    /* Number */ {Route::MakeEmpty, Route::MakeNull, Route::Numeric, Route::ToText, Route::Mismatch, Route::Mismatch},
    /* Text */ {Route::MakeEmpty, Route::MakeNull, Route::FromText, Route::Copy, Route::Mismatch, Route::Mismatch},
    /* Error */ {Route::Mismatch, Route::Mismatch, Route::Mismatch, Route::Mismatch, Route::Copy, Route::Mismatch},
    /* Interface */
    {Route::MakeEmpty, Route::MakeNull, Route::Mismatch, Route::Mismatch, Route::Mismatch, Route::Interface},
};

}  // namespace

Route routeFor(VARTYPE from, VARTYPE to) {
  if (from == to) return Route::Copy;
  return kRoutes[classOf(from)][classOf(to)];
}

}  // namespace com::automation
