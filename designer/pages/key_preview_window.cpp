#include "designer/pages/key_preview_window.h"

#include <QKeyEvent>

namespace tabulo {
namespace {

bool IsEnterKey(const QKeyEvent* event) {
  return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

}  // namespace

void KeyPreviewWindow::PreviewKeysOfControls() {
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

void KeyPreviewWindow::Form_KeyPress(int key_ascii) {
  if (key_ascii == 13) close();
}

bool KeyPreviewWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && IsEnterKey(static_cast<QKeyEvent*>(event))) {
    Form_KeyPress(13);
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void KeyPreviewWindow::keyPressEvent(QKeyEvent* event) {
  if (IsEnterKey(event)) {
    Form_KeyPress(13);
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace tabulo
