#include "base64.h"

namespace quenzel {
namespace detail {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Value(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

std::string DecodeBase64(const std::string& text) {
  std::string out;
  std::size_t pos = 0;
  for (;;) {
    int values[4];
    bool padded[4];
    for (int k = 0; k < 4; ++k) {
      while (pos < text.size() && text[pos] != '=' &&
             Base64Value(static_cast<unsigned char>(text[pos])) < 0)
        ++pos;
      if (pos == text.size()) return out.substr(0, out.find('\0'));
      padded[k] = text[pos] == '=';
      values[k] = padded[k] ? 0 : Base64Value(static_cast<unsigned char>(text[pos]));
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
  return out.substr(0, out.find('\0'));
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
