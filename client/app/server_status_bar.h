#pragma once

// The main window's status bar. Its server-state pane is drawn by the bar
// itself: the state's name and a lamp, green while the server runs, red when
// it failed, yellow for the other states the OPC standard names, grey while
// not connected or for a state the client does not know.

#include <QPixmap>
#include <QString>

#include "gui/status_bar.h"

class CServerStatusBar : public gui::StatusBar {
 public:
  // The state shown while not connected.
  static constexpr int kNotConnected = -1;

  // What the pane shows for a state: its text and the lamp's bitmap id.
  struct StateLook {
    const char* text;
    UINT bitmapId;
  };
  static StateLook LookOf(int state);

  // Loads the lamps; the bitmap resources must be registered by then.
  CServerStatusBar();

  // Remembers which pane shows the state (set once the indicators are).
  void SetServerStatePane(int index) { statePane_ = index; }
  int serverStatePane() const { return statePane_; }

  // Stores the state and redraws the pane, but only when it changed.
  void SetServerState(int state);
  // The same for "not connected".
  void SetNotConnected();
  int GetServerState() const { return serverState_; }

  // The width of the lamp mask, which the pane leaves for the lamp.
  int lampWidth() const { return mask_.width(); }

 protected:
  void DrawItem(QPainter& painter, const QRect& rect, int index) override;

 private:
  int serverState_ = kNotConnected;
  int statePane_ = 0;
  QPixmap mask_;
  QPixmap lampOff_;
  QPixmap lampRunning_;
  QPixmap lampFailed_;
  QPixmap lampAttention_;
};
