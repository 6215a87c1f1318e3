#pragma once

// Quillon connected to the sample server, with helpers to set up groups
// behind the panes' backs (as another client would), work the panes'
// pop-ups and read the result pane as a whole.

#include <QStringList>
#include <string>
#include <vector>

#include "opc/opcda.h"
#include "quillon_fixture.h"
#include "workspace/group_view.h"

namespace quillon::testing {

// What the result pane shows: function name, return code and every line.
struct ResultPane {
  QString function;
  QString returnCode;
  QStringList lines;
  bool operator==(const ResultPane&) const = default;
};
void PrintTo(const ResultPane& pane, std::ostream* out);

class WorkspaceTest : public QuillonTest {
 protected:
  void TearDown() override;

  CGroupView* privatePane() const { return frame->privateGroupView(); }
  CGroupView* publicPane() const { return frame->publicGroupView(); }

  // Adds a private group with the items (access path empty, client handles
  // 1, 2, ...) through the server directly, then reads the private pane.
  // Returns the group's server handle.
  OPCHANDLE addGroup(const char* name, const std::vector<const char*>& itemIds);
  // The first entry, depth first, with the text; fails the test if none.
  gui::TreeItem entry(CGroupView* pane, const QString& text);
  // Right-clicks the entry and chooses the command of its pop-up; `then`
  // states what the command is expected to open, after the pop-up.
  void choose(CGroupView* pane, const QString& entryText, const QString& command,
              std::function<void()> then = {});
  // The command texts of the entry's pop-up; chooses nothing. Empty when
  // no pop-up opened.
  QStringList popupEntries(CGroupView* pane, const QString& entryText);
  ResultPane resultPane() const;
  // The entries of a pane, indented by depth with two blanks, and the image
  // index after "#": "Private Groups#0", "  G#1", "    Static.I4#4".
  static QStringList shape(CGroupView* pane);
};

}  // namespace quillon::testing
