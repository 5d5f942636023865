// Most-recent-first history lists.

#include <gtest/gtest.h>

#include "project/History.h"

namespace qvs {
namespace {

using TItems = std::vector<std::string>;

THistory Filled(int max, const TItems& oldestFirst, bool caseSensitive = false) {
  THistory h(max, caseSensitive);
  for (const auto& item : oldestFirst) h.Add(item);
  return h;
}

TEST(History, AddingPutsTheItemOnTopOnceIgnoringCase) {
  EXPECT_EQ(Filled(5, {"a", "b", "c"}).Items(), (TItems{"c", "b", "a"}));
  EXPECT_EQ(Filled(5, {"a", "b", "A"}).Items(), (TItems{"A", "b"}));
  EXPECT_EQ(Filled(5, {"a", "b", "A"}, /*caseSensitive=*/true).Items(), (TItems{"A", "b", "a"}));
  EXPECT_EQ(Filled(5, {"a", "", "b"}).Items(), (TItems{"b", "a"}));
}

TEST(History, AddingToAFullListDropsTheOldest) {
  THistory h(10);
  for (int i = 1; i <= 10; ++i) h.Add("Project " + std::to_string(i));
  ASSERT_EQ(h.Count(), 10);
  h.Add("Project 11");
  EXPECT_EQ(h.Count(), 10);
  EXPECT_EQ(h[0], "Project 11");
  EXPECT_EQ(h[9], "Project 2");
  EXPECT_FALSE(h.Contains("Project 1"));
  // Moving an item already listed to the top drops nothing.
  h.Add("Project 5");
  EXPECT_EQ(h.Count(), 10);
  EXPECT_EQ(h[0], "Project 5");
  EXPECT_TRUE(h.Contains("Project 2"));
}

TEST(History, AListReadFromAFileIsNotCutButLosesOneEntryPerAdd) {
  THistory h(3);
  h.Assign({"a", "b", "c", "d"});  // a list read from a file is not cut
  EXPECT_EQ(h.Count(), 4);
  h.Add("e");
  EXPECT_EQ(h.Items(), (TItems{"e", "a", "b", "c"}));  // only one entry goes
}

}  // namespace
}  // namespace qvs
