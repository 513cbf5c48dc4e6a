#include "code_page.h"

#include <gtest/gtest.h>
#include <unicode/ucnv.h>

#include <numeric>
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

// What ICU gives for the whole text at once.
std::string IcuToUtf8(const std::string& text, const char* page) {
  std::string out(text.size() * 4 + 16, '\0');
  UErrorCode status = U_ZERO_ERROR;
  const int32_t size = ucnv_convert("utf8", page, &out[0], static_cast<int32_t>(out.size()),
                                    text.data(), static_cast<int32_t>(text.size()), &status);
  out.resize(U_FAILURE(status) ? 0 : static_cast<std::size_t>(size));
  return out;
}

// Single-byte pages convert byte by byte from a table; whatever the page,
// the result is what ICU gives for the text as a whole.
TEST(CodePageTest, AgreesWithIcuOnEveryByte) {
  std::string bytes(256, '\0');
  std::iota(bytes.begin(), bytes.end(), '\0');
  const std::string texts[] = {bytes, std::string(bytes.rbegin(), bytes.rend()),
                               "plain ASCII run of more than eight bytes \xe9t\xe9 \x80\x81\x9d"};
  for (const char* page : {"cp-1252", "cp-1250", "cp-1251", "cp-437", "cp-850", "cp-037", "cp-932"})
    for (const std::string& text : texts) {
      EXPECT_EQ(CodePageToUtf8(text, page), IcuToUtf8(text, page)) << page;
      std::string value = text;  // converted in place, as a field set from its own value
      AssignCodePageToUtf8(value, value, page);
      EXPECT_EQ(value, IcuToUtf8(text, page)) << page;
    }
}

}  // namespace
}  // namespace quenzel::detail
