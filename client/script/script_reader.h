#pragma once

// Reads a Quillon script: one step a line, "#" at the start of a line makes
// it a comment, blank lines are ignored.
//
//   connect [PROGID [MACHINE]]
//   disconnect
//   OPCServer/IOPCServer/AddGroup "Name of the Group"=G1 "Req. Update Rate"=500
//   group "G1" Add all Items
//   item "G1" "Simulation.Ramp" Read
//   item "G1" "Static.I4" Write "Value to write"=42 box=OK
//   wait 2000
//   expect S_OK | expect code 0x80004005 | expect line "TEXT" | expect match "REGEX"
//   expect box "TEXT" | expect function "IOPCServer::AddGroup" | expect connected | expect disconnected
//
// Any word may be put in double quotes (a quote inside as \" and a
// backslash as \\), so labels, values and names may hold blanks and "=".
// A word with "=" outside quotes is an answer: "button=Cancel" closes the
// dialog with another button than OK, "box=Yes" answers the next message
// box, "wait=MS" keeps the dialog open that long before its button is
// pressed, and any other "label=value" fills the dialog field with that
// label. A menu path is one word (quote it when an entry has blanks); the
// pop-up entry of "group" and "item" is the rest of the words before the
// answers.
//
// Every line that cannot be read is listed with its number and the reason;
// a script with such lines is not run.

#include <QString>

#include "script/script_step.h"

namespace script {

Script ReadScript(const QString& text);

// A return code as a script writes it: a name ("E_FAIL"), a hexadecimal
// number with "0x" or a decimal one (negative ones are taken as 32 bits).
bool ParseResultCode(const QString& text, HRESULT& code);

}  // namespace script
