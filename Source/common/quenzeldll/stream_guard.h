// The library's stream operations work on a stream's buffer directly. A
// buffer may throw (a host's socket stream, a failing disk); these helpers
// handle that as the standard stream functions do. Not installed.
#ifndef QUENZEL_STREAM_GUARD_H_
#define QUENZEL_STREAM_GUARD_H_

#include <exception>
#include <ios>

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

}  // namespace detail
}  // namespace quenzel

#endif  // QUENZEL_STREAM_GUARD_H_
