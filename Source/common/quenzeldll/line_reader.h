// The line reader of the definition file, and the two per-thread counters
// that locate a read failure: the line counter counts lines since the
// catalogue started a file, the token counter counts tokens asked for since
// the latest line. Not installed.
#ifndef QUENZEL_LINE_READER_H_
#define QUENZEL_LINE_READER_H_

#include <istream>
#include <sstream>
#include <string>

namespace quenzel {
namespace detail {

// Longest piece the line reader returns; a longer line comes in pieces.
constexpr int kMaxLinePiece = 1023;

// The counters of the thread's current definition read. Both saturate at
// INT_MAX.
struct ReadPosition {
  int line = 0;
  int token = 0;
};
ReadPosition& CurrentPosition();

// Reads up to the next line feed (taken, not stored), at most kMaxLinePiece
// characters, into `line`. A carriage return right before the line feed is
// part of the line break, as in a text-mode file. The text stops at a zero
// byte. Adds 1 to the line counter (which stays at INT_MAX once there) and
// zeroes the token counter. When the text is not empty, or a full piece was
// taken, the stream's state is cleared; otherwise it is left as the read
// left it (end of stream, with failure when nothing was taken). A stream
// buffer that throws sets the bad bit (see stream_guard.h).
void ReadLine(std::istream& in, std::string& line);

// A string stream over one line, in the state of a new stream. Each thread
// reuses one: building a stream costs more than reading a typical line.
// The stream stays valid until the thread's next call.
std::istringstream& LineStream(const std::string& line);

}  // namespace detail
}  // namespace quenzel

#endif  // QUENZEL_LINE_READER_H_
