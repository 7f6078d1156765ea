#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flylevels/run.h"

using namespace pilot;

// The flylevels test flies the shipped levels and reads the status; the rest is checked here.
TEST(Pilot, CommandLineNamesLevelsFilesAndPictures) {
  auto parse = [](std::vector<const char*> args, FlyOptions& o) {
    args.insert(args.begin(), "flylevels");
    std::string why;
    return parseflyoptions(int(args.size()), const_cast<char**>(args.data()), o, why);
  };
  FlyOptions all, two, files, bad;
  ASSERT_TRUE(parse({}, all));
  EXPECT_EQ(all.levels, (std::vector<int>{1, 2, 3, 4, 5, 6}));
  ASSERT_TRUE(parse({"--step", "0.005", "2", "5"}, two));
  EXPECT_EQ(two.levels, (std::vector<int>{2, 5}));
  EXPECT_FLOAT_EQ(two.flight.step, 0.005f);
  ASSERT_TRUE(parse({"--picture", "t.bmp", "a.txt", "b.txt"}, files));
  EXPECT_TRUE(files.levels.empty());
  EXPECT_EQ(files.objectsfile, "b.txt");
  for (std::vector<const char*> wrong : {std::vector<const char*>{"7"}, {"--step", "0.1", "1"}, {"--picture", "t.png", "1"}, {"a.txt"}})
    EXPECT_FALSE(parse(wrong, bad));
  EXPECT_EQ(picturefor("out/trail.bmp", 3, true), "out/trail3.bmp");
  EXPECT_EQ(picturefor("trail.bmp", 3, false), "trail.bmp");
}

TEST(Pilot, FlightBelowTheFuelMarginOfEitherGasFails) {
  FlightReport low;
  low.finished = true;
  low.hydrogen = 0.5f;
  low.oxygen = 0.2f;
  EXPECT_FALSE(flightpasses(low));
  EXPECT_NE(describeflight(low).find("BELOW THE FUEL MARGIN"), std::string::npos);
  low.underfire = 12.3f;
  EXPECT_NE(describeflight(low).find("finished in 0.00 s, under fire 12.30 s, "), std::string::npos);
  low.oxygen = 0.3f;
  EXPECT_TRUE(flightpasses(low));
  low.hydrogen = 0.2f;
  EXPECT_FALSE(flightpasses(low));
}
