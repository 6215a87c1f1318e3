#include "gui/testing/popup_menu_driver.h"

#include <gtest/gtest.h>

#include <QMenu>

#include "gui/menu.h"

namespace gui::testing {
namespace {

QString plain(QString text) {
  text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
  text.remove(QLatin1Char('&'));
  text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
  return text;
}

}  // namespace

std::vector<PopupMenuDriver::Entry> PopupMenuDriver::entries() const {
  std::vector<Entry> result;
  for (const QAction* action : menu_->actions()) {
    Entry entry;
    entry.separator = action->isSeparator();
    entry.popup = action->menu() != nullptr;
    entry.id = entry.popup || entry.separator ? 0 : Menu::commandIdOf(action);
    entry.text = action->text();
    entry.enabled = action->isEnabled();
    result.push_back(entry);
  }
  return result;
}

std::vector<QString> PopupMenuDriver::commandTexts() const {
  std::vector<QString> texts;
  for (const Entry& entry : entries()) {
    if (!entry.separator) texts.push_back(plain(entry.text));
  }
  return texts;
}

void PopupMenuDriver::choose(UINT id) {
  for (const Entry& entry : entries()) {
    if (!entry.separator && !entry.popup && entry.id == id) {
      if (!entry.enabled) {
        ADD_FAILURE() << "Menu entry " << id << " is greyed";
        return;
      }
      chosen_ = id;
      return;
    }
  }
  ADD_FAILURE() << "The pop-up menu has no entry " << id;
}

void PopupMenuDriver::choose(const QString& text) {
  for (const Entry& entry : entries()) {
    if (!entry.separator && !entry.popup && (entry.text == text || plain(entry.text) == text)) {
      choose(entry.id);
      return;
    }
  }
  ADD_FAILURE() << "The pop-up menu has no entry \"" << text.toStdString() << "\"";
}

}  // namespace gui::testing
