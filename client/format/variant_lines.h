#pragma once

// A value as display lines: one line per scalar element, each starting with
// a prefix that carries the index of its top-level element.

#include <string>
#include <vector>

#include "com/oleauto.h"

// `prefixFormat` is a printf format with exactly one integer conversion for
// the element index, such as "Data[%u]    : " or "vEUInfo[%d]          : ".
//
// A scalar gives one line: the prefix for index 0 and the value converted
// with the standard coercion in the user's default locale, or the prefix and
// the result-code text of the conversion failure. An array gives the lines
// of its elements in storage order (nested arrays and VARIANT elements
// included); every line of one top-level element carries that element's
// index. An empty array at the top gives the bare prefix for index 0; an
// empty array inside another gives nothing.
//
// The value is not changed. The function keeps no state between calls.
std::vector<std::string> VariantToLines(const VARIANT& value, const char* prefixFormat);
