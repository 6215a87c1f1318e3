#pragma once

// Running a parameter dialog under the modal script: the test's script acts
// as the user, and the helpers check what a refused field does.

#include <gtest/gtest.h>

#include <QWidget>
#include <functional>

#include "gui/testing/testing.h"
#include "resources/quillon_resources.h"

namespace dialogs_test {

using gui::testing::DialogDriver;
using gui::testing::modalScript;

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override { quillon::RegisterQuillonResources(); }
};

// Shows `dialog` modally; `script` runs once it is open. Returns DoModal's result.
template <class D>
INT_PTR run(D& dialog, std::function<void(DialogDriver&)> script) {
  modalScript().expectDialog(dialog.templateId(), std::move(script));
  return dialog.DoModal();
}

// Types `text` into `field`, presses OK and expects `prompt`; the dialog must
// stay open with the field focused.
inline void expectRefused(DialogDriver& d, int field, const QString& text, const QString& prompt) {
  SCOPED_TRACE(::testing::Message() << "field " << field << " with \"" << text.toStdString() << "\"");
  d.setText(field, text);
  modalScript().expectMessageBox(gui::IDOK, prompt);
  d.press(gui::IDOK);
  EXPECT_FALSE(d.ended());
  EXPECT_EQ(d.dialog().widget()->focusWidget(), d.control(field));
}

}  // namespace dialogs_test
