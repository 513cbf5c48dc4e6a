#include "base64.h"

#include <utility>

namespace quenzel {
namespace detail {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The value of each byte in the alphabet, -1 for bytes outside it.
struct DecodeTable {
  signed char value[256];
  constexpr DecodeTable() : value() {
    for (signed char& v : value) v = -1;
    for (int i = 0; i < 64; ++i)
      value[static_cast<unsigned char>(kAlphabet[i])] = static_cast<signed char>(i);
  }
};
constexpr DecodeTable kDecode;

int Base64Value(unsigned char c) { return kDecode.value[c]; }

// Ends `out` before its first zero byte.
std::string CutAtZero(std::string out) {
  const std::size_t zero = out.find('\0');
  if (zero != std::string::npos) out.resize(zero);
  return out;
}

}  // namespace

std::string DecodeBase64(const std::string& text) {
  std::string out;
  out.reserve(text.size() / 4 * 3);
  const unsigned char* const data = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t pos = 0;
  for (;;) {
    // Most groups are four characters of the alphabet in a row: three
    // bytes at once. Any other group is read character by character below,
    // skipping and padding as it goes.
    if (text.size() - pos >= 4) {
      const int a = Base64Value(data[pos]), b = Base64Value(data[pos + 1]);
      const int c = Base64Value(data[pos + 2]), d = Base64Value(data[pos + 3]);
      if ((a | b | c | d) >= 0) {
        const char bytes[3] = {static_cast<char>((a << 2) + (b >> 4)),
                               static_cast<char>(((b << 4) + (c >> 2)) & 255),
                               static_cast<char>(((c << 6) + d) & 255)};
        out.append(bytes, 3);
        pos += 4;
        if (text.size() - pos < 4) break;
        continue;
      }
    }
    int values[4];
    bool padded[4];
    for (int k = 0; k < 4; ++k) {
      while (pos < text.size() && text[pos] != '=' && Base64Value(data[pos]) < 0) ++pos;
      if (pos == text.size()) return CutAtZero(std::move(out));
      padded[k] = text[pos] == '=';
      values[k] = padded[k] ? 0 : Base64Value(data[pos]);
      ++pos;
    }
    if (!padded[0] && !padded[1]) {
      out.push_back(static_cast<char>((values[0] << 2) + (values[1] >> 4)));
      if (!padded[2]) {
        out.push_back(static_cast<char>(((values[1] << 4) + (values[2] >> 2)) & 255));
        if (!padded[3]) out.push_back(static_cast<char>(((values[2] << 6) + values[3]) & 255));
      }
    }
    if (padded[3] || text.size() - pos < 4) break;
  }
  return CutAtZero(std::move(out));
}

std::string EncodeBase64(const std::string& bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    unsigned value = static_cast<unsigned>(static_cast<unsigned char>(bytes[i])) << 16;
    if (i + 1 < bytes.size())
      value |= static_cast<unsigned>(static_cast<unsigned char>(bytes[i + 1])) << 8;
    if (i + 2 < bytes.size()) value |= static_cast<unsigned char>(bytes[i + 2]);
    out += kAlphabet[(value >> 18) & 63];
    out += kAlphabet[(value >> 12) & 63];
    out += i + 1 < bytes.size() ? kAlphabet[(value >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kAlphabet[value & 63] : '=';
  }
  return out;
}

}  // namespace detail
}  // namespace quenzel
