#include "gui/form_view.h"

#include <QScrollArea>

#include "gui/resources.h"
#include "template_builder.h"

namespace gui {
FormView::FormView(UINT templateId) : templateId_(templateId) {}

QWidget* FormView::createWidget(QWidget* parent) {
  if (Resources::instance().dialog(templateId_) == nullptr) return nullptr;
  // The view's size changes are the scroll area's, so OnSize reports the
  // visible area; the form inside keeps at least the template's size.
  auto* area = new QScrollArea(parent);
  area->setFrameShape(QFrame::NoFrame);
  area->viewport()->setBackgroundRole(QPalette::Window);
  area->setWidgetResizable(true);
  form_ = new QWidget(area);
  form_->setAutoFillBackground(false);
  area->setWidget(form_);
  return area;
}

void FormView::onCreated() {
  const DialogTemplate* dialog = Resources::instance().dialog(templateId_);
  templateSize_ = buildFromTemplate(*dialog, form_, *this);
  form_->setMinimumSize(templateSize_);
}

QRect FormView::GetClientRect() const {
  const auto* area = static_cast<QScrollArea*>(widget());
  return area == nullptr ? QRect() : QRect(QPoint(0, 0), area->viewport()->size());
}

bool FormView::UpdateData(bool saveAndValidate) {
  DataExchange exchange(*this, saveAndValidate);
  DoDataExchange(exchange);
  return !exchange.failed();
}

void FormView::DoDataExchange(DataExchange&) {}

void FormView::OnInitialUpdate() { UpdateData(false); }

}  // namespace gui
