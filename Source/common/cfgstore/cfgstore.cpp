// cfgstore: the settings store (see cfgstore.h): the export file CFGSTORE_FILE
// names, parsed again when it changes (export_file.cpp), the process's
// overrides laid over it, and on Windows the system registry when no file
// is named (windows_registry.cpp). How each value reads is in
// registry_values.cpp.

#include "cfgstore.h"

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// The export file is read as bytes; the C runtime has no such flags.
#define O_CLOEXEC O_BINARY
#define O_NONBLOCK 0
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "export_file.h"
#include "registry_values.h"
#include "windows_registry.h"

Registry registry;

namespace {

using cfgstore::detail::AtoiSaturating;
using cfgstore::detail::IntOf;
using cfgstore::detail::IsTrueWord;
using cfgstore::detail::KeyMap;
using cfgstore::detail::Kind;
using cfgstore::detail::Lower;
using cfgstore::detail::NormalizeKey;
using cfgstore::detail::StartsWith;
using cfgstore::detail::Str;
using cfgstore::detail::SwitchOf;
using cfgstore::detail::TextOf;
using cfgstore::detail::Value;

constexpr char kFileVariable[] = "CFGSTORE_FILE";
constexpr char kEnvironmentKey[] = "SOFTWARE\\TORVANHOLME\\Environment";
constexpr std::string_view kSoftwarePrefix = "software\\";
constexpr std::string_view kWowNode = "wow6432node";
constexpr size_t kReadChunk = size_t{64} * 1024;

// What identifies one version of the file.
struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  time_t mtimeSec = 0;
  long mtimeNsec = 0;

  bool operator==(const FileStamp& o) const {
    return device == o.device && inode == o.inode && size == o.size && mtimeSec == o.mtimeSec &&
           mtimeNsec == o.mtimeNsec;
  }
};

FileStamp StampOf(const char* path, const struct stat& st) {
#ifdef _WIN32
  // The C runtime gives whole seconds and no inode: the last-write time's
  // 100-nanosecond ticks tell apart two versions written within a second.
  FileStamp stamp{st.st_dev, st.st_ino, st.st_size, st.st_mtime, 0};
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExA(path, GetFileExInfoStandard, &data))
    stamp.mtimeNsec = static_cast<long>(((uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                                         data.ftLastWriteTime.dwLowDateTime) %
                                        10000000u) *
                      100;
  return stamp;
#else
  (void)path;
  return FileStamp{st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
#endif
}

struct Store {
  std::mutex mutex;
  std::string path;     // the file `keys` came from
  bool loaded = false;  // `keys` and `stamp` describe `path`
  FileStamp stamp;
  KeyMap keys;
  KeyMap overrides;
};

Store& GetStore() {
  static Store* store = new Store;  // never destroyed: readers may run during exit
  return *store;
}

bool ReadAll(int fd, std::string* bytes) {
  for (;;) {
    const size_t used = bytes->size();
    bytes->resize(used + kReadChunk);
    ssize_t n = ::read(fd, &(*bytes)[used], kReadChunk);
    bytes->resize(used + static_cast<size_t>(std::max<ssize_t>(n, 0)));
    if (n == 0) return true;
    if (n < 0 && errno != EINTR) return false;
  }
}

// The bytes of a regular file; false when it cannot be read.
bool ReadRegularFile(const char* path, struct stat& st, std::string& bytes) {
  // Non-blocking so that a FIFO swapped in under the name cannot hang a reader.
  int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ReadAll(fd, &bytes);
  ::close(fd);
  return ok;
}

// Parses the file into `keys`; false (and no keys) when it cannot be read.
bool LoadFile(const char* path, FileStamp* stamp, KeyMap* keys) {
  keys->clear();
  struct stat st;
  std::string bytes;
  if (!ReadRegularFile(path, st, bytes)) return false;
  *stamp = StampOf(path, st);
  *keys = cfgstore::detail::ParseExport(bytes);
  return true;
}

// Brings `store->keys` in line with the file CFGSTORE_FILE names now.
void Refresh(Store* store) {
  const char* path = std::getenv(kFileVariable);
  struct stat st;
  if (path == nullptr || *path == '\0' || ::stat(path, &st) != 0 || !S_ISREG(st.st_mode)) {
    store->keys.clear();
    store->loaded = false;
    return;
  }
  if (store->loaded && store->path == path && store->stamp == StampOf(path, st)) return;
  store->path = path;
  store->loaded = LoadFile(path, &store->stamp, &store->keys);
}

bool KeyExists(const KeyMap& keys, const std::string& key) {
  if (keys.count(key) != 0) return true;
  const std::string prefix = key + '\\';
  auto it = keys.lower_bound(prefix);
  return it != keys.end() && StartsWith(it->first, prefix);
}

// A 32-bit program on 64-bit Windows sees SOFTWARE\X at
// SOFTWARE\WOW6432Node\X, and an export taken there may hold a key only in
// that view. The key as asked wins when it exists.
std::string ResolveKey(const KeyMap& keys, const std::string& key) {
  if (!StartsWith(key, kSoftwarePrefix) || KeyExists(keys, key)) return key;
  std::string_view rest = std::string_view(key).substr(kSoftwarePrefix.size());
  if (StartsWith(rest, kWowNode) &&
      (rest.size() == kWowNode.size() || rest[kWowNode.size()] == '\\')) {
    return key;
  }
  return std::string(kSoftwarePrefix) + std::string(kWowNode) + '\\' + std::string(rest);
}

const Value* FindValue(const KeyMap& keys, const std::string& key, const std::string& name) {
  auto k = keys.find(key);
  if (k == keys.end()) return nullptr;
  auto v = k->second.find(name);
  return v == k->second.end() ? nullptr : &v->second;
}

// The value an override, the file or (on Windows, without a file named) the
// system registry holds; nothing when it is missing or of a kind that reads
// as missing.
std::optional<Value> Lookup(HKEY root, const std::string& keyPath, const std::string& section,
                            const std::string& valueName) {
  if (root != HKEY_LOCAL_MACHINE) return std::nullopt;
  const std::string key = NormalizeKey(keyPath + '\\' + section);
  const std::string name = Lower(valueName);
  Store& store = GetStore();
  std::lock_guard<std::mutex> lock(store.mutex);
  if (const Value* v = FindValue(store.overrides, key, name)) return *v;
#ifdef _WIN32
  const char* file = std::getenv(kFileVariable);
  if (file == nullptr || *file == '\0') {
    std::optional<Value> v = cfgstore::detail::SystemValue(key, valueName);
    if (!v || v->kind == Kind::kOpaque) return std::nullopt;
    return v;
  }
#endif
  Refresh(&store);
  const Value* v = FindValue(store.keys, ResolveKey(store.keys, key), name);
  if (v == nullptr || v->kind == Kind::kOpaque) return std::nullopt;
  return *v;
}

}  // namespace

std::string Registry::read(HKEY root, const std::string& keyPath, const std::string& section,
                           const std::string& valueName, const std::string& defaultValue,
                           int /*reserved*/) {
  std::optional<Value> v = Lookup(root, keyPath, section, valueName);
  return v ? TextOf(*v) : defaultValue;
}

bool Registry::readBool(HKEY root, const std::string& keyPath, const std::string& section,
                        const std::string& valueName, const std::string& defaultValue,
                        int /*reserved*/) {
  std::optional<Value> v = Lookup(root, keyPath, section, valueName);
  return v ? SwitchOf(*v) : IsTrueWord(defaultValue);
}

int readRegInt(HKEY root, const char* keyPath, const char* section, const char* valueName,
               const char* defaultValue) {
  std::optional<Value> v = Lookup(root, Str(keyPath), Str(section), Str(valueName));
  return v ? IntOf(*v) : AtoiSaturating(Str(defaultValue));
}

int readRegTrueFalse(HKEY root, const char* keyPath, const char* section, const char* valueName,
                     const char* defaultValue) {
  return registry.readBool(root, Str(keyPath), Str(section), Str(valueName), Str(defaultValue), 0)
             ? 1
             : 0;
}

const char* readRegA(const char* valueName, const char* defaultValue) {
  thread_local std::string buffer;
  buffer =
      registry.read(HKEY_LOCAL_MACHINE, kEnvironmentKey, "", Str(valueName), Str(defaultValue), 0);
  return buffer.c_str();
}

int readReg(HKEY root, const char* keyPath, const char* section, const char* valueName,
            char* buffer, int size, const char* defaultValue) {
  const std::string text =
      registry.read(root, Str(keyPath), Str(section), Str(valueName), Str(defaultValue), 0);
  if (buffer != nullptr && size > 0) {
    const size_t n = std::min(text.size(), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
  }
  return static_cast<int>(std::min<size_t>(text.size(), INT_MAX));
}

namespace cfgstore {

void SetOverride(const std::string& key, const std::string& valueName, const std::string& value) {
  Store& store = GetStore();
  std::lock_guard<std::mutex> lock(store.mutex);
  Value& v = store.overrides[NormalizeKey(key)][Lower(valueName)];
  v.kind = Kind::kText;
  v.text = value;
}

void ClearOverrides() {
  Store& store = GetStore();
  std::lock_guard<std::mutex> lock(store.mutex);
  store.overrides.clear();
}

bool IsExportFile(const std::string& path) {
  struct stat st;
  std::string bytes;
  if (!ReadRegularFile(path.c_str(), st, bytes)) return false;
  return cfgstore::detail::BeginsAsExport(bytes);
}

}  // namespace cfgstore
