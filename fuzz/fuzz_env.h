// Shared set-up of the fuzz targets: a private temporary directory that
// stands in for the ZQEXE directory (with zqapi/ and logs/ below it) and a
// registry export pointing the library at it. Made once per process and
// removed at exit.
#ifndef QUENZEL_FUZZ_FUZZ_ENV_H_
#define QUENZEL_FUZZ_FUZZ_ENV_H_

#include <ftw.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// A broken guarantee aborts, which the fuzzer reports like a crash.
#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (false)

namespace quenzel_fuzz {

// Inputs above this size are dropped: they only slow the fuzzer down and
// exercise nothing a smaller input could not.
constexpr std::size_t kMaxInput = 64 * 1024;

inline bool WriteBytes(const std::string& path, const void* data, std::size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool ok = size == 0 || std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && ok;
}

inline bool WriteText(const std::string& path, const std::string& text) {
  return WriteBytes(path, text.data(), text.size());
}

inline std::string ReadText(const std::string& path) {
  std::string text;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return text;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
  std::fclose(file);
  return text;
}

class Environment {
 public:
  // `registryValues` are extra lines for the Environment key, e.g.
  // "\"CacheFiles\"=\"on\"".
  static Environment& Get(const std::string& registryValues = std::string()) {
    static Environment* env = new Environment(registryValues);
    return *env;
  }

  const std::string& dir() const { return dir_; }
  std::string zqapi() const { return dir_ + "/zqapi/"; }

 private:
  explicit Environment(const std::string& registryValues) {
    char pattern[] = "/tmp/quenzel-fuzz-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) std::abort();
    dir_ = pattern;
    ::mkdir((dir_ + "/zqapi").c_str(), 0755);
    ::mkdir((dir_ + "/logs").c_str(), 0755);
    const std::string reg = dir_ + "/registry.reg";
    std::string text = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\TORVANHOLME\\Environment]\n";
    text += "\"ZQEXE\"=\"" + dir_ + "/\"\n\"Codepage\"=\"1252\"\n" + registryValues + "\n";
    if (!WriteText(reg, text)) std::abort();
    ::setenv("CFGSTORE_FILE", reg.c_str(), 1);
    ::setenv("LOGBOOK_DIR", (dir_ + "/logs").c_str(), 1);
    s_dir = dir_;
    std::atexit(RemoveAll);
  }

  static void RemoveAll() {
    ::nftw(
        s_dir.c_str(),
        [](const char* p, const struct stat*, int, struct FTW*) { return ::remove(p); }, 16,
        FTW_DEPTH | FTW_PHYS);
  }

  static inline std::string s_dir;
  std::string dir_;
};

}  // namespace quenzel_fuzz

#endif  // QUENZEL_FUZZ_FUZZ_ENV_H_
