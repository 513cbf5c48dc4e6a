#include "code_page.h"

#include <gtest/gtest.h>

#include <tuple>

namespace quenzel::detail {
namespace {

TEST(CodePageTest, Conversions) {
  using Row = std::tuple<const char*, std::string, std::string>;  // page, codePageText, utf8
  const Row rows[] = {
      {"cp-1252", "\xe9", "\xc3\xa9"},
      {"cp-932", "\x82\xa0", "\xe3\x81\x82"},
      {"cp-", "", ""},  // an unknown page converts nothing
  };
  for (const auto& [page, codePageText, utf8] : rows) {
    const std::string input = codePageText.empty() ? "abc" : codePageText;
    EXPECT_EQ(CodePageToUtf8(input, page), utf8) << page << " " << input;
    EXPECT_EQ(Utf8ToCodePage(utf8.empty() ? "abc" : utf8, page), codePageText) << page;
  }
  EXPECT_EQ(Utf8ToCodePage("\xe4\xb8\xad", "cp-1252"), "\x1a") << "a character cp-1252 lacks";
  EXPECT_EQ(CodePageToUtf8(std::string(500, '\x80'), "cp-1252").size(), 1500u);  // euro signs
}

}  // namespace
}  // namespace quenzel::detail
