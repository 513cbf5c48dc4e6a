#include "line_reader.h"

#include <climits>

#include "stream_guard.h"

namespace quenzel {
namespace detail {

ReadPosition& CurrentPosition() {
  thread_local ReadPosition position;
  return position;
}

std::istringstream& LineStream(const std::string& line) {
  thread_local std::istringstream stream;
  stream.clear();
  stream.flags(std::ios::skipws | std::ios::dec);
  stream.width(0);
  stream.str(line);
  return stream;
}

namespace {

// Takes one piece of a line from `sb` into `line` (see ReadLine) and gives
// the state it leaves: end of stream, a full piece (fail), or good.
std::ios::iostate TakePiece(std::streambuf* sb, std::string& line, int& stored) {
  std::ios::iostate state = std::ios::goodbit;
  bool taken = false;
  bool stopped = false;  // a zero byte ended the text; later characters are dropped
  for (;;) {
    int c = sb->sgetc();
    if (c == std::char_traits<char>::eof()) {
      state |= std::ios::eofbit;
      break;
    }
    if (c == '\n') {
      sb->sbumpc();
      taken = true;
      break;
    }
    if (c == '\r') {
      sb->sbumpc();
      if (sb->sgetc() == '\n') {
        sb->sbumpc();
        taken = true;
        break;
      }
      if (stored == kMaxLinePiece) {  // the CR starts the next piece
        sb->sputbackc('\r');
        state |= std::ios::failbit;
        break;
      }
    } else {
      if (stored == kMaxLinePiece) {
        state |= std::ios::failbit;
        break;
      }
      sb->sbumpc();
    }
    taken = true;
    ++stored;
    if (c == '\0') stopped = true;
    if (!stopped) line.push_back(static_cast<char>(c));
  }
  if (!taken) state |= std::ios::failbit;
  return state;
}

void OpenFileLine(ReadPosition& position) {
  if (position.lineOpen) return;
  if (position.fileLine < INT_MAX) ++position.fileLine;
  position.taken = 0;
  position.lineOpen = true;
}

}  // namespace

void CountTaken(ReadPosition& position, int count) {
  OpenFileLine(position);
  if (position.taken < INT_MAX - count) position.taken += count;
}

void ReadLine(std::istream& in, std::string& line) {
  line.clear();
  ReadPosition& position = CurrentPosition();
  if (position.line < INT_MAX) ++position.line;
  position.token = 0;

  std::istream::sentry ok(in, true);
  if (!ok) return;  // the sentry has set failbit
  std::ios::iostate state = std::ios::goodbit;
  int stored = 0;
  OpenFileLine(position);
  position.column = position.taken + 1;
  const bool read = GuardBuffer(in, [&] { state = TakePiece(in.rdbuf(), line, stored); });
  // Only a full piece leaves the file line open.
  position.lineOpen = read && state == std::ios::failbit;
  if (position.taken < INT_MAX - stored) position.taken += stored;
  if (!read) return;
  // A full piece whose text is empty (it began with a zero byte) has still
  // moved the stream on: like any full piece, it leaves the stream good.
  if (!line.empty() || state == std::ios::failbit)
    in.clear();
  else if (state != std::ios::goodbit)
    in.setstate(state);
}

}  // namespace detail
}  // namespace quenzel
