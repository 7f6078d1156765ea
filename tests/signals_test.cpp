#include "signals.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

// The end-to-end tests send each signal to the game at work; here, in a
// child process of its own (a death test), a second signal that comes
// before any check, as when the game is stuck, still ends the program.
namespace {

void stopstuck(int signal) {
  catchstopsignals();
  kill(getpid(), signal);
  if (stopsignal() != signal) _exit(10);
  std::fprintf(stderr, "noted\n");  // the first only noted
  kill(getpid(), signal);
  _exit(11);
}

}  // namespace

TEST(Signals, ASecondSignalBeforeAnyCheckEndsTheProgramAtOnce) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) EXPECT_EXIT(stopstuck(signal), testing::KilledBySignal(signal), "noted");
}
