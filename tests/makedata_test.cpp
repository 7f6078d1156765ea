#include <gtest/gtest.h>

#include <string>

#include "makedata/bake.h"
#include "support/testsupport.h"

TEST(MakeData, BakingTwiceGivesIdenticalBytes) {
  initallegro();
  std::string dir = maketempdir(), why;
  for (const char* name : {"/one.dat", "/two.dat"}) ASSERT_TRUE(bakedatafile((dir + name).c_str(), why)) << why;
  std::string first = readfile(dir + "/one.dat");
  ASSERT_GT(first.size(), 100000u);
  EXPECT_TRUE(first == readfile(dir + "/two.dat"));
  // The build's own bake, in another process, wrote the same file too.
  EXPECT_TRUE(first == readfile(rundir() + "/data.dat"));
}
