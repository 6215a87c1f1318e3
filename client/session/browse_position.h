#pragma once

// The current browse position of the server's address space as the client
// shows it: one process-wide text, "<ROOT>" at start and after a
// disconnect, changed by the address-space commands. User-interface thread
// only.

#include <string>

const std::string& CurrentBrowsePosition();
void SetCurrentBrowsePosition(std::string position);
// Back to "<ROOT>".
void ResetBrowsePosition();
