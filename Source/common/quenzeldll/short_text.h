// Copies of short byte runs: field values, numbers and list texts are mostly
// a few bytes long, where a library call or the general string assignment
// costs more than the copy itself. Not installed.
#ifndef QUENZEL_SHORT_TEXT_H_
#define QUENZEL_SHORT_TEXT_H_

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace quenzel {
namespace detail {

// Copies `n` bytes between runs that do not overlap; short copies of fixed
// sizes need no library call.
inline void CopyBytes(char* to, const char* from, std::size_t n) {
  if (n > 16) {
    std::memcpy(to, from, n);
  } else if (n >= 8) {  // two copies of 8 that overlap in the middle
    std::memcpy(to, from, 8);
    std::memcpy(to + n - 8, from + n - 8, 8);
  } else if (n >= 4) {  // the same with 4
    std::memcpy(to, from, 4);
    std::memcpy(to + n - 4, from + n - 4, 4);
  } else if (n > 0) {  // first, middle and last byte, some of them the same
    to[0] = from[0];
    to[n / 2] = from[n / 2];
    to[n - 1] = from[n - 1];
  }
}

// text = bytes, for bytes held outside `text`. A value that is no longer
// than the one it replaces (a field's next value is mostly as long as its
// last) is copied over it in place, without the general assignment.
inline void AssignBytes(std::string& text, std::string_view bytes) {
  const std::size_t n = bytes.size();
  if (n > text.size()) {
    text.assign(bytes.data(), n);
    return;
  }
  CopyBytes(&text[0], bytes.data(), n);
  text.erase(text.begin() + static_cast<std::ptrdiff_t>(n), text.end());
}

}  // namespace detail
}  // namespace quenzel

#endif  // QUENZEL_SHORT_TEXT_H_
