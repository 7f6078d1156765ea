#include "notices.h"

#include <gtest/gtest.h>

#include <string>

#include "data.h"
#include "gamedata.h"
#include "support/testsupport.h"

namespace {

std::string words(const LevelStop& stop) {
  const char* text = stopwords(stop);
  return text ? text : "";
}

}  // namespace

TEST(StopWords, EachStopHasItsWordsAndTheWeightierOneWins) {
  const std::string fuel = "Out of fuel: press Esc to leave the level";
  struct Row {
    LevelStop stop;
    std::string says;
  };
  const Row rows[] = {
      {{}, ""},
      {{false, false, false, false, 1.99f}, ""},  // not yet two seconds
      {{false, false, false, false, 2.0f}, fuel},
      {{false, false, false, true, 5.0f}, "Leaving the level"},
      {{false, false, true, true, 5.0f}, "Ship lost"},
      {{false, true, false, true, 5.0f}, ""},  // docked after Esc: the banner says it
      {{true, false, true, true, 5.0f}, "Paused"},
  };
  for (const Row& row : rows) EXPECT_EQ(words(row.stop), row.says) << row.says;
}

TEST(StopWords, WordsAreWhiteOnADarkenedBandCentredWhereAsked) {
  initallegro();
  FONT* f = static_cast<FONT*>(datafile[DataFont].dat);
  const char* text = "Ship lost";
  const WordsBox box = wordsbox(f, text, 320, 96);
  EXPECT_EQ(box.y, 96);
  EXPECT_NEAR(box.x + box.w / 2, 320, 1);
  EXPECT_GT(box.w, text_length(f, text));
  EXPECT_GT(box.h, text_height(f));
  BITMAP* b = create_bitmap(640, 480);
  const int white = makecol(255, 255, 255), grey = makecol(200, 200, 200);
  clear_to_color(b, grey);
  drawwords(b, f, text, box, 0, 10);  // shifted ten rows down
  int whites = 0;
  for (int y = box.y + 10; y < box.y + 10 + box.h; y++)
    for (int x = box.x; x < box.x + box.w; x++) whites += getpixel(b, x, y) == white;
  EXPECT_GT(whites, 20);  // the letters
  const int band = getpixel(b, box.x + 1, box.y + 11);
  EXPECT_LT(getr(band), 100);   // darkened
  EXPECT_GT(getr(band), 10);    // but the view still shows through
  EXPECT_EQ(getpixel(b, box.x - 1, box.y + 11), grey);  // nothing outside the band
  EXPECT_EQ(getpixel(b, box.x + 1, box.y + 9), grey);
  destroy_bitmap(b);
}
