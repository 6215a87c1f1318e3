#pragma once

// Expands the escapes and inserts of a message text as FormatMessage does
// without FORMAT_MESSAGE_IGNORE_INSERTS (see win/message.h).

#include <cstdarg>
#include <string>
#include <string_view>
#include <vector>

#include "win/types.h"

namespace win {

// The arguments that inserts %1 to %99 take their values from.
class InsertArguments {
 public:
  // An array of DWORD_PTR (FORMAT_MESSAGE_ARGUMENT_ARRAY).
  explicit InsertArguments(const DWORD_PTR* array) : array_(array) {}
  // A va_list; values are read in order, each as a DWORD_PTR, as far as
  // the highest insert number seen so far.
  explicit InsertArguments(va_list* list) : list_(list) {}
  // No arguments: any insert fails.
  InsertArguments() = default;

  bool value(int number, DWORD_PTR& out);

 private:
  const DWORD_PTR* array_ = nullptr;
  va_list* list_ = nullptr;
  std::vector<DWORD_PTR> read_;
};

// The text's own line breaks (CRLF, CR or LF) become one blank, or nothing
// at the end of the text: FORMAT_MESSAGE_MAX_WIDTH_MASK.
std::string withoutLineBreaks(std::string_view text);

// Expands text (UTF-8) into out. wideStrings says whether a plain %s insert
// is a WCHAR string (the W form) or an 8-bit one. dropLineBreaks applies
// FORMAT_MESSAGE_MAX_WIDTH_MASK. False for an insert that cannot be made.
bool expandMessage(std::string_view text, InsertArguments& arguments, bool wideStrings, bool dropLineBreaks,
                   std::string& out);

}  // namespace win
