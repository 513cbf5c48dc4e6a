// Base64 (RFC 4648 alphabet) as CLOB values travel in data records. The
// library decodes leniently, as the scale's data arrives; the tool encodes
// with padding, as a host must send. Not installed.
#ifndef QUENZEL_BASE64_H_
#define QUENZEL_BASE64_H_

#include <string>

namespace quenzel {
namespace detail {

// Decodes in groups of four characters: bytes outside the alphabet are
// skipped, '=' pads, and a group cut off by the end of the text gives
// nothing. The result ends before its first zero byte.
std::string DecodeBase64(const std::string& text);

// Encodes with '=' padding to a multiple of four characters.
std::string EncodeBase64(const std::string& bytes);

}  // namespace detail
}  // namespace quenzel

#endif  // QUENZEL_BASE64_H_
