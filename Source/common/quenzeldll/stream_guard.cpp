#include "stream_guard.h"

namespace quenzel {
namespace detail {

void BufferFailed(std::ios& stream) {
  try {
    stream.setstate(std::ios::badbit);
  } catch (const std::ios_base::failure&) {
    // the mask asks for a bit already set; the buffer's exception is the one to report
  }
  if (stream.exceptions() & std::ios::badbit) throw;
}

}  // namespace detail
}  // namespace quenzel
