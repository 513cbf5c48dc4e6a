// winver: finds the version resource of a PE image by walking its headers
// and resource directory with bounds-checked reads of the file.
#include "winver.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

static_assert(sizeof(VS_FIXEDFILEINFO) == 52, "VS_FIXEDFILEINFO must match the on-disk layout");
// VerQueryValueA hands out the block's little-endian bytes as the struct.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "little-endian host required");

namespace {

constexpr BOOL kFalse = 0;
constexpr BOOL kTrue = 1;

// PE headers.
constexpr size_t kDosHeaderSize = 64;
constexpr size_t kNewHeaderPointer = 0x3C;     // e_lfanew
constexpr uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr size_t kPeHeaderSize = 4 + 20;       // signature + COFF header
constexpr size_t kSectionCountOffset = 4 + 2;
constexpr size_t kOptionalSizeOffset = 4 + 16;
constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kDataDirectorySize = 8;
constexpr uint32_t kResourceDirectoryIndex = 2;

// Where each optional-header kind keeps NumberOfRvaAndSizes; the data
// directories follow it.
struct OptionalHeaderKind {
  uint16_t magic;
  size_t rvaCountOffset;
};
constexpr OptionalHeaderKind kOptionalHeaderKinds[] = {{0x10B, 92}, {0x20B, 108}};  // PE32, PE32+

// Resource directory tree.
constexpr size_t kResourceDirHeaderSize = 16;
constexpr size_t kResourceEntrySize = 8;
constexpr size_t kResourceDataEntrySize = 16;
constexpr uint32_t kSubdirectoryFlag = 0x80000000;
constexpr uint32_t kVersionType = 16;  // RT_VERSION
constexpr int kTreeDepth = 3;          // type, name, language

// Version block: wLength, wValueLength, wType, key, padding, VS_FIXEDFILEINFO.
constexpr char kVersionKey[] = "VS_VERSION_INFO";  // stored as UTF-16LE with its terminator
constexpr size_t kKeyOffset = 6;
constexpr size_t kFixedInfoOffset = (kKeyOffset + 2 * sizeof(kVersionKey) + 3) & ~size_t{3};
constexpr size_t kMinBlockSize = kFixedInfoOffset + sizeof(VS_FIXEDFILEINFO);
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
// wLength is 16 bits, so a real version resource is small; a bigger data size
// is corrupt and is refused before anything is allocated for it.
constexpr uint32_t kMaxResourceSize = 1 << 20;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

uint32_t Le32(const uint8_t* p) { return Le16(p) | static_cast<uint32_t>(Le16(p + 2)) << 16; }

// A regular file read only through checked positional reads.
class File {
 public:
  explicit File(const char* fileName);
  ~File() {
    if (fd_ >= 0) close(fd_);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool is_open() const { return fd_ >= 0; }
  // Reads exactly `length` bytes at `offset`; false unless all lie inside the file.
  bool Read(uint64_t offset, size_t length, void* out) const;

 private:
  int fd_ = -1;
  uint64_t size_ = 0;
};

File::File(const char* fileName) {
  std::string path(fileName);
  std::replace(path.begin(), path.end(), '\\', '/');
  // O_NONBLOCK keeps the open of a FIFO from hanging; regular files ignore it.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return;
  }
  fd_ = fd;
  size_ = static_cast<uint64_t>(info.st_size);
}

bool File::Read(uint64_t offset, size_t length, void* out) const {
  if (offset > size_ || length > size_ - offset) return false;
  auto* dest = static_cast<uint8_t*>(out);
  while (length > 0) {
    const ssize_t got = pread(fd_, dest, length, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;  // the file shrank under us
    dest += got;
    offset += static_cast<uint64_t>(got);
    length -= static_cast<size_t>(got);
  }
  return true;
}

struct Section {
  uint32_t virtualAddress;
  uint32_t span;  // bytes of the section that are both mapped and in the file
  uint32_t rawPointer;
};

struct ResourceEntry {
  uint32_t id;
  uint32_t target;  // offset in the resource directory, kSubdirectoryFlag for a subdirectory
};

// The parts of a PE image needed to reach its resources.
class PeImage {
 public:
  explicit PeImage(const File& file) : file_(file) {}

  // Reads the headers; false when the file is no PE image with resources.
  bool Load();
  // Finds the data (image address and size) of the first version resource.
  bool FindVersionData(uint32_t* rva, uint32_t* size) const;
  // Reads `length` bytes at image address `rva`, all from one section's file data.
  bool ReadRva(uint64_t rva, size_t length, void* out) const;

 private:
  bool FindResourceDirectory(const std::vector<uint8_t>& optionalHeader);
  bool LoadSections(uint64_t tableOffset, size_t count);
  bool ReadResource(uint64_t offset, size_t length, void* out) const;
  bool ReadDirectory(uint32_t offset, std::vector<ResourceEntry>* entries,
                     size_t* namedCount) const;

  const File& file_;
  std::vector<Section> sections_;
  uint32_t resourceRva_ = 0;
  uint32_t resourceSize_ = 0;
};

bool PeImage::Load() {
  uint8_t dos[kDosHeaderSize];
  if (!file_.Read(0, sizeof dos, dos) || dos[0] != 'M' || dos[1] != 'Z') return false;
  const uint64_t peOffset = Le32(dos + kNewHeaderPointer);
  uint8_t pe[kPeHeaderSize];
  if (!file_.Read(peOffset, sizeof pe, pe) || Le32(pe) != kPeSignature) return false;
  std::vector<uint8_t> optionalHeader(Le16(pe + kOptionalSizeOffset));
  const uint64_t optionalOffset = peOffset + kPeHeaderSize;
  return file_.Read(optionalOffset, optionalHeader.size(), optionalHeader.data()) &&
         FindResourceDirectory(optionalHeader) &&
         LoadSections(optionalOffset + optionalHeader.size(), Le16(pe + kSectionCountOffset));
}

bool PeImage::FindResourceDirectory(const std::vector<uint8_t>& optionalHeader) {
  if (optionalHeader.size() < 2) return false;
  const uint16_t magic = Le16(optionalHeader.data());
  const auto* kind =
      std::find_if(std::begin(kOptionalHeaderKinds), std::end(kOptionalHeaderKinds),
                   [magic](const OptionalHeaderKind& k) { return k.magic == magic; });
  if (kind == std::end(kOptionalHeaderKinds)) return false;
  const size_t entryOffset =
      kind->rvaCountOffset + 4 + kResourceDirectoryIndex * kDataDirectorySize;
  if (optionalHeader.size() < entryOffset + kDataDirectorySize) return false;
  if (Le32(&optionalHeader[kind->rvaCountOffset]) <= kResourceDirectoryIndex) return false;
  resourceRva_ = Le32(&optionalHeader[entryOffset]);
  resourceSize_ = Le32(&optionalHeader[entryOffset + 4]);
  return resourceRva_ != 0 && resourceSize_ != 0;
}

bool PeImage::LoadSections(uint64_t tableOffset, size_t count) {
  std::vector<uint8_t> table(count * kSectionHeaderSize);
  if (!file_.Read(tableOffset, table.size(), table.data())) return false;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* header = &table[i * kSectionHeaderSize];
    const uint32_t virtualSize = Le32(header + 8);
    const uint32_t rawSize = Le32(header + 16);
    // Bytes past VirtualSize are not mapped; a zero VirtualSize means "raw size".
    const uint32_t span = virtualSize == 0 ? rawSize : std::min(virtualSize, rawSize);
    sections_.push_back({Le32(header + 12), span, Le32(header + 20)});
  }
  return !sections_.empty();
}

bool PeImage::ReadRva(uint64_t rva, size_t length, void* out) const {
  for (const Section& section : sections_) {
    if (rva < section.virtualAddress || rva - section.virtualAddress >= section.span) continue;
    const uint64_t delta = rva - section.virtualAddress;
    if (length > section.span - delta) return false;
    return file_.Read(section.rawPointer + delta, length, out);
  }
  return false;
}

// Reads `length` bytes at `offset` inside the resource directory's extent.
bool PeImage::ReadResource(uint64_t offset, size_t length, void* out) const {
  if (offset > resourceSize_ || length > resourceSize_ - offset) return false;
  return ReadRva(resourceRva_ + offset, length, out);
}

// Reads the entries of the directory at `offset`: `namedCount` named ones,
// then the numbered ones. Their count is bounded by the directory's extent.
bool PeImage::ReadDirectory(uint32_t offset, std::vector<ResourceEntry>* entries,
                            size_t* namedCount) const {
  uint8_t header[kResourceDirHeaderSize];
  if (!ReadResource(offset, sizeof header, header)) return false;
  *namedCount = Le16(header + 12);
  const size_t count = *namedCount + Le16(header + 14);
  if (count * kResourceEntrySize > resourceSize_) return false;  // cannot fit: corrupt
  std::vector<uint8_t> raw(count * kResourceEntrySize);
  if (!ReadResource(uint64_t{offset} + sizeof header, raw.size(), raw.data())) return false;
  entries->clear();
  for (size_t i = 0; i < count; ++i) {
    entries->push_back(
        {Le32(&raw[i * kResourceEntrySize]), Le32(&raw[i * kResourceEntrySize + 4])});
  }
  return true;
}

// Walks type RT_VERSION, then its first name and first language, to the data
// entry. The walk is exactly three levels deep, so a looping tree ends it.
bool PeImage::FindVersionData(uint32_t* rva, uint32_t* size) const {
  uint32_t offset = 0;
  std::vector<ResourceEntry> entries;
  for (int level = 0; level < kTreeDepth; ++level) {
    size_t namedCount;
    if (!ReadDirectory(offset, &entries, &namedCount)) return false;
    auto entry = entries.begin();
    if (level == 0) {
      entry = std::find_if(entries.begin() + static_cast<std::ptrdiff_t>(namedCount), entries.end(),
                           [](const ResourceEntry& e) { return e.id == kVersionType; });
    }
    if (entry == entries.end()) return false;
    const bool is_directory = (entry->target & kSubdirectoryFlag) != 0;
    if (is_directory != (level + 1 < kTreeDepth)) return false;
    offset = entry->target & ~kSubdirectoryFlag;
  }
  uint8_t dataEntry[kResourceDataEntrySize];
  if (!ReadResource(offset, sizeof dataEntry, dataEntry)) return false;
  *rva = Le32(dataEntry);
  *size = Le32(dataEntry + 4);
  return true;
}

// True when the `size` bytes at `block` start a version block whose own
// length fits in them and which carries a VS_FIXEDFILEINFO.
bool IsVersionBlock(const uint8_t* block, size_t size) {
  if (size < kMinBlockSize) return false;
  const uint16_t length = Le16(block);
  const uint16_t valueLength = Le16(block + 2);
  if (length < kMinBlockSize || length > size || valueLength < sizeof(VS_FIXEDFILEINFO)) {
    return false;
  }
  for (size_t i = 0; i < sizeof(kVersionKey); ++i) {
    if (Le16(block + kKeyOffset + 2 * i) != static_cast<uint8_t>(kVersionKey[i])) return false;
  }
  return Le32(block + kFixedInfoOffset) == kFixedInfoSignature;
}

bool ReadVersionBlock(const char* fileName, std::vector<uint8_t>* block) {
  if (fileName == nullptr) return false;
  try {
    const File file(fileName);
    PeImage image(file);
    uint32_t rva;
    uint32_t size;
    if (!file.is_open() || !image.Load() || !image.FindVersionData(&rva, &size) ||
        size < kMinBlockSize || size > kMaxResourceSize) {
      return false;
    }
    block->resize(size);
    return image.ReadRva(rva, size, block->data()) && IsVersionBlock(block->data(), size);
  } catch (...) {  // out of memory: a failure like any other
    return false;
  }
}

}  // namespace

DWORD GetFileVersionInfoSizeA(const char* fileName, DWORD* handle) {
  if (handle != nullptr) *handle = 0;
  std::vector<uint8_t> block;
  return ReadVersionBlock(fileName, &block) ? static_cast<DWORD>(block.size()) : 0;
}

BOOL GetFileVersionInfoA(const char* fileName, DWORD /*handle*/, DWORD len, void* data) {
  std::vector<uint8_t> block;
  if (data == nullptr || !ReadVersionBlock(fileName, &block) || block.size() > len) return kFalse;
  std::memcpy(data, block.data(), block.size());
  return kTrue;
}

BOOL VerQueryValueA(const void* block, const char* subBlock, void** buffer, UINT* len) {
  if (block == nullptr || subBlock == nullptr || buffer == nullptr || len == nullptr ||
      std::strcmp(subBlock, "\\") != 0) {
    return kFalse;
  }
  const auto* bytes = static_cast<const uint8_t*>(block);
  if (!IsVersionBlock(bytes, Le16(bytes))) return kFalse;
  *buffer = const_cast<uint8_t*>(bytes + kFixedInfoOffset);
  *len = sizeof(VS_FIXEDFILEINFO);
  return kTrue;
}
