#pragma once
// --exit-after-first-paint: a windowed program started with it ends, with status 0, as soon as its main
// window has been painted for the first time, and writes nothing on the way out. Start-up benchmarks time a
// start from exec to the first painted window with it, and the package check proves an installed program
// gets that far.

class QWidget;

namespace tabulo {

inline constexpr const char* kExitAfterFirstPaintOption = "--exit-after-first-paint";

// True when the option is among the arguments; it is taken out of them.
bool TakeExitAfterFirstPaint(int& argc, char** argv);
// Ends the program once `window` has finished its first paint.
void ExitAfterFirstPaint(QWidget& window);

}  // namespace tabulo
