#pragma once

// Push buttons, check boxes and radio buttons; and the bitmap button, a push
// button that shows a bitmap resource instead of text.

#include "gui/control.h"

namespace gui {

class Button : public Control {
 public:
  using Control::Control;

  int GetCheck() const;  // BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE
  // Sets the state without a click notification. Checking a radio button
  // clears the others of its group.
  void SetCheck(int check);
  // Presses the button as the user would (sends its click notification).
  void Click();
};

class BitmapButton : public Button {
 public:
  using Button::Button;

  // Shows bitmap resources: the normal image and, optionally, the images for
  // the pressed, focused and disabled states. False if `normalId` is unknown.
  bool LoadBitmaps(UINT normalId, UINT selectedId = 0, UINT focusId = 0, UINT disabledId = 0);
};

}  // namespace gui
