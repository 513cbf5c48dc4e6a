#include "value_list.h"

#include <gtest/gtest.h>

namespace quenzel::detail {
namespace {

TEST(ValueListTest, NumberAndCharacterMatching) {
  const std::tuple<const char*, long long, bool> numbers[] = {{"1-5", 1, true},
                                                              {"1-5", 5, true},
                                                              {"1-5", 6, false},
                                                              {"1-5", 0, false},
                                                              {"1-5,(3)-0,10", -2, true},
                                                              {"1-5,(3)-0,10", 10, true},
                                                              {"-7", 7, true},
                                                              {"-7", 0, false},
                                                              {"1-5-9", 7, false},
                                                              {",", 0, false},
                                                              {"3,", 3, true},
                                                              {"(5)", -5, true}};
  for (const auto& [list, v, match] : numbers)
    EXPECT_EQ(MatchesNumber(list, v), match) << list << v;
  const std::tuple<const char*, unsigned char, bool> characters[] = {
      {"A", 'A', true},   {"Z", 'Z', true},    {"a", 'a', true},      {"z", 'z', true},
      {"A-Z", 'Z', true}, {"A-Z", '[', false}, {"A-Z", '@', false},   {"Y,N", 'X', false},
      {"-N", 'N', true},  {"0-5", '5', true},  {"0-5", '6', false},   {"0-5", 3, true},
      {"7", '7', true},   {"65", 'A', true},   {"a-\xe9", 'b', false}};  // a high byte ends a
                                                                         // letter range below every
                                                                         // letter
  for (const auto& [list, c, match] : characters)
    EXPECT_EQ(MatchesCharacter(list, c), match) << list << " " << int(c);
}

}  // namespace
}  // namespace quenzel::detail
