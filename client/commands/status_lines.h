#pragma once

// The result lines of IOPCServer::GetStatus: the eleven fields of the
// server's status record, with labels padded so that the colons line up.

#include <string>
#include <vector>

#include "opc/records.h"

std::vector<std::string> ServerStatusLines(const OPCSERVERSTATUS& status);
