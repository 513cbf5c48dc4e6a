// The library's stream operations work on a stream's buffer directly. A
// buffer may throw (a host's socket stream, a failing disk); these helpers
// handle that as the standard stream functions do. Not installed.
#ifndef QUENZEL_STREAM_GUARD_H_
#define QUENZEL_STREAM_GUARD_H_

#include <cstddef>
#include <exception>
#include <ios>
#include <streambuf>

namespace quenzel {
namespace detail {

// For a catch handler around buffer calls: sets the bad bit of `stream`
// and rethrows `error`, the exception being handled, only when the
// stream's exception mask asks for the bad bit.
void BufferFailed(std::ios& stream, const std::exception_ptr& error);

// Runs `calls` on `stream`'s buffer; `calls` sets no stream state itself,
// so that an exception the mask asks for is never mistaken for the
// buffer's. False when the buffer threw (the bad bit is then set).
template <typename Calls>
bool GuardBuffer(std::ios& stream, Calls&& calls) {
  try {
    calls();
    return true;
  } catch (...) {
    BufferFailed(stream, std::current_exception());
    return false;
  }
}

// A buffer's get area, through the protected members every buffer has: the
// readers take what a buffer holds already without a call per byte, and
// fall back to the buffer's calls where it holds nothing (a buffer may
// have no get area at all).
class GetArea : public std::streambuf {
 public:
  // The bytes held, from Next(sb) up to End(sb); null pointers when none.
  static const char* Next(std::streambuf* sb) { return (sb->*&GetArea::gptr)(); }
  static const char* End(std::streambuf* sb) { return (sb->*&GetArea::egptr)(); }
  static std::size_t Held(std::streambuf* sb) {
    return Next(sb) == nullptr ? 0 : static_cast<std::size_t>(End(sb) - Next(sb));
  }
  // Consumes `n` of the bytes held (n <= Held(sb), at most INT_MAX).
  static void Advance(std::streambuf* sb, std::size_t n) {
    (sb->*&GetArea::gbump)(static_cast<int>(n));
  }
};

}  // namespace detail
}  // namespace quenzel

#endif  // QUENZEL_STREAM_GUARD_H_
