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

// A parsed list admits exactly the characters its text admits, bounds
// beyond the byte range, digits counted by value and high bytes included.
TEST(ValueListTest, ParsedListMatchesCharactersAsTheText) {
  for (const char* list : {"A-Z", "Y,N", "0,1", "A,B,C", "0-5", "(3)-7", "3-12", "a-\xe9",
                           "\xe0-\xff", "40-60,7", "-N,5", "1-5-9", "99999999999999999999",
                           "0-9999999", "z-a", ",,", "(", "1,2,3,5,8,13,21,100-200"}) {
    const auto parsed = ParseValueList(list);
    for (int c = 0; c < 256; ++c)
      ASSERT_EQ(MatchesCharacter(*parsed, static_cast<unsigned char>(c)),
                MatchesCharacter(list, static_cast<unsigned char>(c)))
          << list << " " << c;
  }
}

// A field's parsed list follows its text when a host changes the text in
// place, whichever byte of a list of any length changes: it matches what
// the text itself matches.
TEST(ValueListTest, ParsedListFollowsTheText) {
  for (const std::string list : {"7", "1,7", "1,2,3,7", "10,20,30,7", "1,2,3,4,5,6,7,9,7",
                                 "100,200,300,400,7", "1000,2000,3000,4000,5000,7"}) {
    CQuenzelField field(12, "", "", "F", "cp-1252", true, "ITEM");
    field.m_ValueList = list;
    FieldRules::ValueList(field);  // parsed and kept
    for (std::size_t at = 0; at < list.size(); ++at) {
      if (list[at] == ',') continue;
      field.m_ValueList[at] = static_cast<char>('0' + (list[at] - '0' + 1) % 10);
      for (long long v = 0; v <= 6000; ++v)
        ASSERT_EQ(MatchesNumber(FieldRules::ValueList(field), v),
                  MatchesNumber(field.m_ValueList, v))
            << field.m_ValueList << " " << v;
      field.m_ValueList[at] = list[at];
    }
  }
}

}  // namespace
}  // namespace quenzel::detail
