// The registry export parser of cfgstore: the input is the .reg file, and
// a few values are read through every accessor.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "cfgstore.h"
#include "fuzz_env.h"

namespace {

struct Lookup {
  const char* key;
  const char* section;
  const char* name;
};
constexpr Lookup kLookups[] = {
    {"SOFTWARE\\TORVANHOLME", "Environment", "ZQEXE"},
    {"SOFTWARE\\TORVANHOLME", "ENVIRONMENT", "Codepage"},
    {"SOFTWARE\\TORVANHOLME", "Environment", "CacheFiles"},
    {"SOFTWARE\\TORVANHOLME\\DRIVER", "system", "WeightScalingSystem"},
    {"SOFTWARE\\TORVANHOLME\\DRIVER", "QUENZEL", "DEFAULTDATAMODE"},
    {"SOFTWARE\\A", "", ""},
    {"software\\\\a\\", "b", "C"},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > quenzel_fuzz::kMaxInput) return 0;
  quenzel_fuzz::Environment& env = quenzel_fuzz::Environment::Get();
  // The store parses a file again when its name changes; alternating two
  // names makes every input parse, whatever the file times' resolution.
  static unsigned turn = 0;
  const std::string path = env.dir() + ((++turn & 1) != 0 ? "/input-a.reg" : "/input-b.reg");
  if (!quenzel_fuzz::WriteBytes(path, data, size)) return 0;
  ::setenv("CFGSTORE_FILE", path.c_str(), 1);

  for (const Lookup& l : kLookups) {
    const std::string text = registry.read(HKEY_LOCAL_MACHINE, l.key, l.section, l.name, "-", 0);
    registry.readBool(HKEY_LOCAL_MACHINE, l.key, l.section, l.name, "off", 0);
    readRegInt(HKEY_LOCAL_MACHINE, l.key, l.section, l.name, "-3");
    readRegTrueFalse(HKEY_LOCAL_MACHINE, l.key, l.section, l.name, "false");
    char buffer[8];
    const int length =
        readReg(HKEY_LOCAL_MACHINE, l.key, l.section, l.name, buffer, sizeof buffer, "-");
    FUZZ_CHECK(static_cast<std::size_t>(length) == text.size());
    FUZZ_CHECK(text.compare(0, std::strlen(buffer), buffer) == 0);
  }
  readRegA("ZQEXE", "");
  return 0;
}
