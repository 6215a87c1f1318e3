#include "dialogs/about_box.h"

#include "resources/resource_ids.h"
#include "win/winerror.h"

CAboutBox::CAboutBox(gui::Window* owner) : gui::Dialog(quillon::IDD_ABOUTBOX, owner) {}

QString CAboutBox::versionString(const char* name) const {
  const char* text = versionReader_.GetVersionString(name);
  return text != nullptr ? QString::fromUtf8(text) : QString();
}

bool CAboutBox::OnInitDialog() {
  // The version resource is read as the window is created; without it the
  // box is not shown at all.
  const QByteArray fileName = versionFile_.toLocal8Bit();
  if (FAILED(versionReader_.Load(versionFile_.isEmpty() ? nullptr : fileName.constData()))) {
    EndDialog(-1);
    return false;
  }
  description_ = versionString("FileDescription");
  SetWindowText("About " + description_);
  legalNotice_ = versionString("LegalCopyright");
  // Minor version and third part run together: 3.4.3 reads as 3.43.
  versionLine_ = QString::asprintf("%s Version %u.%u%u", description_.toUtf8().constData(),
                                   unsigned{versionReader_.GetMajorVersion()},
                                   unsigned{versionReader_.GetMinorVersion()},
                                   unsigned{versionReader_.GetThirdVersionPart()});
  return gui::Dialog::OnInitDialog();
}

void CAboutBox::DoDataExchange(gui::DataExchange& exchange) {
  exchange.text(quillon::IDC_LEGAL_NOTICE, legalNotice_);
  exchange.text(quillon::IDC_VERSION_LINE, versionLine_);
}
