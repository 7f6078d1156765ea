#include "signals.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

// Each case runs in a child process of its own (a death test): a signal
// taken there stays there.

namespace {

// Takes `signal` as a signal from outside would come, then does what the
// game's loops and runmarsflyer do with it.
void stopby(int signal) {
  catchstopsignals();
  kill(getpid(), signal);
  if (stopsignal() != signal) _exit(10);
  std::fprintf(stderr, "noted\n");
  try {
    checkstop();
  } catch (const StopSignal& stop) {
    endbysignal(stop.signal);
  }
  _exit(11);
}

// A second signal while the first waits for a check: stuck somewhere.
void stopbytwice(int signal) {
  catchstopsignals();
  kill(getpid(), signal);
  if (stopsignal() != signal) _exit(10);
  std::fprintf(stderr, "noted\n");
  kill(getpid(), signal);
  _exit(12);
}

}  // namespace

TEST(Signals, EachStopSignalIsNotedThrownAtTheNextCheckAndEndsTheProgramByItself) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal);
    EXPECT_EXIT(stopby(signal), testing::KilledBySignal(signal), "noted");
  }
}

TEST(Signals, ASecondSignalEndsTheProgramAtOnce) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(stopbytwice(SIGTERM), testing::KilledBySignal(SIGTERM), "noted");
}
