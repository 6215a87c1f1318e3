#include "format/variant_lines.h"

#include <cstdio>
#include <utility>

#include "format/wide_text.h"
#include "result/result_code_text.h"

namespace {

class LineWriter {
 public:
  explicit LineWriter(const char* prefixFormat) : prefixFormat_(prefixFormat) {}

  // depth is 1 for the value the caller passed.
  void addValue(const VARIANT& value, int depth) {
    if (value.vt & VT_ARRAY) {
      SAFEARRAY* array = value.parray;
      if (value.vt & VT_BYREF) array = value.pparray != nullptr ? *value.pparray : nullptr;
      addArray(array, static_cast<VARTYPE>(value.vt & VT_TYPEMASK), depth);
    } else {
      addScalar(value);
    }
  }

  std::vector<std::string> takeLines() { return std::move(lines_); }

 private:
  std::string prefix() const {
    char text[128];
    const int length = std::snprintf(text, sizeof text, prefixFormat_, elementIndex_);
    if (length < 0) return {};
    if (static_cast<size_t>(length) < sizeof text) return std::string(text, static_cast<size_t>(length));
    std::string longer(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(longer.data(), longer.size(), prefixFormat_, elementIndex_);
    longer.resize(static_cast<size_t>(length));
    return longer;
  }

  void addFailure(HRESULT code) {
    // No session: a failed coercion is the platform's code, never a server's.
    lines_.push_back(prefix() + ResultCodeText(code, nullptr));
  }

  void addScalar(const VARIANT& value) {
    VARIANT text;
    VariantInit(&text);
    const HRESULT result = VariantChangeType(&text, &value, 0, VT_BSTR);
    if (FAILED(result)) {
      addFailure(result);
      return;
    }
    lines_.push_back(prefix() + format::WideToText(text.bstrVal));
    VariantClear(&text);
  }

  void addArray(SAFEARRAY* array, VARTYPE declaredType, int depth) {
    const UINT dims = SafeArrayGetDim(array);
    if (dims == 0) {
      addFailure(E_INVALIDARG);
      return;
    }
    // The array's own element type decides how many bytes an element has,
    // whatever the VARIANT claims.
    VARTYPE elementType = declaredType;
    if (FAILED(SafeArrayGetVartype(array, &elementType))) elementType = declaredType;

    // Emptiness is read from the element counts: the upper bound of an
    // empty dimension is one below its lower bound, which wraps around for
    // the lowest lower bound.
    for (UINT i = 0; i < dims; ++i) {
      if (array->rgsabound[i].cElements == 0) {
        if (depth == 1) lines_.push_back(prefix());
        return;
      }
    }
    std::vector<LONG> lower(dims), upper(dims);
    for (UINT dim = 1; dim <= dims; ++dim) {
      HRESULT result = SafeArrayGetLBound(array, dim, &lower[dim - 1]);
      if (SUCCEEDED(result)) result = SafeArrayGetUBound(array, dim, &upper[dim - 1]);
      // Bounds that run past the index range cannot be walked.
      if (SUCCEEDED(result) && upper[dim - 1] < lower[dim - 1]) result = DISP_E_BADINDEX;
      if (FAILED(result)) {
        addFailure(result);
        return;
      }
    }

    // Every element in storage order: the index of dimension 1 (indices[0])
    // runs fastest. A one-dimensional array is simply walked from its lower
    // to its upper bound.
    std::vector<LONG> indices = lower;
    for (;;) {
      VARIANT element;
      VariantInit(&element);
      const HRESULT result = fetchElement(array, elementType, indices.data(), &element);
      if (FAILED(result)) {
        addFailure(result);
      } else {
        addValue(element, depth + 1);
      }
      VariantClear(&element);
      if (depth == 1) ++elementIndex_;

      UINT dim = 0;
      while (dim < dims && indices[dim] == upper[dim]) {
        indices[dim] = lower[dim];
        ++dim;
      }
      if (dim == dims) break;
      ++indices[dim];
    }
  }

  // A copy of one element as a value of its own.
  static HRESULT fetchElement(SAFEARRAY* array, VARTYPE elementType, LONG* indices, VARIANT* element) {
    const UINT size = SafeArrayGetElemsize(array);
    if (elementType == VT_VARIANT) {
      if (size != sizeof(VARIANT)) return DISP_E_BADVARTYPE;
      return SafeArrayGetElement(array, indices, element);
    }
    HRESULT result;
    if (elementType == VT_DECIMAL) {
      if (size != sizeof(DECIMAL)) return DISP_E_BADVARTYPE;
      result = SafeArrayGetElement(array, indices, &element->decVal);
    } else {
      if (size > sizeof element->llVal) return DISP_E_BADVARTYPE;
      result = SafeArrayGetElement(array, indices, &element->llVal);
    }
    if (SUCCEEDED(result)) element->vt = elementType;
    return result;
  }

  const char* prefixFormat_;
  unsigned elementIndex_ = 0;
  std::vector<std::string> lines_;
};

}  // namespace

std::vector<std::string> VariantToLines(const VARIANT& value, const char* prefixFormat) {
  LineWriter writer(prefixFormat);
  writer.addValue(value, 1);
  return writer.takeLines();
}
