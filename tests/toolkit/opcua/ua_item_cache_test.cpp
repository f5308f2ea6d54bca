// Tests of the cache of item ID lookups: what it finds, and that a new name space version
// forgets everything.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/c_tag.h"
#include "toolkit/opcua/ua_item_cache.h"

TEST(UaItemCache, FindsEachTextExactlyAndForgetsAllAtANewVersion) {
  // IDs as a project forms them: long common prefixes, same lengths, differing at the end.
  std::vector<CTag> tags(3000);
  std::vector<std::string> ids;
  for (int k = 0; k < 3000; ++k) {
    ids.push_back("Floor " + std::to_string(k / 256) + ".Function 0." + std::to_string(k / 256) +
                  "/0/" + std::to_string(k % 256));
  }
  UaItemCache cache;
  for (std::size_t k = 0; k < ids.size(); ++k) {
    ASSERT_EQ(cache.Find(ids[k], 7), nullptr);
    cache.Insert(ids[k], &tags[k], 7);
  }
  EXPECT_EQ(cache.Size(), ids.size());
  for (std::size_t k = 0; k < ids.size(); ++k) ASSERT_EQ(cache.Find(ids[k], 7), &tags[k]) << k;
  // Exact texts only: another case, a prefix or a longer text is not what was remembered.
  EXPECT_EQ(cache.Find("floor 0.Function 0.0/0/1", 7), nullptr);
  EXPECT_EQ(cache.Find("Floor 0.Function 0.0/0/", 7), nullptr);
  EXPECT_EQ(cache.Find("Floor 0.Function 0.0/0/10 ", 7), nullptr);
  EXPECT_EQ(cache.Find("", 7), nullptr);

  // The same text again keeps the first answer.
  cache.Insert(ids[0], &tags[1], 7);
  EXPECT_EQ(cache.Find(ids[0], 7), &tags[0]);

  // Another version: nothing is known any more, and a late insert of the old one is dropped.
  EXPECT_EQ(cache.Find(ids[5], 8), nullptr);
  EXPECT_EQ(cache.Size(), 0u);
  cache.Insert(ids[5], &tags[5], 7);
  EXPECT_EQ(cache.Find(ids[5], 8), nullptr);
  cache.Insert(ids[5], &tags[6], 8);
  EXPECT_EQ(cache.Find(ids[5], 8), &tags[6]);
  // Short texts (under one word) are told apart as well.
  cache.Insert("a", &tags[10], 8);
  cache.Insert("b", &tags[11], 8);
  EXPECT_EQ(cache.Find("a", 8), &tags[10]);
  EXPECT_EQ(cache.Find("b", 8), &tags[11]);
  EXPECT_EQ(cache.Find("ab", 8), nullptr);
}
