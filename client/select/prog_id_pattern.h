#pragma once

// The ProgID filter of the server-selection dialog: does a ProgID match a
// pattern with wildcards?
//
//   *        any run of characters, also none
//   ?        exactly one character
//   #        exactly one decimal digit
//   [list]   one character in the list; [!list] one character not in it
//   other    that character
//
// The whole text must match the whole pattern. A list holds characters and
// ranges ("a-z"); a "-" first in a list ranges from code 0, and ranges
// compare signed 8-bit codes. Unless caseSensitive, both sides are compared
// after the C library's upper-case conversion.
//
// A malformed list makes the whole match fail: a "-" followed by "]" or by
// the end of the pattern, and a list that the pattern ends before its "]".
// Both are only found when a character is compared with the list. A null
// text never matches; a null pattern reads as an empty one.

bool MatchProgIdPattern(const char* text, const char* pattern, bool caseSensitive);
