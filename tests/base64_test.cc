#include "base64.h"

#include <gtest/gtest.h>

#include <tuple>

namespace quenzel::detail {
namespace {

TEST(Base64Test, DecodeAndEncode) {
  using Row = std::tuple<std::string, std::string>;  // text, bytes
  const Row rows[] = {
      {"R0lG", "GIF"},
      {"QUI=", "AB"},
      {"QQ==", "A"},
      {"Pz8+", "?\?>"},           // +
      {"Pz8/", "?\?\?"},          // /
      {"QU\nJD\n", "ABC"},        // bytes outside the alphabet are skipped
      {"QUJDRA", "ABC"},          // a group cut off gives nothing
      {"QQ==QUJD", "A"},          // padding ends the text
      {"QQBC", "A"},              // the result stops at a zero byte
      {"QUJD!QUJDRA", "ABCABC"},  // whole groups around a skipped byte
      {"QUJDQUJDQQ==", "ABCABCA"},
      {"QUJDQU=D", "ABCA"},  // padding inside a group
  };
  for (const auto& [text, bytes] : rows) EXPECT_EQ(DecodeBase64(text), bytes) << text;
  for (const char* plain : {"", "A", "AB", "ABC", "\xff\xfe\x80?>"})
    EXPECT_EQ(DecodeBase64(EncodeBase64(plain)), plain) << plain;
  EXPECT_EQ(EncodeBase64("\xfb\xff"), "+/8=");
}

}  // namespace
}  // namespace quenzel::detail
