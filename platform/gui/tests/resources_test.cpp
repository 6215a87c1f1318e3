// Resources: the string table with the framework's own strings, command
// prompts split into their parts, and the images shipped with the layer.

#include <gtest/gtest.h>

#include <QPainter>

#include "gui/ids.h"
#include "gui/image_list.h"
#include "gui/resources.h"
#include "gui/testing/testing.h"

namespace gui {
namespace {

TEST(Resources, StringPartsSplitCommandPromptsAtTheLineBreak) {
  struct Case {
    QString text;
    int index;
    QString part;
  };
  const Case cases[] = {
      {"Connects the Quillon to a Server\nConnect", 0, "Connects the Quillon to a Server"},
      {"Connects the Quillon to a Server\nConnect", 1, "Connect"},
      {"Ready", 0, "Ready"},
      {"Ready", 1, ""},
      {"a\nb\nc", 2, "c"},
      {"", 0, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(StringPart(c.text, c.index), c.part) << c.text.toStdString();
}

TEST(Resources, FrameworkStringsArePresentAndAProgramMayReplaceThem) {
  EXPECT_EQ(LoadString(IDS_IDLE_MESSAGE), "Ready");
  EXPECT_EQ(LoadString(ID_INDICATOR_NUM), "NUM");
  EXPECT_EQ(LoadString(IDP_PARSE_UINT), "Please enter a positive integer.");
  EXPECT_EQ(LoadString(IDP_PARSE_INT_RANGE).arg(1).arg(10), "Please enter an integer between 1 and 10.");
  EXPECT_EQ(LoadString(4711), "");
  QString text;
  EXPECT_FALSE(Resources::instance().string(4711, text));

  const QString standard = LoadString(ID_APP_EXIT);
  Resources::instance().addString(ID_APP_EXIT, "Leave\nLeave it");
  EXPECT_EQ(StringPart(LoadString(ID_APP_EXIT), 1), "Leave it");
  Resources::instance().addString(ID_APP_EXIT, standard);
}

TEST(Resources, ShippedImagesHaveTheirSizesAndAreDrawnWithAlpha) {
  struct Case {
    QString file;
    QSize size;
  };
  const Case cases[] = {
      {"lamp_off.png", {14, 14}},     {"lamp_running.png", {14, 14}},   {"lamp_failed.png", {14, 14}},
      {"lamp_attention.png", {14, 14}}, {"lamp_mask.png", {14, 14}},    {"details.png", {16, 16}},
      {"details_disabled.png", {16, 16}}, {"toolbar_session.png", {80, 15}}, {"tree_groups.png", {80, 13}},
      {"tree_machines.png", {224, 16}}, {"app_32.png", {32, 32}},
  };
  for (const Case& c : cases) {
    const UINT id = 5000 + static_cast<UINT>(&c - cases);
    Resources::instance().addBitmap(id, ":/gui/images/" + c.file);
    EXPECT_EQ(LoadBitmap(id).size(), c.size) << c.file.toStdString();
  }
  // A lamp is round: transparent corners, an opaque middle.
  Resources::instance().addBitmap(5100, ":/gui/images/lamp_running.png");
  const QImage lamp = LoadBitmap(5100).toImage();
  EXPECT_EQ(qAlpha(lamp.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(lamp.pixel(7, 7)), 255);
  EXPECT_GT(qGreen(lamp.pixel(7, 7)), qRed(lamp.pixel(7, 7)));
  EXPECT_TRUE(LoadBitmap(4711).isNull());
}

TEST(Resources, ImageListsCutAStripAndMakeTheMaskColourTransparent) {
  QPixmap strip(48, 13);
  strip.fill(QColor(255, 0, 255));
  {
    QPainter painter(&strip);
    painter.fillRect(QRect(16, 0, 16, 13), Qt::blue);
  }
  ImageList images;
  EXPECT_EQ(images.Add(QPixmap(), QColor()), -1);
  ImageList list;
  Resources::instance().addBitmap(5200, ":/gui/images/tree_groups.png");
  ASSERT_TRUE(list.Create(5200, 16, 0, QColor(255, 0, 255)));
  EXPECT_EQ(list.GetImageCount(), 5);
  EXPECT_EQ(list.imageSize(), QSize(16, 13));
  EXPECT_EQ(list.Add(strip, QColor(255, 0, 255)), 5);
  EXPECT_EQ(list.GetImageCount(), 8);
  EXPECT_EQ(qAlpha(list.pixmap(5).toImage().pixel(3, 3)), 0);    // magenta: gone
  EXPECT_EQ(qAlpha(list.pixmap(6).toImage().pixel(3, 3)), 255);  // blue: kept
  EXPECT_TRUE(list.pixmap(99).isNull());
  EXPECT_FALSE(ImageList().Create(4711, 16, 0, QColor()));
}

}  // namespace
}  // namespace gui
