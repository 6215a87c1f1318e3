// The wait cursor shows while any WaitCursor lives, nested ones included.

#include <gtest/gtest.h>

#include <QApplication>

#include "gui/testing/testing.h"
#include "gui/wait_cursor.h"

namespace gui {
namespace {

Qt::CursorShape shown() {
  const QCursor* cursor = QApplication::overrideCursor();
  return cursor == nullptr ? Qt::ArrowCursor : cursor->shape();
}

TEST(WaitCursor, ShowsWhileAnyLivesAndRestoresTheNormalCursorAfter) {
  EXPECT_EQ(shown(), Qt::ArrowCursor);
  {
    WaitCursor outer;
    EXPECT_EQ(shown(), Qt::WaitCursor);
    {
      WaitCursor inner;
      EXPECT_EQ(WaitCursor::activeCount(), 2);
      QApplication::changeOverrideCursor(Qt::IBeamCursor);  // something replaced it
      inner.Restore();
      EXPECT_EQ(shown(), Qt::WaitCursor);
    }
    EXPECT_EQ(shown(), Qt::WaitCursor);
  }
  EXPECT_EQ(WaitCursor::activeCount(), 0);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace gui
