#include "format/code_text.h"

#include <array>
#include <cstdio>

#include "com/value_types.h"
#include "opc/quality.h"
#include "opc/types.h"
#include "win/locale.h"

namespace {

struct SubstatusText {
  WORD substatus;
  const char* text;
};

constexpr std::array<SubstatusText, 15> kSubstatusTexts = {{
    {OPC_QUALITY_BAD, "Non-specific"},
    {OPC_QUALITY_UNCERTAIN, "Non-specific"},
    {OPC_QUALITY_GOOD, "Non-specific"},
    {OPC_QUALITY_CONFIG_ERROR, "Configuration Error"},
    {OPC_QUALITY_NOT_CONNECTED, "Not Connected"},
    {OPC_QUALITY_DEVICE_FAILURE, "Device Failure"},
    {OPC_QUALITY_SENSOR_FAILURE, "Sensor Failure"},
    {OPC_QUALITY_LAST_KNOWN, "Last Known Value"},
    {OPC_QUALITY_COMM_FAILURE, "Communication failure"},
    {OPC_QUALITY_OUT_OF_SERVICE, "Out of Service"},
    {OPC_QUALITY_LAST_USABLE, "Last Usable Value"},
    {OPC_QUALITY_SENSOR_CAL, "Sensor Not Accurate"},
    {OPC_QUALITY_EGU_EXCEEDED, "Engineering Units Exceeded"},
    {OPC_QUALITY_SUB_NORMAL, "Sub-Normal"},
    {OPC_QUALITY_LOCAL_OVERRIDE, "Local Override"},
}};

const char* statusText(WORD quality) {
  switch (quality & OPC_QUALITY_MASK) {
    case OPC_QUALITY_BAD:
      return "Bad: ";
    case OPC_QUALITY_UNCERTAIN:
      return "Uncertain: ";
    case OPC_QUALITY_GOOD:
      return "Good: ";
    default:
      // 0x80 is not a quality of the standard.
      return "N/A: ";
  }
}

const char* substatusText(WORD quality) {
  const WORD substatus = quality & OPC_STATUS_MASK;
  for (const SubstatusText& entry : kSubstatusTexts) {
    if (entry.substatus == substatus) return entry.text;
  }
  return "N/A";
}

const char* limitText(WORD quality) {
  switch (quality & OPC_LIMIT_MASK) {
    case OPC_LIMIT_LOW:
      return "Low Limited";
    case OPC_LIMIT_HIGH:
      return "High Limited";
    case OPC_LIMIT_CONST:
      return "Constant";
    default:
      return "Not Limited";
  }
}

}  // namespace

std::string VarTypeName(VARTYPE type) {
  std::string text;
  if (type & VT_BYREF) {
    text = "VT_BYREF | ";
    type &= ~VT_BYREF;
  }
  // The array prefix replaces the reference prefix: a reference to an array
  // reads as the array type alone.
  if (type & VT_ARRAY) {
    text = "VT_ARRAY | ";
    type &= ~VT_ARRAY;
  }
  // The tool's list of types ends before the 64-bit integers: their codes
  // read as unknown, like every code that names no type.
  const char* name = type == VT_I8 || type == VT_UI8 ? nullptr : com::ValueTypeName(type);
  return text + (name != nullptr ? name : "unknown VARTYPE");
}

std::string QualityText(WORD quality) {
  char code[16];
  std::snprintf(code, sizeof code, ", (%04Xh)", static_cast<unsigned>(quality));
  return std::string(statusText(quality)) + substatusText(quality) + ", Limit: " + limitText(quality) + code;
}

std::string EuTypeName(DWORD euType) {
  switch (euType) {
    case OPC_NOENUM:
      return "OPC_NOENUM";
    case OPC_ANALOG:
      return "OPC_ANALOG";
    case OPC_ENUMERATED:
      return "OPC_ENUMERATED";
    default:
      return "Unknown";
  }
}

std::string LocaleText(LCID locale) {
  switch (locale) {
    case LOCALE_NEUTRAL:
      return "Language-Neutral";
    case LOCALE_USER_DEFAULT:
      return "Current User Locale";
    case LOCALE_SYSTEM_DEFAULT:
      return "System Default Locale";
    default:
      break;
  }
  char name[256];
  if (GetLocaleInfoA(locale, LOCALE_SLANGUAGE, name, sizeof name) > 0) return name;
  char fallback[48];
  std::snprintf(fallback, sizeof fallback, "Locale Identifier 0x%04X", static_cast<unsigned>(locale));
  return fallback;
}
