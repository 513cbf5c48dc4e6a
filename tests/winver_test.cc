// Tests for winver: PE images built in memory, written to a temp file and
// read back through the three version functions.
#include "winver.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

void Put(Bytes* b, size_t at, uint32_t value, int width) {
  for (int i = 0; i < width; ++i) (*b)[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// The test image: headers, the section table right after the optional header
// (0x148 for the usual 240 bytes), one .rsrc section (file 0x200, address
// 0x1000) holding three one-entry directories (type, name, language), the
// data entry and the version block, which ends the file.
constexpr uint32_t kSections = 0x148, kTypeEntry = 0x210, kNameEntry = 0x228, kDataEntry = 0x248;
constexpr uint32_t kBlock = 0x258, kBlockSize = 92, kMaxBlockSize = 1 << 20;
constexpr DWORD kVersions[] = {0x00030001, 0x00CC0007, 0x00030002, 0x00000005};

uint32_t DataDirs(bool pe32_plus) { return 0x58 + (pe32_plus ? 112 : 96); }

Bytes BuildImage(bool pe32_plus, uint32_t slack = 0, uint32_t optional_size = 240,
                 uint32_t rva = 0x1000) {
  Bytes b(kBlock + kBlockSize + slack);
  const uint32_t rsrc = 0x58 + kBlockSize + slack, dirs = DataDirs(pe32_plus);
  const uint32_t sections = 0x58 + optional_size, magic = pe32_plus ? 0x20B : 0x10B;
  const uint32_t fields[][3] = {
      // clang-format off
      // {offset, value, width}: DOS, PE and optional headers, the section header
      {0, 0x5A4D, 2}, {0x3C, 0x40, 4}, {0x40, 0x4550, 4}, {0x46, 1, 2}, {0x54, optional_size, 2},
      {0x58, magic, 2}, {dirs - 4, 16, 4}, {dirs + 16, rva, 4}, {dirs + 20, rsrc, 4},
      {sections + 8, rsrc, 4}, {sections + 12, rva, 4}, {sections + 16, rsrc, 4},
      {sections + 20, 0x200, 4},
      // type 16 -> name 1 -> language 0x409 -> data entry -> version block
      {kTypeEntry - 2, 1, 2}, {kTypeEntry, 16, 4}, {kTypeEntry + 4, 0x80000018, 4},
      {kNameEntry - 2, 1, 2}, {kNameEntry, 1, 4}, {kNameEntry + 4, 0x80000030, 4}, {0x23E, 1, 2},
      {0x240, 0x409, 4}, {0x244, 0x48, 4}, {kDataEntry, rva + 0x58, 4},
      {kDataEntry + 4, kBlockSize + slack, 4}, {kBlock, kBlockSize, 2}, {kBlock + 2, 52, 2},
      {kBlock + 40, 0xFEEF04BD, 4}, {kBlock + 48, kVersions[0], 4}, {kBlock + 52, kVersions[1], 4},
      {kBlock + 56, kVersions[2], 4}, {kBlock + 60, kVersions[3], 4},
      // clang-format on
  };
  for (const auto& f : fields) Put(&b, f[0], f[1], static_cast<int>(f[2]));
  const char key[] = "VS_VERSION_INFO";
  for (size_t i = 0; i < sizeof key; ++i) Put(&b, kBlock + 6 + 2 * i, key[i], 2);
  return b;
}

class WinverTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(dir_); }
  void TearDown() override { fs::remove_all(dir_); }
  void Write(const Bytes& bytes, size_t length) {
    std::ofstream(path_, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(length));
  }

  // The version block's size, 0 when the file has none. A block found must
  // pass every check of the three calls.
  static DWORD Query(const std::string& file) {
    DWORD handle = 7;
    const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &handle);
    EXPECT_EQ(handle, 0u);
    if (size == 0) return 0;
    Bytes block(size + 1, 0xEE);
    EXPECT_FALSE(GetFileVersionInfoA(file.c_str(), 0, size - 1, block.data()) ||
                 GetFileVersionInfoA(file.c_str(), 0, size, nullptr));
    EXPECT_TRUE(GetFileVersionInfoA(file.c_str(), 0, size, block.data()));
    EXPECT_EQ(block[size], 0xEE) << "copied past the block";
    void* info = nullptr;
    UINT len = 0;
    EXPECT_FALSE(VerQueryValueA(block.data(), "\\StringFileInfo", &info, &len) ||
                 VerQueryValueA(block.data(), "", &info, &len) ||
                 VerQueryValueA(block.data(), nullptr, &info, &len) ||
                 VerQueryValueA(nullptr, "\\", &info, &len) ||
                 VerQueryValueA(block.data(), "\\", nullptr, &len) ||
                 VerQueryValueA(block.data(), "\\", &info, nullptr));
    EXPECT_TRUE(VerQueryValueA(block.data(), "\\", &info, &len));
    EXPECT_TRUE(info == block.data() + 40 && len == sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(0, std::memcmp(&block[48], kVersions, sizeof kVersions));
    Put(&block, 0, 91, 2);  // the block's own length no longer covers the fixed info
    EXPECT_FALSE(VerQueryValueA(block.data(), "\\", &info, &len));
    return size;
  }

  const fs::path dir_ = fs::temp_directory_path() / ("winver_test." + std::to_string(getpid()));
  const std::string path_ = (dir_ / "image.exe").string();
};

// Each row builds both image kinds with `slack` bytes after the block, the
// optional header's size (0: just big enough) and the resources' address,
// patches `width` bytes and expects that block size (0: none). Then every
// truncation must fail.
TEST_F(WinverTest, ChecksEveryBound) {
  std::string windows_path = path_;
  std::replace(windows_path.begin(), windows_path.end(), '/', '\\');
  for (bool pe32_plus : {false, true}) {
    const uint32_t dirs = DataDirs(pe32_plus);
    const struct {
      const char* name;
      uint32_t at, value, width;
      DWORD size = 0;
      uint32_t slack = 0, optional_size = 240, rva = 0x1000;
    } cases[] = {
        // clang-format off
        {"intact", 0, 0, 0, kBlockSize}, {"small header", 0, 0, 0, kBlockSize + 8, 8, 0},
        {"largest block", 0, 0, 0, kMaxBlockSize, kMaxBlockSize - kBlockSize},
        {"block too big", 0, 0, 0, 0, kMaxBlockSize - kBlockSize + 1},
        {"resources at address 0 (none)", 0, 0, 0, 0, 0, 240, 0}, {"not MZ", 1, 'X', 1},
        {"no PE signature", 0x42, 1, 1}, {"unknown magic", 0x58, 0x10C, 2},
        {"PE header past the end", 0x3C, 0xFFFFFFF0, 4}, {"no sections", 0x46, 0, 2},
        {"huge section count", 0x46, 0xFFFF, 2}, {"two data directories", dirs - 4, 2, 4},
        {"no resources", dirs + 16, 0, 4}, {"resources in no section", dirs + 16, 0x9000, 4},
        {"resources end in the data entry", dirs + 20, 0x57, 4},
        {"block past the raw data", kSections + 16, 0x58, 4},
        {"block past the virtual size", kSections + 8, 0x58, 4},
        {"no RT_VERSION", kTypeEntry, 3, 4}, {"RT_VERSION named", kTypeEntry - 4, 1, 4},
        {"huge entry count", kTypeEntry - 2, 0xFFFF, 2}, {"no entries", kTypeEntry - 2, 0, 2},
        {"type is a leaf", kTypeEntry + 7, 0, 1}, {"tree loops", kNameEntry + 4, 0x80000000, 4},
        {"data wraps", kDataEntry, 0xFFFFFFF0, 4},
        {"data past the section", kDataEntry + 4, kBlockSize + 1, 4},
        {"bad signature", kBlock + 40, 0xBC, 1}, {"wrong key", kBlock + 8, 'X', 1},
        {"value too short", kBlock + 2, 51, 2}, {"block too long", kBlock, kBlockSize + 1, 2},
        {"block too short", kBlock, kBlockSize - 1, 2},
        // clang-format on
    };
    for (const auto& c : cases) {
      const uint32_t optional_size = c.optional_size ? c.optional_size : dirs - 64;
      Bytes image = BuildImage(pe32_plus, c.slack, optional_size, c.rva);
      Put(&image, c.at, c.value, static_cast<int>(c.width));
      Write(image, image.size());
      EXPECT_EQ(Query(windows_path), c.size) << c.name << (pe32_plus ? " (PE32+)" : " (PE32)");
    }
    const Bytes image = BuildImage(pe32_plus);
    for (size_t length = 0; length < image.size(); ++length) {
      Write(image, length);
      ASSERT_EQ(GetFileVersionInfoSizeA(path_.c_str(), nullptr), 0u) << "cut at " << length;
    }
  }
}

}  // namespace
