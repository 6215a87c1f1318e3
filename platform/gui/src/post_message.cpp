#include "gui/post_message.h"

#include "message_queue.h"

namespace gui {

bool PostMessage(WindowHandle target, UINT message, WPARAM wParam, LPARAM lParam) {
  return MessageQueue::instance().post(target, message, wParam, lParam);
}

}  // namespace gui
