// The few POSIX calls the tests use, on the Windows C runtime, and the
// reason given where a test needs a mechanism Windows lacks.
#ifndef QUENZEL_TESTS_POSIX_SHIM_H_
#define QUENZEL_TESTS_POSIX_SHIM_H_

#include <stdlib.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <direct.h>
#include <io.h>

inline int setenv(const char* name, const char* value, int) { return _putenv_s(name, value); }
inline int unsetenv(const char* name) { return _putenv_s(name, ""); }
inline int mkdir(const char* path, int) { return _mkdir(path); }
inline char* mkdtemp(char* pattern) {
  return _mktemp(pattern) != nullptr && _mkdir(pattern) == 0 ? pattern : nullptr;
}
#define SKIP_ON_WINDOWS(why) GTEST_SKIP() << "Windows has no " why
constexpr int kOnWindows = 1;
#else
constexpr int kOnWindows = 0;
#define SKIP_ON_WINDOWS(why) static_cast<void>(0)
#endif

#endif  // QUENZEL_TESTS_POSIX_SHIM_H_
