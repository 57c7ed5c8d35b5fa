#pragma once
// The page windows (line order, default colours, background) exist once: made on first use, then handed
// the main window's current host, loaded when they have something to load, and brought to the front each
// time they are asked for.

#include <QPointer>
#include <QWidget>

#include "designer/pages/page_dialog_host.h"

namespace tabulo {

template <class Window>
Window* ShowPageWindow(QPointer<Window>& instance, const PageDialogHost& host) {
  if (!instance) instance = new Window(host, host.owner);
  instance->SetHost(host);
  if constexpr (requires { instance->Form_Load(); }) instance->Form_Load();
  instance->show();
  instance->raise();
  instance->activateWindow();
  return instance;
}

}  // namespace tabulo
