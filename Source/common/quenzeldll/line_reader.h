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
  // The latest piece in the file's own terms: its line (from 1) and the
  // column where it starts (from 1); a line longer than a piece gives
  // several pieces on one file line.
  int fileLine = 0;
  int column = 1;
  int taken = 0;          // characters of the current file line taken so far
  bool lineOpen = false;  // the current file line goes on after them
};
ReadPosition& CurrentPosition();

// Counts `count` characters of the current file line that the caller took
// itself (the '#' that opens a record block), so that the next piece's
// column counts them.
void CountTaken(ReadPosition& position, int count);

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
