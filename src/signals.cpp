#include "signals.h"

#include <allegro.h>

#include <csignal>
#include <cstdlib>

namespace {

const int StopSignals[] = {SIGTERM, SIGINT, SIGHUP};

volatile std::sig_atomic_t pending = 0;

void restoredefault(int signal) {
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
}

// Runs on whichever thread the signal lands; only async-signal-safe calls.
extern "C" void onstopsignal(int signal) {
  if (pending == 0) {
    pending = signal;
    return;
  }
  // Asked again: the game is stuck somewhere that never checks.
  restoredefault(signal);
  raise(signal);
}

}  // namespace

void catchstopsignals() {
  struct sigaction action = {};
  action.sa_handler = onstopsignal;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (int s : StopSignals) sigaddset(&action.sa_mask, s);
  for (int s : StopSignals) sigaction(s, &action, nullptr);
}

int stopsignal() { return pending; }

void checkstop() {
  if (pending != 0) throw StopSignal{pending};
}

void endbysignal(int signal) {
  allegro_exit();
  restoredefault(signal);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, signal);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  raise(signal);
  std::_Exit(128 + signal);  // not reached: the signal's default action ends the program
}
