#include "dialogs/about_box.h"

#include "resources/resource_ids.h"

CAboutBox::CAboutBox(gui::Window* owner) : gui::Dialog(quillon::IDD_ABOUTBOX, owner) {}

bool CAboutBox::OnInitDialog() {
  description_ = QStringLiteral("Quillon");
  SetWindowText("About " + description_);
  legalNotice_ = QStringLiteral("Copyright (C) Velmora");
  // Minor version and third part run together, as "1.00" for 1.0.0.
  versionLine_ = QStringLiteral("%1 Version %2.%3%4")
                     .arg(description_)
                     .arg(QUILLON_VERSION_MAJOR)
                     .arg(QUILLON_VERSION_MINOR)
                     .arg(QUILLON_VERSION_PATCH);
  return gui::Dialog::OnInitDialog();
}

void CAboutBox::DoDataExchange(gui::DataExchange& exchange) {
  exchange.text(quillon::IDC_LEGAL_NOTICE, legalNotice_);
  exchange.text(quillon::IDC_VERSION_LINE, versionLine_);
}
