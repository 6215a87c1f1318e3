#include "text_coercion.h"

#include <string>

#include "date_text.h"
#include "exact_number.h"
#include "number_parse.h"
#include "numeric_coercion.h"
#include "real_text.h"
#include "text_scan.h"

namespace com::automation {
namespace {

struct BooleanWords {
  WORD primaryLanguage;
  std::u16string_view trueWord;
  std::u16string_view falseWord;
};

constexpr BooleanWords kEnglishWords = {0x09, u"True", u"False"};
constexpr BooleanWords kLocalWords[] = {
    kEnglishWords,
    {0x07, u"Wahr", u"Falsch"},
    {0x0C, u"Vrai", u"Faux"},
    {0x0A, u"Verdadero", u"Falso"},
    {0x10, u"Vero", u"Falso"},
    {0x13, u"Waar", u"Onwaar"},
};

const BooleanWords& wordsFor(LANGID language) {
  for (const auto& words : kLocalWords) {
    if (words.primaryLanguage == PRIMARYLANGID(language)) return words;
  }
  return kEnglishWords;
}

HRESULT numberToText(const VARIANT& source, const LocaleFormats& locale, std::u16string* text) {
  switch (source.vt) {
    case VT_R4:
      *text = formatSingle(source.fltVal, locale.decimalSeparator);
      return S_OK;
    case VT_R8:
      *text = formatReal(source.dblVal, kDoubleDigits, locale.decimalSeparator);
      return S_OK;
    case VT_DATE:
      return formatDate(source.date, locale, text);
    default: {
      // Integers, currency and DECIMAL are exact: show every digit.
      NumericValue value;
      const HRESULT result = readNumeric(source, &value);
      if (FAILED(result)) return result;
      *text = formatExact(value.exact, locale.decimalSeparator);
      return S_OK;
    }
  }
}

HRESULT textToBoolean(std::u16string_view text, const LocaleFormats& locale, VARIANT* out) {
  const std::u16string_view trimmed = trimBlanks(text);
  const BooleanWords& local = wordsFor(locale.language);
  bool value = false;
  if (equalsIgnoringCase(trimmed, kEnglishWords.trueWord) || equalsIgnoringCase(trimmed, local.trueWord)) {
    value = true;
  } else if (equalsIgnoringCase(trimmed, kEnglishWords.falseWord) || equalsIgnoringCase(trimmed, local.falseWord)) {
    value = false;
  } else {
    ParsedNumber number;
    const HRESULT result = parseNumber(text, locale, &number);
    if (FAILED(result)) return result;
    value = !number.isZero();
  }
  out->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  out->vt = VT_BOOL;
  return S_OK;
}

// Integer types take a "&H"/"&O" bit pattern in their own width, so
// "&HFFFF" is -1 as VT_I2 and 65535 as VT_I4.
bool bitPatternToInteger(unsigned long long bits, VARTYPE type, VARIANT* out) {
  struct Width {
    VARTYPE type;
    int bits;
    bool isSigned;
  };
  static constexpr Width kWidths[] = {
      {VT_I1, 8, true},    {VT_UI1, 8, false}, {VT_I2, 16, true},   {VT_UI2, 16, false}, {VT_I4, 32, true},
      {VT_UI4, 32, false}, {VT_INT, 32, true}, {VT_UINT, 32, false}, {VT_I8, 64, true},  {VT_UI8, 64, false},
  };
  for (const auto& width : kWidths) {
    if (width.type != type) continue;
    if (width.bits < 64 && bits >> width.bits != 0) return false;
    NumericValue value;
    if (width.isSigned) {
      // Sign-extend the pattern from its width.
      const int unused = 64 - width.bits;
      value.exact = exactFromSigned(static_cast<long long>(bits << unused) >> unused);
    } else {
      value.exact = exactFromUnsigned(bits);
    }
    return SUCCEEDED(writeNumeric(value, type, out));
  }
  return false;
}

}  // namespace

HRESULT valueToText(const VARIANT& source, USHORT flags, const LocaleFormats& locale, BSTR* text) {
  std::u16string value;
  if (source.vt == VT_BOOL && (flags & (VARIANT_ALPHABOOL | VARIANT_LOCALBOOL))) {
    const BooleanWords& words = (flags & VARIANT_LOCALBOOL) ? wordsFor(locale.language) : kEnglishWords;
    value = source.boolVal != VARIANT_FALSE ? words.trueWord : words.falseWord;
  } else if (source.vt != VT_EMPTY) {
    const HRESULT result = numberToText(source, locale, &value);
    if (FAILED(result)) return result;
  }
  *text = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
  return *text != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT textToValue(BSTR text, VARTYPE type, const LocaleFormats& locale, VARIANT* out) {
  VariantInit(out);
  const std::u16string_view view(text == nullptr ? u"" : text, SysStringLen(text));
  if (type == VT_BOOL) return textToBoolean(view, locale, out);
  if (type == VT_DATE) {
    const HRESULT result = parseDate(view, locale, &out->date);
    if (SUCCEEDED(result)) out->vt = VT_DATE;
    return result;
  }

  ParsedNumber number;
  HRESULT result = parseNumber(view, locale, &number);
  if (FAILED(result)) return result;
  switch (type) {
    case VT_R4:
      result = singleFromParsed(number, &out->fltVal);
      break;
    case VT_R8:
      result = doubleFromParsed(number, &out->dblVal);
      break;
    case VT_DECIMAL: {
      DECIMAL decimal{};
      if (!decimalFromParsed(number, &decimal)) return DISP_E_OVERFLOW;
      out->decVal = decimal;
      break;
    }
    default: {
      if (number.isBitPattern && type != VT_CY) {
        return bitPatternToInteger(number.bits, type, out) ? S_OK : DISP_E_OVERFLOW;
      }
      // Round the text itself to the places the type keeps, so that no
      // binary fraction comes between the digits and the result.
      NumericValue value;
      if (!exactFromParsed(number, type == VT_CY ? 4 : 0, &value.exact)) return DISP_E_OVERFLOW;
      return writeNumeric(value, type, out);
    }
  }
  if (SUCCEEDED(result)) out->vt = type;
  return result;
}

}  // namespace com::automation
