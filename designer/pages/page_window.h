#pragma once
// The designer's secondary windows: each exists once, held by its owner through a QPointer, made on first
// use and brought to the front each time it is asked for. They are tool windows of the main window, so
// they stay above the designer instead of falling behind it (`Qt::Tool` with the main window as parent).

#include <QPointer>
#include <QWidget>

#include "designer/pages/designer_host.h"

namespace tabulo {

// Shows a secondary window and brings it to the front.
inline void ShowOrRaise(QWidget* window) {
  window->show();
  window->raise();
  window->activateWindow();
}

// The page windows (line order, default colours, background): made as windows of `owner`, and loaded when
// they have something to load.
template <class Window>
Window* ShowPageWindow(QPointer<Window>& instance, DesignerHost& host, QWidget* owner) {
  if (!instance) instance = new Window(host, owner);
  if constexpr (requires { instance->Form_Load(); }) instance->Form_Load();
  ShowOrRaise(instance);
  return instance;
}

}  // namespace tabulo
