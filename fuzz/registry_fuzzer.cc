// The registry export parser of cfgstore: the input is the .reg file, and
// a few values are read through every accessor.
#include <cstring>

#include "cfgstore.h"
#include "fuzz_env.h"

constexpr const char* kLookups[][3] = {
    {"SOFTWARE\\TORVANHOLME", "Environment", "ZQEXE"},
    {"SOFTWARE\\TORVANHOLME", "ENVIRONMENT", "Codepage"},
    {"SOFTWARE\\TORVANHOLME", "Environment", "CacheFiles"},
    {"SOFTWARE\\TORVANHOLME\\DRIVER", "system", "WeightScalingSystem"},
    {"SOFTWARE\\TORVANHOLME\\DRIVER", "QUENZEL", "DEFAULTDATAMODE"},
    {"SOFTWARE\\A", "", ""},
    {"software\\\\a\\", "b", "C"},
};

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The store parses a file again when its name changes; alternating two
  // names makes every input parse, whatever the file times' resolution.
  static unsigned turn = 0;
  const char* file = (turn & 1) == 0 ? "input-a.reg" : "input-b.reg";
  if (!quenzel_fuzz::WriteInput(file, data, size)) return 0;
  ++turn;
  ::setenv("CFGSTORE_FILE", (quenzel_fuzz::Dir() + "/" + file).c_str(), 1);

  for (const auto& [key, section, name] : kLookups) {
    const std::string text = registry.read(HKEY_LOCAL_MACHINE, key, section, name, "-", 0);
    registry.readBool(HKEY_LOCAL_MACHINE, key, section, name, "off", 0);
    readRegInt(HKEY_LOCAL_MACHINE, key, section, name, "-3");
    readRegTrueFalse(HKEY_LOCAL_MACHINE, key, section, name, "false");
    char buffer[8];
    const int length = readReg(HKEY_LOCAL_MACHINE, key, section, name, buffer, sizeof buffer, "-");
    FUZZ_CHECK(static_cast<std::size_t>(length) == text.size());
    FUZZ_CHECK(text.compare(0, std::strlen(buffer), buffer) == 0);
  }
  readRegA("ZQEXE", "");
  return 0;
}
