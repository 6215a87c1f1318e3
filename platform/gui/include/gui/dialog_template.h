#pragma once

// A dialog as resource data: caption, size and font, and its controls with
// ids, kinds, texts and positions. Sizes and positions are in dialog units,
// which the font turns into pixels (see gui/dialog_units.h), so a template
// keeps its numbers whatever font a platform offers.

#include <QString>
#include <vector>

#include "gui/types.h"

namespace gui {

enum class ControlKind {
  Label,         // static text
  Edit,          // single- or multi-line text field
  PushButton,
  CheckBox,
  RadioButton,
  GroupBox,      // a titled frame drawn behind other controls
  ListBox,
  ComboBox,      // simple, drop-down (editable) or drop-down list
  TreeView,
  ListView,      // report view with columns
  IpAddress,     // four number fields of an IPv4 address
  BitmapButton,  // a push button showing bitmap resource imageId
  Picture,       // static bitmap resource imageId
  Icon,          // static icon resource imageId
};

// Style flags of a control; combine with "|".
enum ControlStyle : unsigned {
  kStyleNone = 0,
  kDefaultButton = 1u << 0,   // the button that Enter presses
  kGroup = 1u << 1,           // starts a group (radio buttons group until the next one)
  kTabStop = 1u << 2,
  kDisabled = 1u << 3,
  kHidden = 1u << 4,
  kReadOnly = 1u << 5,
  kMultiLine = 1u << 6,
  kSort = 1u << 7,            // list and combo boxes keep their entries sorted
  kDropDown = 1u << 8,        // combo box: editable text with a list
  kDropDownList = 1u << 9,    // combo box: choose from the list only
  kCenter = 1u << 10,         // text centred (labels, edits)
  kRight = 1u << 11,          // text right-aligned
  kNoWrap = 1u << 12,         // label on one line, cut at its right edge
  kUppercase = 1u << 13,      // edit turns typed letters into capitals
  kNumber = 1u << 14,         // edit accepts digits only
  kVScroll = 1u << 15,
  kHScroll = 1u << 16,
  kAutoHScroll = 1u << 17,
  kNoIntegralHeight = 1u << 18,
  kHasButtons = 1u << 19,     // tree: expand buttons
  kHasLines = 1u << 20,       // tree: lines between entries
  kLinesAtRoot = 1u << 21,    // tree: lines and buttons at the top level
  kShowSelAlways = 1u << 22,  // tree and list: selection visible without focus
  kSingleSelection = 1u << 23,  // list view: one row at a time
  kWantReturn = 1u << 24,     // multi-line edit: Enter makes a new line
  kSunken = 1u << 25,         // label or picture with a sunken frame
  kPassword = 1u << 26,
};

inline ControlStyle operator|(ControlStyle a, ControlStyle b) {
  return static_cast<ControlStyle>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}

// A rectangle in dialog units: left, top, width, height.
struct DialogRect {
  int x = 0;
  int y = 0;
  int cx = 0;
  int cy = 0;
};

struct ListViewColumn {
  QString header;
  int width = 0;  // dialog units
};

struct ControlTemplate {
  int id = IDC_STATIC;
  ControlKind kind = ControlKind::Label;
  QString text;  // label, caption or button text with "&" mnemonics
  DialogRect rect;
  unsigned style = kTabStop;
  UINT imageId = 0;  // bitmap or icon resource of BitmapButton, Picture and Icon
  std::vector<ListViewColumn> columns;  // ListView
};

struct DialogFont {
  QString family = QStringLiteral("Liberation Sans");
  int pointSize = 8;
};

struct DialogTemplate {
  UINT id = 0;
  QString caption;
  int cx = 0;  // client size in dialog units
  int cy = 0;
  DialogFont font;
  std::vector<ControlTemplate> controls;
};

// Shorthands that keep template tables readable.
namespace dlg {

inline ControlTemplate label(QString text, DialogRect r, unsigned style = kStyleNone) {
  return {IDC_STATIC, ControlKind::Label, std::move(text), r, style, 0, {}};
}
inline ControlTemplate label(int id, QString text, DialogRect r, unsigned style = kStyleNone) {
  return {id, ControlKind::Label, std::move(text), r, style, 0, {}};
}
inline ControlTemplate edit(int id, DialogRect r, unsigned style = kTabStop | kAutoHScroll) {
  return {id, ControlKind::Edit, {}, r, style, 0, {}};
}
inline ControlTemplate button(int id, QString text, DialogRect r, unsigned style = kTabStop) {
  return {id, ControlKind::PushButton, std::move(text), r, style, 0, {}};
}
inline ControlTemplate defaultButton(int id, QString text, DialogRect r) {
  return {id, ControlKind::PushButton, std::move(text), r, kTabStop | kDefaultButton, 0, {}};
}
inline ControlTemplate checkBox(int id, QString text, DialogRect r, unsigned style = kTabStop) {
  return {id, ControlKind::CheckBox, std::move(text), r, style, 0, {}};
}
inline ControlTemplate radio(int id, QString text, DialogRect r, unsigned style = kTabStop) {
  return {id, ControlKind::RadioButton, std::move(text), r, style, 0, {}};
}
inline ControlTemplate groupBox(QString text, DialogRect r) {
  return {IDC_STATIC, ControlKind::GroupBox, std::move(text), r, kStyleNone, 0, {}};
}
inline ControlTemplate listBox(int id, DialogRect r, unsigned style = kTabStop | kVScroll) {
  return {id, ControlKind::ListBox, {}, r, style, 0, {}};
}
inline ControlTemplate comboBox(int id, DialogRect r, unsigned style = kTabStop | kDropDownList) {
  return {id, ControlKind::ComboBox, {}, r, style, 0, {}};
}
inline ControlTemplate treeView(int id, DialogRect r,
                                unsigned style = kTabStop | kHasButtons | kHasLines | kLinesAtRoot) {
  return {id, ControlKind::TreeView, {}, r, style, 0, {}};
}
inline ControlTemplate listView(int id, DialogRect r, std::vector<ListViewColumn> columns = {},
                                unsigned style = kTabStop | kShowSelAlways | kSingleSelection) {
  return {id, ControlKind::ListView, {}, r, style, 0, std::move(columns)};
}
inline ControlTemplate ipAddress(int id, DialogRect r) {
  return {id, ControlKind::IpAddress, {}, r, kTabStop, 0, {}};
}
inline ControlTemplate bitmapButton(int id, UINT bitmapId, DialogRect r, unsigned style = kTabStop) {
  return {id, ControlKind::BitmapButton, {}, r, style, bitmapId, {}};
}
inline ControlTemplate picture(UINT bitmapId, DialogRect r, int id = IDC_STATIC) {
  return {id, ControlKind::Picture, {}, r, kStyleNone, bitmapId, {}};
}
inline ControlTemplate icon(UINT iconId, DialogRect r, int id = IDC_STATIC) {
  return {id, ControlKind::Icon, {}, r, kStyleNone, iconId, {}};
}

}  // namespace dlg
}  // namespace gui
