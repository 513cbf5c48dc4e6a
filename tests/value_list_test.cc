#include "value_list.h"

#include <gtest/gtest.h>

namespace quenzel::detail {
namespace {

TEST(ValueListTest, NumberMatching) {
  struct Row {
    const char* list;
    long long v;
    bool match;
  };
  const Row rows[] = {
      {"1-5", 1, true},
      {"1-5", 5, true},
      {"1-5", 6, false},
      {"1-5", 0, false},
      {"1-5,(3)-0,10", -2, true},
      {"1-5,(3)-0,10", 10, true},
      {"1-5,(3)-0,10", 7, false},
      {"-7", 7, true},
      {"-7", 0, false},
      {"1-5-9", 7, false},
      {",", 0, false},
      {"3,", 3, true},
      {"(5)", -5, true},
  };
  for (const Row& r : rows) EXPECT_EQ(MatchesNumber(r.list, r.v), r.match) << r.list << " " << r.v;
}

TEST(ValueListTest, CharacterMatching) {
  struct Row {
    const char* list;
    unsigned char c;
    bool match;
  };
  const Row rows[] = {
      {"A", 'A', true},       {"Z", 'Z', true},   {"a", 'a', true},
      {"z", 'z', true},       {"A-Z", 'Z', true}, {"A-Z", '[', false},
      {"A-Z", '@', false},    {"Y,N", 'N', true}, {"Y,N", 'X', false},
      {"-N", 'N', true},      {"0-5", '5', true}, {"0-5", '6', false},
      {"0-5", 3, true},       {"7", '7', true},   {"65", 'A', true},
      {"a-\xe9", 'b', false},  // a high byte ends a letter range below every letter
  };
  for (const Row& r : rows)
    EXPECT_EQ(MatchesCharacter(r.list, r.c), r.match) << r.list << " " << int(r.c);
}

}  // namespace
}  // namespace quenzel::detail
