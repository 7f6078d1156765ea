#pragma once

// Ending the program on SIGTERM, SIGINT or SIGHUP. The handler only notes
// the signal. The frame loop, the dialogs and the editor's passes call
// checkstop, which throws StopSignal out to runmarsflyer; there the display
// is closed and the program ends by the same signal, so that whoever
// started it sees the usual status (128 + the signal's number in a shell).
// Nothing is saved on the way out. A second signal before then ends the
// program at once.

struct StopSignal {
  int signal;
};

// Takes over the three signals. Call after install_allegro, whose own
// handlers for them shut Allegro down inside the handler, which aborts or
// hangs when the signal comes while a frame is being drawn.
void catchstopsignals();

// The signal that asked the program to stop; 0 while none has come.
int stopsignal();

// Throws StopSignal once a signal has come.
void checkstop();

// Shuts Allegro down (the display back as it was) and ends the program by
// `signal`, with its default action.
[[noreturn]] void endbysignal(int signal);
