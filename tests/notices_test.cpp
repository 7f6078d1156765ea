#include "notices.h"

#include <gtest/gtest.h>

#include <string>

TEST(StopWords, EachStopHasItsWordsAndTheWeightierOneWins) {
  const std::pair<LevelStop, std::string> rows[] = {
      {{}, ""}, {{false, false, false, false, 1.99f}, ""},  // not yet two seconds
      {{false, false, false, false, 2.0f}, "Out of fuel: press Esc to leave the level"},
      {{false, false, false, true, 5.0f}, "Leaving the level"}, {{false, false, true, true, 5.0f}, "Ship lost"},
      {{false, true, false, true, 5.0f}, ""},  // docked after Esc: the banner says it
      {{true, false, true, true, 5.0f}, "Paused"}};
  for (const auto& [stop, words] : rows) EXPECT_EQ(stopwords(stop) ? stopwords(stop) : "", words);
}
