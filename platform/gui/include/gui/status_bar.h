#pragma once

// A status bar of panes: the message pane (ID_SEPARATOR, first, takes the
// remaining width and shows prompts) and indicator panes, each as wide as its
// string resource. A pane marked SBPS_OWNERDRAW is painted by DrawItem, which
// a derived bar overrides; its width may be set with SetPaneInfo.

#include <vector>

#include "gui/control_bar.h"

class QPainter;
class QStatusBar;

namespace gui {

constexpr UINT SBPS_NORMAL = 0x0000;
constexpr UINT SBPS_NOBORDERS = 0x0100;
constexpr UINT SBPS_POPOUT = 0x0200;
constexpr UINT SBPS_OWNERDRAW = 0x1000;
constexpr UINT SBPS_DISABLED = 0x04000000;
constexpr UINT SBPS_STRETCH = 0x08000000;

class StatusPane;

class StatusBar : public ControlBar {
 public:
  StatusBar();
  ~StatusBar() override;

  // Creates the bar at the bottom of `frame`.
  bool Create(FrameWindow* frame);
  bool SetIndicators(const std::vector<UINT>& ids);
  bool SetIndicators(const UINT* ids, int count) { return SetIndicators(std::vector<UINT>(ids, ids + count)); }

  int GetCount() const { return static_cast<int>(panes_.size()); }
  UINT GetItemID(int index) const;
  int CommandToIndex(UINT id) const;
  // `width` is the width of the pane's text area in pixels.
  void GetPaneInfo(int index, UINT& id, UINT& style, int& width) const;
  void SetPaneInfo(int index, UINT id, UINT style, int width);
  UINT GetPaneStyle(int index) const;
  void SetPaneStyle(int index, UINT style);
  bool SetPaneText(int index, const QString& text);
  QString GetPaneText(int index) const;
  // The pane's drawing area in the bar's coordinates.
  QRect GetItemRect(int index) const;
  // Repaints one pane.
  void InvalidatePane(int index);

  QStatusBar* statusBar() const;
  void OnUpdateCmdUI(CommandTarget& target, bool disableIfNoHandler) override;

 protected:
  // Paints owner-drawn pane `index` inside `rect` (pane coordinates).
  virtual void DrawItem(QPainter& painter, const QRect& rect, int index);

 private:
  friend class StatusPane;

  struct Pane {
    UINT id;
    UINT style;
    int width;
    QString text;
    StatusPane* widget;  // null for the message pane
  };
  std::vector<Pane> panes_;
};

}  // namespace gui
