// The PE version reader: the input is the file, read through the three
// version functions and through the library's own version check.
#include <cstring>
#include <vector>

#include "fuzz_env.h"
#include "host_services.h"
#include "winver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!quenzel_fuzz::WriteInput("quenzel.dll", data, size)) return 0;
  const std::string path = quenzel_fuzz::Dir() + "/quenzel.dll";

  DWORD handle = 1;
  const DWORD blockSize = GetFileVersionInfoSizeA(path.c_str(), &handle);
  FUZZ_CHECK(handle == 0);
  if (blockSize != 0) {
    FUZZ_CHECK(blockSize <= size);
    std::vector<unsigned char> block(blockSize);
    FUZZ_CHECK(GetFileVersionInfoA(path.c_str(), 0, blockSize, block.data()) != 0);
    FUZZ_CHECK(GetFileVersionInfoA(path.c_str(), 0, blockSize - 1, block.data()) == 0);
    void* info = nullptr;
    UINT infoLength = 0;
    FUZZ_CHECK(VerQueryValueA(block.data(), "\\", &info, &infoLength) != 0);
    FUZZ_CHECK(infoLength == sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const unsigned char*>(info);
    FUZZ_CHECK(fixed >= block.data() && fixed + infoLength <= block.data() + block.size());
    FUZZ_CHECK(VerQueryValueA(block.data(), "\\StringFileInfo", &info, &infoLength) == 0);
  }

  char version[32];
  std::memset(version, 'x', sizeof version);
  Cgetver reader;
  const int result = reader.GetVersion(version, "quenzel.dll", nullptr);
  FUZZ_CHECK(result >= 0 && result <= 6);
  FUZZ_CHECK((result == 2) == (blockSize == 0));
  FUZZ_CHECK(std::memchr(version, '\0', 18) != nullptr);
  return 0;
}
