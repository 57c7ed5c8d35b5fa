#pragma once
// The requests to end a program that come from outside it: SIGTERM (a kill, a shutdown), SIGINT (Ctrl+C
// in its terminal) and SIGHUP (its terminal or the desktop session closing). They are turned into bytes on
// a pipe, so that the program ends from its event loop, writing what it must keep, instead of dying where
// it stands.

namespace tabulo {

// Installs the handlers (once per process) and returns the end of the pipe to watch: it becomes readable
// when an end was requested, and each byte read is the number of the signal. -1 when no pipe could be made.
int EndRequestPipe();

}  // namespace tabulo
