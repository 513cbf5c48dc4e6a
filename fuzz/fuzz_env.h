// Shared set-up of the fuzz targets; they take <cstdint>, <string> and
// <sstream> from here. A broken guarantee aborts, which the fuzzer reports
// like a crash.
#ifndef QUENZEL_FUZZ_FUZZ_ENV_H_
#define QUENZEL_FUZZ_FUZZ_ENV_H_

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#define FUZZ_CHECK(condition)                                                                \
  ((condition)                                                                               \
       ? void()                                                                              \
       : (std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition), \
          std::abort()))

namespace quenzel_fuzz {

// Larger inputs only slow the fuzzer down; a smaller one reaches as far.
constexpr std::size_t kMaxInput = 64 * 1024;

inline std::string_view Text(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

inline bool WriteFile(const std::string& path, std::string_view bytes) {
  return static_cast<bool>((std::ofstream(path, std::ios::binary) << bytes).flush());
}

// A private directory standing in for the ZQEXE directory (zqapi/ and logs/
// below it), with a registry export that points the library at it. Made at
// the first call, which may add lines to the Environment key (such as
// "\"CacheFiles\"=\"on\"\n"), and removed at exit.
inline const std::string& Dir(const std::string& registryValues = std::string()) {
  static char dir[] = "/tmp/quenzel-fuzz-XXXXXX";
  static const std::string path = [&] {
    if (::mkdtemp(dir) == nullptr) std::abort();
    const std::string base = dir;
    const std::string reg = base + "/registry.reg";
    std::filesystem::create_directory(base + "/zqapi");
    std::filesystem::create_directory(base + "/logs");
    const std::string key = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\TORVANHOLME\\Environment]\n";
    const std::string text = "REGEDIT4\n\n" + key + "\"ZQEXE\"=\"" + base + "/\"\n";
    if (!WriteFile(reg, text + "\"Codepage\"=\"1252\"\n" + registryValues + "\n")) std::abort();
    ::setenv("CFGSTORE_FILE", reg.c_str(), 1);
    ::setenv("LOGBOOK_DIR", (base + "/logs").c_str(), 1);
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(dir, ignored);
    });
    return base;
  }();
  return path;
}

// Writes an input to `name` below Dir(); false for one too large to try.
inline bool WriteInput(const std::string& name, const std::uint8_t* data, std::size_t size) {
  return size <= kMaxInput && WriteFile(Dir() + "/" + name, Text(data, size));
}

}  // namespace quenzel_fuzz

#endif  // QUENZEL_FUZZ_FUZZ_ENV_H_
