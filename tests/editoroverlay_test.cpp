#include "editoroverlay.h"

#include <gtest/gtest.h>

// A long message wraps at spaces into rows of the status line, 80
// characters at most; past the last row it ends in "...".
TEST(EditorOverlay, LongMessagesWrapAtSpaces) {
  const std::string word(30, 'w'), tail = " " + word + " " + word;
  const std::vector<std::string> rows = wraprows(word + tail + tail + tail, 3);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], word + " " + word);
  EXPECT_EQ(rows[1], word + " " + word);
  EXPECT_EQ(rows[2].size(), 80u);
  EXPECT_EQ(rows[2].substr(77), "...");
  EXPECT_EQ(wraprows(std::string(161, 'x'), 4).size(), 3u);  // a word too long for a row is cut
  EXPECT_EQ(statusheight({"x", ""}), StatusHeight);
  EXPECT_EQ(statusheight({"x", std::string(300, 'x')}), 5 * StatusRowHeight);
}

// Problems of one place share a ring; the place PgDn went to is drawn last,
// over the others.
TEST(EditorOverlay, ProblemsOfOnePlaceShareARing) {
  const std::vector<MarkedPlace> places = markedplaces({{5, 5, 1}, {9, 9, 2}, {5, 5, 3}, {7, 7, 4}}, 3);
  ASSERT_EQ(places.size(), 3u);
  EXPECT_EQ(places[0].numbers, "2");
  EXPECT_EQ(places[1].numbers, "4");
  EXPECT_EQ(places[2].numbers, "1,3");
  EXPECT_EQ(std::make_tuple(places[0].current, places[1].current, places[2].current),
            std::make_tuple(false, false, true));
}
