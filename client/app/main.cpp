// Quillon: a test tool for OPC Data Access servers.
//
//   quillon [--connect [--server PROGID] [--machine NAME]] [--screenshot FILE [--screenshot-delay MS]]

#include "app/quillon_app.h"

int main(int argc, char** argv) {
  CQuillonApp app;
  return gui::RunApplication(app, argc, argv);
}
