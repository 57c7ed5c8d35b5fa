#include "designer/mainwindow/prompts_dialog.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include "designer/pages/widget_helpers.h"

namespace tabulo {
namespace {

QWidget* Owner() {
  return QApplication::activeWindow();
}

// A pattern with a wildcard ("*.TB1") filters the list; a plain name ("DATA.XLS") is the file the dialog
// starts on, with its extension as the filter.
QString Filter(const std::string& pattern) {
  if (pattern.find('*') != std::string::npos) return Q(pattern) + ";;*";
  size_t dot = pattern.rfind('.');
  return dot == std::string::npos ? QString("*") : "*" + Q(pattern.substr(dot)) + ";;*";
}

QString StartName(const std::string& pattern) {
  return pattern.find('*') != std::string::npos ? QString() : Q(pattern);
}

// The application's name stands in a box without a title of its own, as message boxes always showed it.
QString TitleOr(const std::string& title) {
  return title.empty() ? QApplication::applicationName() : Q(title);
}

}  // namespace

std::optional<std::string> QtPrompts::OpenFileName(const std::string& title, const std::string& pattern) {
  QString chosen = QFileDialog::getOpenFileName(Owner(), Q(title), StartName(pattern), Filter(pattern));
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.toStdString();
}

std::optional<std::string> QtPrompts::SaveFileName(const std::string& title, const std::string& pattern) {
  QString chosen = QFileDialog::getSaveFileName(Owner(), Q(title), StartName(pattern), Filter(pattern));
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.toStdString();
}

void QtPrompts::Message(const std::string& text, const std::string& title) {
  QMessageBox::information(Owner(), TitleOr(title), Q(text));
}

bool QtPrompts::YesNo(const std::string& text, const std::string& title) {
  return QMessageBox::question(Owner(), TitleOr(title), Q(text), QMessageBox::Yes | QMessageBox::No) ==
         QMessageBox::Yes;
}

std::optional<std::string> QtPrompts::Input(const std::string& prompt, const std::string& title,
                                            const std::string& default_text) {
  bool ok = false;
  QString answer =
      QInputDialog::getText(Owner(), TitleOr(title), Q(prompt), QLineEdit::Normal, Q(default_text), &ok);
  if (!ok) return std::nullopt;
  return answer.toStdString();
}

std::optional<int32_t> QtPrompts::Colour(int32_t initial) {
  QColor start(initial & 0xFF, (initial >> 8) & 0xFF, (initial >> 16) & 0xFF);
  QColor chosen = QColorDialog::getColor(start, Owner());
  if (!chosen.isValid()) return std::nullopt;
  return chosen.red() | (chosen.green() << 8) | (chosen.blue() << 16);
}

}  // namespace tabulo
