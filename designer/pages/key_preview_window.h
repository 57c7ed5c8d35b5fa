#pragma once
// A window of the designer that sees the keys before its controls do: Enter anywhere in it, in a text box
// or on a button, closes the window (`Form_KeyPress` with 13), as the line editor and the group title
// window always did.

#include <QWidget>

class QKeyEvent;

namespace tabulo {

class KeyPreviewWindow : public QWidget {
 public:
  explicit KeyPreviewWindow(QWidget* owner) : QWidget(owner, Qt::Tool) {}

 protected:
  // Called once the controls are made, so that their keys are seen first.
  void PreviewKeysOfControls();
  void Form_KeyPress(int key_ascii);
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace tabulo
