#pragma once
// The main window's commands that each show one shared window of their own: Send (`SendAll`) and Receive,
// with the radio library both windows share, and the "Translate" menu ("Translate menu...", "Translation
// settings..."). Installed by the main window when it is built; the windows are owned by it.

namespace tabulo {

class MainWindow;

void InstallLinkCommands(MainWindow& main);
void InstallTranslateCommands(MainWindow& main);

}  // namespace tabulo
