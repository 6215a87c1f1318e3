#pragma once

// Data exchange between a dialog's members and its controls, written once
// for both directions in DoDataExchange:
//
//   void DoDataExchange(gui::DataExchange& dx) override {
//     dx.text(2001, server_);
//     dx.text(1052, deadband_);
//     dx.minMax(1052, deadband_, 0.0, 100.0);
//     dx.check(1063, caseSensitive_);
//   }
//
// When saving, text that is not a number of the member's kind, or a value
// outside its range, shows the standard prompt ("Please enter an integer."
// ...), puts the focus on the field and fails the exchange; later calls of
// the same exchange then do nothing. Checks (maxChars, minMax) run only
// when saving, except that maxChars also limits the field when loading.

#include <QString>
#include <string>

#include "gui/types.h"

namespace gui {

class Window;

class DataExchange {
 public:
  DataExchange(Window& window, bool saveAndValidate);

  bool saveAndValidate() const { return save_; }
  bool failed() const { return failed_; }
  Window& window() const { return window_; }

  // Text fields (edits, editable combo boxes, labels).
  void text(int id, QString& value);
  void text(int id, std::string& value);  // UTF-8
  void text(int id, int& value);
  void text(int id, unsigned& value);
  void text(int id, short& value);
  void text(int id, BYTE& value);
  void text(int id, float& value);
  void text(int id, double& value);

  // Check boxes: BST_UNCHECKED / BST_CHECKED / BST_INDETERMINATE, or a flag.
  void check(int id, int& state);
  void check(int id, bool& checked);
  // The radio group that starts at `firstId`: the index of the checked
  // button within the group, -1 for none.
  void radio(int firstId, int& index);

  // List and combo boxes: the selected index (-1 none) or text.
  void listIndex(int id, int& index);
  void listText(int id, QString& text);
  void comboIndex(int id, int& index);
  // Editable combo box: the edit text; drop-down list: the selected entry's text.
  void comboText(int id, QString& text);
  // The item data of the selected entry. Saving with nothing selected leaves
  // `value` alone; loading selects the first entry with that data (or none).
  template <class T>
  void comboItemData(int id, T& value) {
    DWORD_PTR data = static_cast<DWORD_PTR>(value);
    if (comboItemDataImpl(id, data) && save_) value = static_cast<T>(data);
  }

  // Checks when saving; maxChars also limits the field when loading.
  void maxChars(int id, const QString& value, int count);
  void maxChars(int id, const std::string& value, int count);
  void minMax(int id, int value, int min, int max);
  void minMax(int id, unsigned value, unsigned min, unsigned max);
  void minMax(int id, double value, double min, double max);
  void minMax(int id, float value, float min, float max);

  // Shows `prompt`, focuses control `id` and fails the exchange.
  void fail(int id, const QString& prompt);

 private:
  bool active() const { return !failed_; }
  QString controlText(int id) const;
  void setControlText(int id, const QString& text);
  bool comboItemDataImpl(int id, DWORD_PTR& data);
  template <class T>
  void integerText(int id, T& value, long long min, long long max, UINT promptId);

  Window& window_;
  bool save_;
  bool failed_ = false;
};

}  // namespace gui
