#include "error_strings.h"

#include "locales.h"
#include "opc/opcerror.h"
#include "win/message.h"

namespace sample {
namespace {

struct ErrorText {
  HRESULT code;
  const char16_t* english;
  const char16_t* german;
};

constexpr ErrorText kTexts[] = {
    {OPC_E_INVALIDHANDLE, u"The value of the handle is invalid.", u"Der Wert des Handles ist ungültig."},
    {OPC_E_BADTYPE, u"The server cannot convert the data between the requested data type and the canonical data type.",
     u"Der Server kann die Daten nicht zwischen dem angeforderten und dem kanonischen Datentyp umwandeln."},
    {OPC_E_PUBLIC, u"The requested operation cannot be done on a public group.",
     u"Die angeforderte Operation ist für eine öffentliche Gruppe nicht möglich."},
    {OPC_E_BADRIGHTS, u"The item's access rights do not allow the operation.",
     u"Die Zugriffsrechte des Items erlauben die Operation nicht."},
    {OPC_E_UNKNOWNITEMID, u"The item ID is not defined in the server's address space.",
     u"Die Item-ID ist im Adressraum des Servers nicht definiert."},
    {OPC_E_INVALIDITEMID, u"The item ID does not conform to the server's syntax.",
     u"Die Item-ID entspricht nicht der Syntax des Servers."},
    {OPC_E_INVALIDFILTER, u"The filter string is not valid.", u"Der Filterausdruck ist ungültig."},
    {OPC_E_UNKNOWNPATH, u"The item's access path is not known to the server.",
     u"Der Zugriffspfad des Items ist dem Server nicht bekannt."},
    {OPC_E_RANGE, u"The value is out of range.", u"Der Wert liegt außerhalb des gültigen Bereichs."},
    {OPC_E_DUPLICATENAME, u"The name is already used by another group.",
     u"Der Name wird bereits von einer anderen Gruppe verwendet."},
    {OPC_S_UNSUPPORTEDRATE, u"The server does not support the requested rate; it uses the closest rate it supports.",
     u"Der Server unterstützt die angeforderte Rate nicht; er verwendet die nächstgelegene unterstützte Rate."},
    {OPC_S_CLAMP, u"The value was accepted but limited to the item's range.",
     u"Der Wert wurde angenommen, aber auf den Bereich des Items begrenzt."},
    {OPC_S_INUSE, u"The group was removed, but a client still holds references to it.",
     u"Die Gruppe wurde entfernt, aber ein Client hält noch Referenzen auf sie."},
    {OPC_E_INVALIDCONFIGFILE, u"The configuration file has an invalid format.",
     u"Die Konfigurationsdatei hat ein ungültiges Format."},
    {OPC_E_NOTFOUND, u"The requested object was not found.", u"Das angeforderte Objekt wurde nicht gefunden."},
    {OPC_E_INVALID_PID, u"The property ID is not valid for the item.", u"Die Property-ID ist für das Item ungültig."},
};

std::optional<std::u16string> systemText(HRESULT code, LCID locale) {
  // The system's texts are English; a German session gets them too rather
  // than none.
  for (DWORD language : {static_cast<DWORD>(LANGIDFROMLCID(locale)), 0u}) {
    WCHAR buffer[1024];
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        static_cast<DWORD>(code), language, buffer, 1024, nullptr);
    if (length == 0) continue;
    std::u16string text(buffer, length);
    while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n')) text.pop_back();
    return text;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::u16string> errorText(HRESULT code, LCID locale) {
  for (const auto& entry : kTexts) {
    if (entry.code == code) return std::u16string(locale == kGerman ? entry.german : entry.english);
  }
  return systemText(code, locale);
}

}  // namespace sample
