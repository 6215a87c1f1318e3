#pragma once

// The filter patterns of BrowseOPCItemIDs, with the usual wildcards:
//   *        any run of characters, also none
//   ?        exactly one character
//   #        exactly one decimal digit
//   [list]   one character of the list; [!list] one character not in it.
//            A list holds characters and ranges such as a-z.
// Any other character stands for itself. The whole name must match the
// whole pattern.

#include <string_view>

namespace sample {

// False for a pattern that cannot be read: a list without its closing "]",
// or a range without an upper bound ("[a-]").
bool isValidPattern(std::u16string_view pattern);

// Whether text matches a valid pattern. Letters of the ASCII range compare
// without regard to case unless caseSensitive is set.
bool matchesPattern(std::u16string_view text, std::u16string_view pattern, bool caseSensitive);

}  // namespace sample
