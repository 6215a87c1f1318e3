#pragma once

// The group-state dialog (template 144): created with the group's current
// state, it lets the user edit every value that SetState takes and leaves
// the edited values in its members.

#include "gui/dialog.h"
#include "win/types.h"

class CGroupStateDialog : public gui::Dialog {
 public:
  // The values in the order IOPCGroupStateMgt::GetState returns them.
  CGroupStateDialog(DWORD updateRate, bool active, LONG timeBias, float percentDeadband, LCID locale,
                    DWORD clientHandle, gui::Window* owner = nullptr);

  DWORD requestedUpdateRate;  // "Requested Update Rate"
  DWORD clientHandle;         // "Provided Client Handle"
  LONG timeBias;              // "TimeZone Bias" in minutes
  float percentDeadband;      // "Percent Deadband", 0 to 100
  bool active;                // "Group State": "Active" or "Inactive"
  LCID locale;                // "The locale to be used"; unchanged when no entry is chosen

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(gui::DataExchange& exchange) override;
};
