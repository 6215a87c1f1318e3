// The public conversions between OLE dates and SYSTEMTIME.

#include "com/oleauto.h"
#include "date_serial.h"

using namespace com::automation;

extern "C" {

INT VariantTimeToSystemTime(DOUBLE time, LPSYSTEMTIME systemTime) {
  DateParts parts;
  if (systemTime == nullptr || !dateToParts(time, &parts)) return FALSE;
  systemTime->wYear = static_cast<WORD>(parts.year);
  systemTime->wMonth = static_cast<WORD>(parts.month);
  systemTime->wDayOfWeek = static_cast<WORD>(parts.dayOfWeek);
  systemTime->wDay = static_cast<WORD>(parts.day);
  systemTime->wHour = static_cast<WORD>(parts.hour);
  systemTime->wMinute = static_cast<WORD>(parts.minute);
  systemTime->wSecond = static_cast<WORD>(parts.second);
  systemTime->wMilliseconds = 0;
  return TRUE;
}

INT SystemTimeToVariantTime(LPSYSTEMTIME systemTime, DOUBLE* time) {
  if (systemTime == nullptr || time == nullptr) return FALSE;
  DateParts parts;
  parts.year = systemTime->wYear;
  parts.month = systemTime->wMonth;
  parts.day = systemTime->wDay;
  parts.hour = systemTime->wHour;
  parts.minute = systemTime->wMinute;
  parts.second = systemTime->wSecond;
  return partsToDate(parts, time) ? TRUE : FALSE;
}

}  // extern "C"
