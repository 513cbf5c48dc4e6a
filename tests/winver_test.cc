#include "winver.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

void Put(Bytes* b, size_t at, uint32_t value, int width) {
  for (int i = 0; i < width; ++i) (*b)[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

struct Versions {
  uint32_t file_ms, file_ls, product_ms, product_ls;
};
constexpr Versions kVersions = {0x00030001, 0x00CC0007, 0x00030002, 0x00000005};

// Layout of the test image: headers, the section table at 0x148, and one
// .rsrc section (file 0x200, address 0x1000) holding three one-entry
// directories (type, name, language), the data entry and the version block,
// which ends the file. Both image kinds use a 240-byte optional header.
constexpr size_t kTypeEntry = 0x210, kNameEntry = 0x228, kDataEntry = 0x248, kBlock = 0x258;
constexpr uint32_t kBlockSize = 92;

size_t DataDirs(bool pe32_plus) { return 0x58 + (pe32_plus ? 112 : 96); }

Bytes BuildImage(bool pe32_plus, const Versions& v = kVersions, uint32_t slack = 0) {
  Bytes b(kBlock + kBlockSize + slack);
  const uint32_t rsrc_size = 0x58 + kBlockSize + slack;
  const size_t dirs = DataDirs(pe32_plus);
  const struct {
    size_t at;
    uint32_t value;
    int width;
  } fields[] = {
      // clang-format off
      // DOS header, PE signature, COFF header (one section, 240-byte optional header)
      {0, 0x5A4D, 2}, {0x3C, 0x40, 4}, {0x40, 0x4550, 4}, {0x46, 1, 2}, {0x54, 240, 2},
      // optional header: magic, 16 data directories, the resource one at 0x1000
      {0x58, pe32_plus ? 0x20Bu : 0x10Bu, 2}, {dirs - 4, 16, 4},
      {dirs + 16, 0x1000, 4}, {dirs + 20, rsrc_size, 4},
      // .rsrc section header: sizes, address, file offset
      {0x150, rsrc_size, 4}, {0x154, 0x1000, 4}, {0x158, rsrc_size, 4}, {0x15C, 0x200, 4},
      // type 16 -> name 1 -> language 0x409 -> data entry -> block
      {kTypeEntry - 2, 1, 2}, {kTypeEntry, 16, 4}, {kTypeEntry + 4, 0x80000018, 4},
      {kNameEntry - 2, 1, 2}, {kNameEntry, 1, 4}, {kNameEntry + 4, 0x80000030, 4},
      {0x23E, 1, 2}, {0x240, 0x409, 4}, {0x244, 0x48, 4},
      {kDataEntry, 0x1058, 4}, {kDataEntry + 4, kBlockSize + slack, 4},
      // version block header and VS_FIXEDFILEINFO
      {kBlock, kBlockSize, 2}, {kBlock + 2, 52, 2}, {kBlock + 40, 0xFEEF04BD, 4},
      {kBlock + 48, v.file_ms, 4}, {kBlock + 52, v.file_ls, 4},
      {kBlock + 56, v.product_ms, 4}, {kBlock + 60, v.product_ls, 4},
      // clang-format on
  };
  for (const auto& f : fields) Put(&b, f.at, f.value, f.width);
  const char key[] = "VS_VERSION_INFO";
  for (size_t i = 0; i < sizeof key; ++i) Put(&b, kBlock + 6 + 2 * i, key[i], 2);
  return b;
}

class WinverTest : public ::testing::Test {
 protected:
  void TearDown() override { fs::remove_all(dir_); }

  void Write(const Bytes& bytes, size_t length) {
    fs::create_directories(dir_);
    std::ofstream(path_, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(length));
  }

  // Runs all three calls; true with `info` filled when every one succeeds.
  static bool Query(const std::string& file, VS_FIXEDFILEINFO* info) {
    DWORD handle = 7;
    const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &handle);
    EXPECT_EQ(handle, 0u);
    Bytes block(size);
    void* fixed = nullptr;
    UINT len = 0;
    if (size == 0 || !GetFileVersionInfoA(file.c_str(), 0, size, block.data()) ||
        !VerQueryValueA(block.data(), "\\", &fixed, &len)) {
      return false;
    }
    EXPECT_EQ(len, sizeof *info);
    std::memcpy(info, fixed, sizeof *info);
    return true;
  }

  const fs::path dir_ = fs::temp_directory_path() / ("winver_test." + std::to_string(getpid()));
  const std::string path_ = (dir_ / "image.exe").string();
};

TEST_F(WinverTest, ReadsVersionsOfBothImageKindsThroughBackslashPaths) {
  std::string windows_path = path_;
  std::replace(windows_path.begin(), windows_path.end(), '/', '\\');
  for (bool pe32_plus : {false, true}) {
    for (uint32_t slack : {0u, 40u}) {
      SCOPED_TRACE(pe32_plus ? "PE32+" : "PE32");
      const Versions v = {0x00010002u + slack, 0x00030004u + pe32_plus, 0x00050006, 0x00070008};
      const Bytes image = BuildImage(pe32_plus, v, slack);
      Write(image, image.size());
      EXPECT_EQ(GetFileVersionInfoSizeA(path_.c_str(), nullptr), kBlockSize + slack);
      VS_FIXEDFILEINFO info{};
      ASSERT_TRUE(Query(windows_path, &info));
      EXPECT_EQ(info.dwSignature, 0xFEEF04BDu);
      const DWORD got[] = {info.dwFileVersionMS, info.dwFileVersionLS, info.dwProductVersionMS,
                           info.dwProductVersionLS};
      EXPECT_EQ(std::vector<DWORD>(got, got + 4),
                (std::vector<DWORD>{v.file_ms, v.file_ls, v.product_ms, v.product_ls}));
    }
  }
}

TEST_F(WinverTest, NonImagesFail) {
  VS_FIXEDFILEINFO info{};
  Write(Bytes(4096, 'x'), 4096);
  EXPECT_FALSE(Query(path_, &info));
  EXPECT_FALSE(Query((dir_ / "missing.exe").string(), &info));
  EXPECT_FALSE(Query(dir_.string(), &info));
  ASSERT_EQ(mkfifo((dir_ / "fifo").c_str(), 0600), 0);
  EXPECT_FALSE(Query((dir_ / "fifo").string(), &info));
  EXPECT_EQ(GetFileVersionInfoSizeA(nullptr, nullptr), 0u);
}

TEST_F(WinverTest, CorruptImagesFail) {
  for (bool pe32_plus : {false, true}) {
    const size_t dirs = DataDirs(pe32_plus);
    const struct {
      const char* name;
      size_t at;
      uint32_t value;
      int width;
    } patches[] = {{"not MZ", 1, 'X', 1},
                   {"no PE signature", 0x42, 1, 1},
                   {"PE header past the end", 0x3C, 0xFFFFFFF0, 4},
                   {"unknown optional magic", 0x58, 0x10C, 2},
                   {"no sections", 0x46, 0, 2},
                   {"huge section count", 0x46, 0xFFFF, 2},
                   {"two data directories", dirs - 4, 2, 4},
                   {"no resource directory", dirs + 16, 0, 4},
                   {"resources outside sections", dirs + 16, 0x9000, 4},
                   {"block past the section's file data", 0x158, 0x58, 4},
                   {"block past the section's mapped size", 0x150, 0x58, 4},
                   {"no RT_VERSION", kTypeEntry, 3, 4},
                   {"RT_VERSION counted as named", kTypeEntry - 4, 1, 4},
                   {"huge entry count", kTypeEntry - 2, 0xFFFF, 2},
                   {"type is a leaf", kTypeEntry + 7, 0, 1},
                   {"tree loops to the root", kNameEntry + 4, 0x80000000, 4},
                   {"data past the file", kDataEntry + 4, 0x7FFFFFFF, 4},
                   {"data address wraps", kDataEntry, 0xFFFFFFF0, 4},
                   {"bad signature", kBlock + 40, 0xFEEF04BC, 4},
                   {"wrong key", kBlock + 8, 'X', 1},
                   {"value too short", kBlock + 2, 51, 2},
                   {"block longer than resource", kBlock, kBlockSize + 1, 2},
                   {"block too short", kBlock, kBlockSize - 1, 2}};
    for (const auto& p : patches) {
      SCOPED_TRACE(std::string(p.name) + (pe32_plus ? " (PE32+)" : " (PE32)"));
      Bytes image = BuildImage(pe32_plus);
      Put(&image, p.at, p.value, p.width);
      ASSERT_NE(image, BuildImage(pe32_plus));
      Write(image, image.size());
      VS_FIXEDFILEINFO info{};
      EXPECT_FALSE(Query(path_, &info));
    }
  }
}

TEST_F(WinverTest, EveryTruncationFails) {
  for (bool pe32_plus : {false, true}) {
    const Bytes image = BuildImage(pe32_plus);
    for (size_t length = 0; length < image.size(); ++length) {
      Write(image, length);
      ASSERT_EQ(GetFileVersionInfoSizeA(path_.c_str(), nullptr), 0u) << length;
    }
  }
}

// Each call must fail or return a block that passes its own checks; stray
// reads show up under the address sanitizer.
TEST_F(WinverTest, RandomByteCorruptionsAreSafe) {
  std::mt19937 rng(20261206);
  for (int round = 0; round < 3000; ++round) {
    Bytes image = BuildImage(round % 2 == 1);
    image[rng() % image.size()] = static_cast<uint8_t>(rng());
    Write(image, image.size());
    VS_FIXEDFILEINFO info{};
    if (Query(path_, &info)) {
      EXPECT_EQ(info.dwSignature, 0xFEEF04BDu);
    }
  }
}

TEST_F(WinverTest, BufferAndQueryArgumentsAreChecked) {
  const Bytes image = BuildImage(false);
  Write(image, image.size());
  Bytes block(kBlockSize);
  EXPECT_FALSE(GetFileVersionInfoA(path_.c_str(), 0, kBlockSize - 1, block.data()));
  EXPECT_FALSE(GetFileVersionInfoA(path_.c_str(), 0, kBlockSize, nullptr));
  ASSERT_TRUE(GetFileVersionInfoA(path_.c_str(), 0, kBlockSize, block.data()));
  void* info = nullptr;
  UINT len = 0;
  for (const char* sub : {"", "\\\\", "/", "\\StringFileInfo\\040904b0\\FileVersion"}) {
    EXPECT_FALSE(VerQueryValueA(block.data(), sub, &info, &len)) << sub;
  }
  EXPECT_FALSE(VerQueryValueA(nullptr, "\\", &info, &len));
  EXPECT_FALSE(VerQueryValueA(block.data(), nullptr, &info, &len));
  EXPECT_FALSE(VerQueryValueA(block.data(), "\\", nullptr, &len));
  EXPECT_FALSE(VerQueryValueA(block.data(), "\\", &info, nullptr));
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", &info, &len));
  EXPECT_EQ(info, block.data() + 40);
  Put(&block, 0, 40, 2);  // the block's own length no longer covers the fixed info
  EXPECT_FALSE(VerQueryValueA(block.data(), "\\", &info, &len));
}

}  // namespace
