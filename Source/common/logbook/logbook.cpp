// logbook: turns one audit entry into a tab-separated line and appends it to
// the log's file, or hands it to syslog when no log directory is configured.
#include "logbook.h"

#include <time.h>
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <syslog.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

constexpr char kDirVariable[] = "LOGBOOK_DIR";
constexpr char kFileSuffix[] = ".log";

// A type format longer than this is taken for text. It also keeps a stray
// long string from making us pull a long run of arguments off the stack.
constexpr size_t kMaxFormatLength = 64;

// Characters that would break the line layout, with what is written instead.
struct Escape {
  char raw;
  const char* written;
};
constexpr Escape kEscapes[] = {{'\t', "\\t"}, {'\r', "\\r"}, {'\n', "\\n"}, {'\\', "\\\\"}};

void AppendEscaped(std::string* line, const char* text) {
  if (text == nullptr) return;  // a null text is an empty field
  for (const char* p = text; *p != '\0'; ++p) {
    const auto* escape = std::find_if(std::begin(kEscapes), std::end(kEscapes),
                                      [p](const Escape& e) { return e.raw == *p; });
    if (escape != std::end(kEscapes)) {
      line->append(escape->written);
    } else {
      line->push_back(*p);
    }
  }
}

void AppendField(std::string* line, const char* text) {
  line->push_back('\t');
  AppendEscaped(line, text);
}

// True when `text` is a type format: "%s" / "%d" pairs closed by one "%z".
bool IsTypeFormat(const char* text) {
  if (text == nullptr) return false;
  const size_t length = strnlen(text, kMaxFormatLength + 1);
  if (length == 0 || length > kMaxFormatLength || length % 2 != 0) return false;
  for (size_t i = 0; i < length; i += 2) {
    const bool last = i + 2 == length;
    const char letter = text[i + 1];
    const bool letterOk = last ? letter == 'z' : (letter == 's' || letter == 'd');
    if (text[i] != '%' || !letterOk) return false;
  }
  return true;
}

// Reads the values `format` announces before its "%z" and appends them.
void AppendAnnouncedValues(std::string* line, const char* format, va_list* args) {
  for (const char* p = format; p[1] != 'z'; p += 2) {
    if (p[1] == 'd') {
      line->push_back('\t');
      line->append(std::to_string(va_arg(*args, int)));
    } else {
      AppendField(line, va_arg(*args, const char*));
    }
  }
}

// Reads what follows the message: values, then the operation name, which is
// always the last field (empty when the arguments do not name one).
void AppendArguments(std::string* line, va_list* args) {
  const char* first = va_arg(*args, const char*);
  if (first == nullptr) {
    AppendField(line, nullptr);
    return;
  }
  if (IsTypeFormat(first)) {
    AppendAnnouncedValues(line, first, args);
  } else {
    // A leading text; the format after it describes values passed earlier,
    // so only its operation name is still to be read.
    AppendField(line, first);
    if (!IsTypeFormat(va_arg(*args, const char*))) {
      AppendField(line, nullptr);
      return;
    }
  }
  AppendField(line, va_arg(*args, const char*));
}

// Current UTC time as 2026-12-06T01:02:03.456Z.
std::string UtcTimestamp() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
  const time_t seconds = static_cast<time_t>(millis / 1000);
  tm utc{};
#ifdef _WIN32
  gmtime_s(&utc, &seconds);
#else
  gmtime_r(&seconds, &utc);
#endif
  char date[32];
  const size_t length = strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &utc);
  char fraction[8];  // ".999Z" at most: the result needs no check
  (void)snprintf(fraction, sizeof fraction, ".%03dZ", static_cast<int>(millis % 1000));
  return std::string(date, length) + fraction;
}

std::string FormatEntry(const char* source, int eventNumber, const char* message, va_list* args) {
  std::string line = UtcTimestamp();
  AppendField(&line, source);
  line.push_back('\t');
  line.append(std::to_string(eventNumber));
  AppendField(&line, message);
  AppendArguments(&line, args);
  return line;
}

// The log's file name inside the log directory. '/' becomes '_', and "." and
// ".." become "_" and "__", so that no log name leads outside the directory.
std::string LogFileName(const char* logName) {
  std::string name(logName);
  if (name == "." || name == "..") {
    name.assign(name.size(), '_');
  } else {
    std::replace(name.begin(), name.end(), '/', '_');
#ifdef _WIN32  // separators and drive letters of Windows paths too
    std::replace(name.begin(), name.end(), '\\', '_');
    std::replace(name.begin(), name.end(), ':', '_');
#endif
  }
  return name + kFileSuffix;
}

#ifdef _WIN32

// Appends `line` with one WriteFile() to a handle opened for appending only,
// so that lines of concurrent writers never interleave. After an entry that
// was cut short (a full disk), the next one starts on a line of its own.
int AppendToFile(const char* dir, const char* logName, std::string& line) {
  const std::string path = std::string(dir) + '\\' + LogFileName(logName);
  const HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA | FILE_READ_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return -1;
  LARGE_INTEGER size{};
  char last = '\n';
  DWORD got = 0;
  if (GetFileSizeEx(file, &size) && size.QuadPart > 0) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>((size.QuadPart - 1) & 0xFFFFFFFF);
    at.OffsetHigh = static_cast<DWORD>((size.QuadPart - 1) >> 32);
    if (ReadFile(file, &last, 1, &got, &at) && got == 1 && last != '\n') line.insert(0, 1, '\n');
  }
  DWORD written = 0;
  const bool complete =
      WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
      written == line.size();
  const bool closed = CloseHandle(file) != 0;
  return complete && closed ? 0 : -1;
}

// The event log: source `source`, event id `eventNumber`, and the entry's
// texts (message, values, operation) as its strings. The log name has no
// place there; Windows files the entry by its source.
int SendToSystemLog(const char* /*logName*/, const char* source, int eventNumber,
                    const std::string& line) {
  std::vector<std::string> fields;
  for (size_t start = 0, tab;; start = tab + 1) {
    tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string::npos ? tab : tab - start));
    if (tab == std::string::npos) break;
  }
  std::vector<const char*> strings;  // after the time, the source and the event number
  for (size_t i = 3; i < fields.size(); ++i) strings.push_back(fields[i].c_str());
  const HANDLE log = RegisterEventSourceA(nullptr, source != nullptr ? source : "quenzel");
  if (log == nullptr) return -1;
  const BOOL reported =
      ReportEventA(log, EVENTLOG_INFORMATION_TYPE, 0, static_cast<DWORD>(eventNumber), nullptr,
                   static_cast<WORD>(strings.size()), 0, strings.data(), nullptr);
  DeregisterEventSource(log);
  return reported ? 0 : -1;
}

#else

// True when the file ends in the middle of a line: an earlier entry was
// cut short (a full file system).
bool EndsInsideLine(int fd) {
  struct stat info;
  char last = '\n';
  return fstat(fd, &info) == 0 && info.st_size > 0 && pread(fd, &last, 1, info.st_size - 1) == 1 &&
         last != '\n';
}

// Appends `line` with one write() to an O_APPEND descriptor, so that lines
// from concurrent writers (threads or processes) never interleave. After an
// entry that was cut short, the next one starts on a line of its own.
int AppendToFile(const char* dir, const char* logName, std::string& line) {
  const std::string path = std::string(dir) + '/' + LogFileName(logName);
  int fd;
  do {
    fd = open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);  // read: the last byte
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return -1;
  if (EndsInsideLine(fd)) line.insert(0, 1, '\n');
  ssize_t written;
  do {
    written = write(fd, line.data(), line.size());
  } while (written < 0 && errno == EINTR);
  const bool complete = written == static_cast<ssize_t>(line.size());
  const bool closed = close(fd) == 0;
  return complete && closed ? 0 : -1;
}

// openlog() keeps the ident pointer process-wide, so each entry opens, logs
// and closes under this lock.
std::mutex& SyslogMutex() {
  static std::mutex mutex;
  return mutex;
}

int SendToSystemLog(const char* logName, const char* /*source*/, int /*eventNumber*/,
                    const std::string& line) {
  std::lock_guard<std::mutex> lock(SyslogMutex());
  openlog(logName, LOG_PID, LOG_USER);
  syslog(LOG_USER | LOG_INFO, "%s", line.c_str());
  closelog();
  return 0;
}

#endif

int WriteEntry(const char* logName, const char* source, int eventNumber, const char* message,
               va_list* args) {
  std::string line = FormatEntry(source, eventNumber, message, args);
  const char* dir = getenv(kDirVariable);
  if (dir == nullptr || *dir == '\0') return SendToSystemLog(logName, source, eventNumber, line);
  line.push_back('\n');
  return AppendToFile(dir, logName, line);
}

}  // namespace

// Category, severity and flags are accepted for the callers' sake but are not
// recorded: every entry is an informational one.
extern "C" int logbook_log_msg(const char* logName, const char* source, int eventNumber,
                               int /*category*/, int /*severity*/, int /*flags*/,
                               const char* message, ...) {
  if (logName == nullptr || *logName == '\0') return 0;
  va_list args;
  va_start(args, message);
  int result;
  try {
    result = WriteEntry(logName, source, eventNumber, message, &args);
  } catch (...) {  // out of memory; nothing may escape into C callers
    result = -1;
  }
  va_end(args);
  return result;
}
