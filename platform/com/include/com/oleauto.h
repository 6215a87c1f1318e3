#pragma once

// OLE Automation: BSTR, VARIANT and SAFEARRAY, and the standard coercion
// between value types. Layouts are COM's: a VARIANT is 16 bytes on 32-bit
// builds and 24 on 64-bit ones (the record member holds two pointers).

#include "com/export.h"
#include "com/unknown.h"
#include "win/locale.h"

using BSTR = OLECHAR*;
using LPBSTR = BSTR*;
using VARTYPE = unsigned short;
using VARIANT_BOOL = short;
using DATE = double;

#define VARIANT_TRUE (static_cast<VARIANT_BOOL>(-1))
#define VARIANT_FALSE (static_cast<VARIANT_BOOL>(0))

// Currency: a 64-bit integer scaled by 10,000.
union CY {
  struct {
    ULONG Lo;
    LONG Hi;
  } s;
  LONGLONG int64;
};

struct DECIMAL {
  USHORT wReserved;
  union {
    struct {
      BYTE scale;
      BYTE sign;
    } s;
    USHORT signscale;
  };
  ULONG Hi32;
  union {
    struct {
      ULONG Lo32;
      ULONG Mid32;
    } s2;
    ULONGLONG Lo64;
  };
};
#define DECIMAL_NEG (static_cast<BYTE>(0x80))

enum VARENUM : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_CY = 6,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_DECIMAL = 14,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_UI8 = 21,
  VT_INT = 22,
  VT_UINT = 23,
  VT_VOID = 24,
  VT_HRESULT = 25,
  VT_PTR = 26,
  VT_SAFEARRAY = 27,
  VT_CARRAY = 28,
  VT_USERDEFINED = 29,
  VT_LPSTR = 30,
  VT_LPWSTR = 31,
  VT_RECORD = 36,
  VT_FILETIME = 64,
  VT_BLOB = 65,
  VT_CLSID = 72,
  VT_VECTOR = 0x1000,
  VT_ARRAY = 0x2000,
  VT_BYREF = 0x4000,
  VT_RESERVED = 0x8000,
  VT_ILLEGAL = 0xffff,
  VT_ILLEGALMASKED = 0x0fff,
  VT_TYPEMASK = 0x0fff
};

struct SAFEARRAYBOUND {
  ULONG cElements;
  LONG lLbound;
};
using LPSAFEARRAYBOUND = SAFEARRAYBOUND*;

#define FADF_AUTO 0x0001
#define FADF_STATIC 0x0002
#define FADF_EMBEDDED 0x0004
#define FADF_FIXEDSIZE 0x0010
#define FADF_RECORD 0x0020
#define FADF_HAVEIID 0x0040
#define FADF_HAVEVARTYPE 0x0080
#define FADF_BSTR 0x0100
#define FADF_UNKNOWN 0x0200
#define FADF_DISPATCH 0x0400
#define FADF_VARIANT 0x0800

// The descriptor is followed by cDims bounds; rgsabound is declared with one
// element as in COM, so multi-dimensional arrays are allocated larger.
struct SAFEARRAY {
  USHORT cDims;
  USHORT fFeatures;
  ULONG cbElements;
  ULONG cLocks;
  PVOID pvData;
  SAFEARRAYBOUND rgsabound[1];
};
using LPSAFEARRAY = SAFEARRAY*;

struct IRecordInfo;
struct VARIANT;
using VARIANTARG = VARIANT;
using LPVARIANT = VARIANT*;
using LPVARIANTARG = VARIANT*;
using VARIANT_BOOL_PTR = VARIANT_BOOL*;

struct VARIANT {
  union {
    struct {
      VARTYPE vt;
      WORD wReserved1;
      WORD wReserved2;
      WORD wReserved3;
      union {
        LONGLONG llVal;
        LONG lVal;
        BYTE bVal;
        SHORT iVal;
        FLOAT fltVal;
        DOUBLE dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        CY cyVal;
        DATE date;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        SAFEARRAY* parray;
        BYTE* pbVal;
        SHORT* piVal;
        LONG* plVal;
        LONGLONG* pllVal;
        FLOAT* pfltVal;
        DOUBLE* pdblVal;
        VARIANT_BOOL* pboolVal;
        SCODE* pscode;
        CY* pcyVal;
        DATE* pdate;
        BSTR* pbstrVal;
        IUnknown** ppunkVal;
        IDispatch** ppdispVal;
        SAFEARRAY** pparray;
        VARIANT* pvarVal;
        PVOID byref;
        CHAR cVal;
        USHORT uiVal;
        ULONG ulVal;
        ULONGLONG ullVal;
        INT intVal;
        UINT uintVal;
        DECIMAL* pdecVal;
        CHAR* pcVal;
        USHORT* puiVal;
        ULONG* pulVal;
        ULONGLONG* pullVal;
        INT* pintVal;
        UINT* puintVal;
        struct {
          PVOID pvRecord;
          IRecordInfo* pRecInfo;
        } brecVal;
      };
    };
    DECIMAL decVal;
  };
};

static_assert(sizeof(VARIANT) == (sizeof(void*) == 8 ? 24 : 16), "VARIANT keeps COM's layout");
static_assert(sizeof(DECIMAL) == 16, "DECIMAL keeps COM's layout");
static_assert(sizeof(SAFEARRAY) == (sizeof(void*) == 8 ? 32 : 24), "SAFEARRAY keeps COM's layout");

// VariantChangeType flags.
#define VARIANT_NOVALUEPROP 0x01
#define VARIANT_ALPHABOOL 0x02
#define VARIANT_NOUSEROVERRIDE 0x04
#define VARIANT_LOCALBOOL 0x10

extern "C" {
// ---- BSTR: length-prefixed UTF-16, terminated, freed with SysFreeString.
COM_API BSTR SysAllocString(const OLECHAR* text);
COM_API BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
COM_API BSTR SysAllocStringByteLen(LPCSTR bytes, UINT length);
COM_API INT SysReAllocString(BSTR* target, const OLECHAR* text);
COM_API INT SysReAllocStringLen(BSTR* target, const OLECHAR* text, UINT length);
COM_API void SysFreeString(BSTR text);
COM_API UINT SysStringLen(BSTR text);
COM_API UINT SysStringByteLen(BSTR text);

// ---- VARIANT
COM_API void VariantInit(VARIANTARG* value);
COM_API HRESULT VariantClear(VARIANTARG* value);
COM_API HRESULT VariantCopy(VARIANTARG* destination, const VARIANTARG* source);
COM_API HRESULT VariantCopyInd(VARIANT* destination, const VARIANTARG* source);
// Converts `source` (a reference is followed) to `type` in `destination`,
// which may be `source` itself and changes only on success. VariantChangeType
// uses the user's default locale (GetUserDefaultLCID).
//
// Text forms, in the locale's separators and patterns (en-US shown): integers
// in plain digits ("-42"); VT_R4 with up to 7 and VT_R8 with up to 15
// significant digits, scientific below 1E-04 and from 1E+07 or 1E+15 up
// ("1.5", "1E+20", "1E-07"); VT_CY and VT_DECIMAL with every digit, trailing
// fraction zeros dropped ("12.3456"); VT_BOOL as "-1" and "0" ("True" and
// "False" with VARIANT_ALPHABOOL, the locale's words with VARIANT_LOCALBOOL);
// VT_DATE as short date and time ("3/15/2023 12:00:00 PM"; a date at midnight
// without the time, a time on the zero day without the date); VT_EMPTY as
// "". VT_NULL, VT_ERROR and interfaces have no text form.
//
// Text read as a number may carry blanks around it, a leading or trailing
// sign or parentheses, thousands separators between groups of three digits,
// the locale's decimal separator, an exponent, or an "&H"/"&O" bit pattern.
// Rounding to whole numbers (and to VT_CY's four places) is half to even.
//
// DISP_E_TYPEMISMATCH for pairs without a conversion and for malformed text,
// DISP_E_OVERFLOW for values outside the target's range, DISP_E_BADVARTYPE
// for invalid types, DISP_E_UNKNOWNLCID when a text conversion names a
// locale the system does not know. Arrays convert element by element into an
// array of the same shape (VT_ARRAY|X to VT_ARRAY|Y only).
COM_API HRESULT VariantChangeType(VARIANTARG* destination, const VARIANTARG* source, USHORT flags,
                                  VARTYPE type);
COM_API HRESULT VariantChangeTypeEx(VARIANTARG* destination, const VARIANTARG* source, LCID locale,
                                    USHORT flags, VARTYPE type);

// Dates (days since 30 December 1899) and calendar times, to the second.
// Both return FALSE for a value outside 1 January 100 to 31 December 9999.
COM_API INT VariantTimeToSystemTime(DOUBLE time, LPSYSTEMTIME systemTime);
COM_API INT SystemTimeToVariantTime(LPSYSTEMTIME systemTime, DOUBLE* time);

// ---- SAFEARRAY
COM_API SAFEARRAY* SafeArrayCreate(VARTYPE type, UINT dims, SAFEARRAYBOUND* bounds);
COM_API SAFEARRAY* SafeArrayCreateVector(VARTYPE type, LONG lowerBound, ULONG elements);
COM_API HRESULT SafeArrayDestroy(SAFEARRAY* array);
// The two halves of SafeArrayCreate and SafeArrayDestroy, for callers that
// fill in a descriptor themselves.
COM_API HRESULT SafeArrayAllocDescriptor(UINT dims, SAFEARRAY** array);
COM_API HRESULT SafeArrayAllocDescriptorEx(VARTYPE type, UINT dims, SAFEARRAY** array);
COM_API HRESULT SafeArrayAllocData(SAFEARRAY* array);
COM_API HRESULT SafeArrayDestroyData(SAFEARRAY* array);
COM_API HRESULT SafeArrayDestroyDescriptor(SAFEARRAY* array);
COM_API HRESULT SafeArrayCopy(SAFEARRAY* source, SAFEARRAY** copy);
COM_API UINT SafeArrayGetDim(SAFEARRAY* array);
COM_API UINT SafeArrayGetElemsize(SAFEARRAY* array);
COM_API HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* type);
COM_API HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound);
COM_API HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* bound);
COM_API HRESULT SafeArrayGetElement(SAFEARRAY* array, LONG* indices, void* value);
COM_API HRESULT SafeArrayPutElement(SAFEARRAY* array, LONG* indices, void* value);
COM_API HRESULT SafeArrayLock(SAFEARRAY* array);
COM_API HRESULT SafeArrayUnlock(SAFEARRAY* array);
COM_API HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data);
COM_API HRESULT SafeArrayUnaccessData(SAFEARRAY* array);
COM_API HRESULT SafeArrayPtrOfIndex(SAFEARRAY* array, LONG* indices, void** element);
}

// Accessor macros as COM code uses them.
#define V_VT(v) ((v)->vt)
#define V_ISARRAY(v) (V_VT(v) & VT_ARRAY)
#define V_ISBYREF(v) (V_VT(v) & VT_BYREF)
#define V_BSTR(v) ((v)->bstrVal)
#define V_I4(v) ((v)->lVal)
#define V_ARRAY(v) ((v)->parray)
