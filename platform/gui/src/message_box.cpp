#include "gui/message_box.h"

#include "gui/application.h"
#include "gui/modal_seam.h"
#include "gui/resources.h"

namespace gui {

int MessageBox(Window* owner, const QString& text, const QString& caption, UINT type) {
  MessageBoxRequest request;
  request.text = text;
  request.caption = caption.isEmpty() ? Application::appName() : caption;
  request.type = type;
  request.owner = owner != nullptr ? owner : GetActiveWindow();
  const ModalSeam::Running interaction;
  return ModalSeam::current().runMessageBox(request);
}

int MessageBox(const QString& text, UINT type) { return MessageBox(nullptr, text, {}, type); }

int MessageBox(UINT promptId, UINT type) { return MessageBox(nullptr, LoadString(promptId), {}, type); }

}  // namespace gui
