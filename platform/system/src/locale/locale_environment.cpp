#include "locale/locale_environment.h"

#include <cstdlib>

#include "locale/locale_table.h"

namespace win {

LCID lcidFromPosixLocale(std::string_view name) {
  name = name.substr(0, name.find_first_of(".@"));
  const std::size_t underscore = name.find('_');
  const std::string_view language = name.substr(0, underscore);
  const std::string_view territory =
      underscore == std::string_view::npos ? std::string_view() : name.substr(underscore + 1);
  // "C" and "POSIX" name no language and fall through to the default.
  const LocaleRecord* record = findLocale(language, territory);
  return record ? record->lcid : kFallbackLcid;
}

LCID lcidFromEnvironment() {
  for (const char* variable : {"LC_ALL", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return lcidFromPosixLocale(value);
  }
  return kFallbackLcid;
}

}  // namespace win
