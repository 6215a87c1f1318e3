#pragma once

// The lines of one item property's value: "<description padded> : value".
// A value that reads as one line drops its "[0] " index; an array keeps the
// index of each element.

#include <string>
#include <vector>

#include "com/oleauto.h"

std::vector<std::string> PropertyValueLines(const std::string& prefix, const VARIANT& value);
