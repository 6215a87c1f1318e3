#include "standard_strings.h"

#include "gui/ids.h"

namespace gui {

const std::vector<std::pair<UINT, QString>>& standardStrings() {
  static const std::vector<std::pair<UINT, QString>> strings = {
      {IDS_IDLE_MESSAGE, QStringLiteral("Ready")},
      {ID_INDICATOR_CAPS, QStringLiteral("CAP")},
      {ID_INDICATOR_NUM, QStringLiteral("NUM")},
      {ID_INDICATOR_SCRL, QStringLiteral("SCRL")},
      {ID_APP_ABOUT, QStringLiteral("Display program information and version\nAbout")},
      {ID_APP_EXIT, QStringLiteral("Quit the application\nExit")},
      {ID_VIEW_TOOLBAR, QStringLiteral("Show or hide the tool bar\nToggle Tool Bar")},
      {ID_VIEW_STATUS_BAR, QStringLiteral("Show or hide the status bar\nToggle Status Bar")},
      {ID_NEXT_PANE, QStringLiteral("Switch to the next window pane\nNext Pane")},
      {ID_PREV_PANE, QStringLiteral("Switch back to the previous window pane\nPrevious Pane")},
      {IDP_PARSE_INT, QStringLiteral("Please enter an integer.")},
      {IDP_PARSE_REAL, QStringLiteral("Please enter a number.")},
      {IDP_PARSE_INT_RANGE, QStringLiteral("Please enter an integer between %1 and %2.")},
      {IDP_PARSE_REAL_RANGE, QStringLiteral("Please enter a number between %1 and %2.")},
      {IDP_PARSE_STRING_SIZE, QStringLiteral("Please enter no more than %1 characters.")},
      {IDP_PARSE_RADIO_BUTTON, QStringLiteral("Please select a button.")},
      {IDP_PARSE_BYTE, QStringLiteral("Please enter an integer between 0 and 255.")},
      {IDP_PARSE_UINT, QStringLiteral("Please enter a positive integer.")},
      {IDP_FAILED_MEMORY_ALLOC, QStringLiteral("Out of memory.")},
  };
  return strings;
}

}  // namespace gui
