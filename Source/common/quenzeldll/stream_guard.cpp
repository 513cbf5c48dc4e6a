#include "stream_guard.h"

namespace quenzel {
namespace detail {

void BufferFailed(std::ios& stream, const std::exception_ptr& error) {
  try {
    stream.setstate(std::ios::badbit);
  } catch (const std::ios_base::failure&) {
    // the mask asks for a bit already set; the buffer's exception is the one to report
  }
  if (stream.exceptions() & std::ios::badbit) std::rethrow_exception(error);
}

}  // namespace detail
}  // namespace quenzel
