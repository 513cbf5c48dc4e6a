// The catalogue: locating the definition file, reading its record blocks
// and keeping the records by name and by number.
#include "quenzel_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <fstream>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "host_services.h"
#include "read_error.h"
#include "text_readers.h"

using namespace quenzel::detail;

namespace {

constexpr const char* kReadOperation = "CQuenzelFile::Read()";
constexpr const char* kLibraryFile = "quenzel.dll";

// A definition file that begins with a UTF-16 byte-order mark byte is
// refused. A file that cannot be opened here is not Unicode.
bool IsUnicodeFile(const std::string& path) {
  std::ifstream probe(NativePath(path), std::ios::binary);
  int first = probe.get();
  return first == 0xFF || first == 0xFE;
}

bool IsDirectory(const std::string& path) {
  struct stat status;
  return ::stat(NativePath(path).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// File times at full resolution.
bool ModificationTime(const std::string& path, struct timespec& time, off_t* size = nullptr) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return false;
  time = status.st_mtim;
  if (size != nullptr) *size = status.st_size;
  return true;
}

bool VersionMatches(char* reserved, const std::string& requiredVersion) {
  char version[32] = {};
  Cgetver reader;
  return reader.GetVersion(version, kLibraryFile, reserved) == 0 && requiredVersion == version;
}

}  // namespace

CQuenzelFile::CQuenzelFile() = default;
CQuenzelFile::~CQuenzelFile() = default;

bool CQuenzelFile::Initialise(const std::string& fileName, const std::string& logName,
                              char* reserved, const std::string& requiredVersion) {
  ClearReadError();
  if (!requiredVersion.empty() && !VersionMatches(reserved, requiredVersion)) return false;

  bool audit = registry.readBool(HKEY_LOCAL_MACHINE, kKeyDriver, "quenzel", "AUDITLOG", "", 0);
  definitionPath = std::string(readRegA("ZQEXE", "")) + "zqapi" + "\\" + fileName;
  // This entry carries the path before its type format; see logbook.h.
  logbook_log_msg(logName.c_str(), kAuditSource, kEventCatalogue, 0, 10, 0, definitionPath.c_str(),
                  definitionPath.c_str(), "%s%s%z", kReadOperation);

  // The cache lives beside the definition file under both operations. It
  // is stamped with the time the definition had before the read, so that a
  // definition replaced during the read, or later by a file whose time lies
  // between that and the cache's writing, counts as newer than the cache.
  struct timespec sourceTime;
  const bool timed = ModificationTime(NativePath(definitionPath), sourceTime);
  if (LoadCache(definitionPath, definitionPath) == 0) return true;
  if (!Read(audit ? logName : std::string())) return false;
  SaveCache(definitionPath, timed ? &sourceTime : nullptr);
  return true;
}

CQuenzelRecord* CQuenzelFile::GetRecord(std::string name) {
  auto it = records.find(name);
  return it == records.end() ? nullptr : &it->second;
}

CQuenzelRecord* CQuenzelFile::GetRecord(int number) {
  auto key = recordKeys.find(std::to_string(number));
  if (key == recordKeys.end()) return nullptr;
  return GetRecord(key->second);
}

void CQuenzelFile::AddRecord(const CQuenzelRecord& record) {
  std::string number = std::to_string(record.recordNumber);
  const std::string& key = record.name.empty() ? number : record.name;
  recordKeys.emplace(number, key);
  records.emplace(key, record);  // the copy builds the record's field indexes
}

bool CQuenzelFile::Read(const std::string& logName) {
  std::string codepage;
  std::ifstream in(NativePath(definitionPath));

  if (IsUnicodeFile(definitionPath)) {
    ReportReadError(ReadErrorKind::kUnicode, definitionPath, 0, 0);
    if (!logName.empty())
      logbook_log_msg(logName.c_str(), kAuditSource, kEventCatalogue, 0, 10, 0, "File is unicode",
                      definitionPath.c_str(), "%z", kReadOperation);
    return false;
  }
  if (!in.is_open() || IsDirectory(definitionPath)) {  // a directory is no file to read
    ReportReadError(ReadErrorKind::kOpenFailed, definitionPath, 0, 0);
    if (!logName.empty()) {
      std::string message = "Quenzel.dll failed to open " + definitionPath;
      logbook_log_msg(logName.c_str(), kAuditSource, kEventCatalogue, 0, 10, 0, message.c_str(),
                      "%z", kReadOperation);
    }
    return false;
  }

  LineCounter() = 0;
  bool ok = true;
  std::string skipped;
  while (ok && !in.eof()) {
    int c = in.get();
    if (c == std::char_traits<char>::eof()) break;
    if (c != '#') {
      in.unget();
      ReadLine(in, skipped);  // a line outside any block
      continue;
    }
    CQuenzelRecord record(definitionPath, logName);
    if (codepage.empty())
      codepage =
          "cp-" + registry.read(HKEY_LOCAL_MACHINE, kKeyRoot, "ENVIRONMENT", "Codepage", "", 0);
    record.codepage = codepage;
    ok = record.Read(in);
    if (ok) AddRecord(record);
  }
  return ok;
}

// ---------------------------------------------------------------------------
// The definition cache: a compact image of the catalogue beside the
// definition file, described in docs/cache-format.md.

namespace {

bool CacheSwitchOn() {
  return registry.readBool(HKEY_LOCAL_MACHINE, kKeyRoot, "Environment", "CacheFiles", "off", 0);
}

// Appends the cache's primitives: little-endian integers, '1'/'0' bools,
// length-prefixed texts.
class CacheWriter {
 public:
  void Int32(int value) { Bytes(static_cast<std::uint32_t>(value), 4); }
  void Int64(long long value) { Bytes(static_cast<std::uint64_t>(value), 8); }
  void Bool(bool value) { out_.push_back(value ? '1' : '0'); }
  void Byte(unsigned char value) { out_.push_back(static_cast<char>(value)); }
  void Text(const std::string& text) {
    Int32(static_cast<int>(text.size()));
    out_ += text;
  }
  std::string& bytes() { return out_; }

 private:
  void Bytes(std::uint64_t value, int count) {
    for (int i = 0; i < count; ++i) out_.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  }
  std::string out_;
};

// Reads the primitives back, checking every length and count against the
// bytes that remain; after the first inconsistency ok() is false and every
// read gives a zero value.
class CacheReader {
 public:
  CacheReader(const char* data, std::size_t size) : p_(data), end_(data + size) {}

  int Int32() { return static_cast<int>(static_cast<std::uint32_t>(Bytes(4))); }
  long long Int64() { return static_cast<long long>(Bytes(8)); }
  bool Bool() { return Take(1) && p_[-1] == '1'; }
  unsigned char Byte() { return Take(1) ? static_cast<unsigned char>(p_[-1]) : 0; }
  std::string Text() {
    std::string text;
    Text(text);
    return text;
  }
  void Text(std::string& text) {
    int length = Int32();
    if (length < 0 || !Take(static_cast<std::size_t>(length))) return Fail(), text.clear();
    text.assign(p_ - length, static_cast<std::size_t>(length));
  }
  // A count of items that each take at least `minimumSize` bytes.
  int Count(std::size_t minimumSize) {
    int count = Int32();
    if (count < 0 || static_cast<std::size_t>(count) > Remaining() / minimumSize) Fail();
    return ok_ ? count : 0;
  }
  bool ok() const { return ok_; }
  bool AtEnd() const { return p_ == end_; }

 private:
  std::size_t Remaining() const { return static_cast<std::size_t>(end_ - p_); }
  bool Take(std::size_t n) {
    if (!ok_ || n > Remaining()) return Fail(), false;
    p_ += n;
    return true;
  }
  std::uint64_t Bytes(int count) {
    if (!Take(static_cast<std::size_t>(count))) return 0;
    const unsigned char* b = reinterpret_cast<const unsigned char*>(p_ - count);
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = (value << 8) | b[i];
    return value;
  }
  void Fail() { ok_ = false; }

  const char* p_;
  const char* end_;
  bool ok_ = true;
};

// Smallest encodings, for bounding counts: a field and a record with
// empty texts, and an index entry.
// Field: 8 int32, 3 int64, 12 texts, 14 bools, 5 int32, the count.
constexpr std::size_t kMinFieldSize = 8 * 4 + 3 * 8 + 12 * 4 + 14 + 5 * 4 + 4;
// Record with its key: key text, 2 int32, 9 texts, 9 int32, 7 bools, the count.
constexpr std::size_t kMinRecordSize = 4 + 2 * 4 + 9 * 4 + 9 * 4 + 7 + 4;
constexpr std::size_t kMinKeySize = 4 + 4;

void WriteField(CacheWriter& w, const CQuenzelField& f) {
  w.Int32(f.m_Type);
  w.Int32(f.m_PseudoNumber);
  w.Int32(f.m_FieldNumber);
  w.Int32(f.m_Length);
  w.Int32(f.m_SplitCnt1);
  w.Int32(f.m_SplitCnt2);
  w.Int32(f.m_Reserved1);
  w.Int32(f.m_RecordNumber);
  w.Int64(f.m_Default);
  w.Int64(f.m_Min);
  w.Int64(f.m_Max);
  w.Text(f.m_ValueList);
  w.Bool(f.m_Reserved2);
  w.Bool(f.m_Reserved3);
  w.Text(f.m_Key);
  w.Text(f.m_KeyPos);
  w.Bool(f.m_Private);
  w.Bool(f.m_NoPartial);
  w.Bool(f.m_DelCtlCh);
  w.Bool(f.m_Supplied);
  w.Bool(f.m_TreatAsText);
  w.Bool(f.m_NoPad);
  for (const std::string* text :
       {&f.m_InitValue, &f.m_CodePage, &f.m_Value, &f.m_AuditName, &f.m_AuditText, &f.m_Comment,
        &f.m_Rejected, &f.m_RecordName, &f.m_Name})
    w.Text(*text);
  for (int value : {f.m_ScaleMS, f.m_TotalsMS, f.m_ScaleSF, f.m_HostMS, f.m_HostSF}) w.Int32(value);
  for (bool flag : {f.m_ConvertField, f.m_ConversionOn, f.m_ConversionFlagA, f.m_ConversionFlagB,
                    f.m_HostUnitsFixed, f.m_SendOrDelete})
    w.Bool(flag);
  w.Int32(static_cast<int>(f.m_ValidChars.size()));
  for (unsigned char c : f.m_ValidChars) w.Byte(c);
}

void ReadField(CacheReader& r, CQuenzelField& f) {
  f.m_Type = r.Int32();
  f.m_PseudoNumber = r.Int32();
  f.m_FieldNumber = r.Int32();
  f.m_Length = r.Int32();
  f.m_SplitCnt1 = r.Int32();
  f.m_SplitCnt2 = r.Int32();
  f.m_Reserved1 = r.Int32();
  f.m_RecordNumber = r.Int32();
  f.m_Default = r.Int64();
  f.m_Min = r.Int64();
  f.m_Max = r.Int64();
  r.Text(f.m_ValueList);
  f.m_Reserved2 = r.Bool();
  f.m_Reserved3 = r.Bool();
  r.Text(f.m_Key);
  r.Text(f.m_KeyPos);
  f.m_Private = r.Bool();
  f.m_NoPartial = r.Bool();
  f.m_DelCtlCh = r.Bool();
  f.m_Supplied = r.Bool();
  f.m_TreatAsText = r.Bool();
  f.m_NoPad = r.Bool();
  for (std::string* text :
       {&f.m_InitValue, &f.m_CodePage, &f.m_Value, &f.m_AuditName, &f.m_AuditText, &f.m_Comment,
        &f.m_Rejected, &f.m_RecordName, &f.m_Name})
    r.Text(*text);
  for (int* value : {&f.m_ScaleMS, &f.m_TotalsMS, &f.m_ScaleSF, &f.m_HostMS, &f.m_HostSF})
    *value = r.Int32();
  for (bool* flag : {&f.m_ConvertField, &f.m_ConversionOn, &f.m_ConversionFlagA,
                     &f.m_ConversionFlagB, &f.m_HostUnitsFixed, &f.m_SendOrDelete})
    *flag = r.Bool();
  int count = r.Count(1);
  f.m_ValidChars.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) f.m_ValidChars.push_back(r.Byte());
}

void WriteRecord(CacheWriter& w, const CQuenzelRecord& r) {
  w.Int32(r.action);
  w.Int32(r.recordNumber);
  for (const std::string* text : {&r.logName, &r.definitionPath, &r.lastFieldName, &r.keyF1Name,
                                  &r.keyF2Name, &r.keyF3Name, &r.fieldName, &r.name, &r.codepage})
    w.Text(*text);
  for (int value :
       {r.sourceBaseWeightUnits, r.sourceTotalsBaseWeightUnits, r.sourceScalingFactor,
        r.sourceTotalsScalingFactor, r.destinationBaseWeightUnits, r.destinationScalingFactor,
        r.netWeightBaseWeightUnits, r.netWeightScalingFactor, r.priceUnits})
    w.Int32(value);
  for (bool flag : {r.rangeWarning, r.seventhFlag, r.uomFlag, r.conversionOn, r.priceBaseFlag,
                    r.backwardCompatible, r.highResolution})
    w.Bool(flag);
  w.Int32(static_cast<int>(r.fields.size()));
  for (const CQuenzelField& field : r.fields) WriteField(w, field);
}

void ReadRecord(CacheReader& in, CQuenzelRecord& r) {
  r.action = in.Int32();
  r.recordNumber = in.Int32();
  for (std::string* text : {&r.logName, &r.definitionPath, &r.lastFieldName, &r.keyF1Name,
                            &r.keyF2Name, &r.keyF3Name, &r.fieldName, &r.name, &r.codepage})
    in.Text(*text);
  for (int* value :
       {&r.sourceBaseWeightUnits, &r.sourceTotalsBaseWeightUnits, &r.sourceScalingFactor,
        &r.sourceTotalsScalingFactor, &r.destinationBaseWeightUnits, &r.destinationScalingFactor,
        &r.netWeightBaseWeightUnits, &r.netWeightScalingFactor, &r.priceUnits})
    *value = in.Int32();
  for (bool* flag : {&r.rangeWarning, &r.seventhFlag, &r.uomFlag, &r.conversionOn, &r.priceBaseFlag,
                     &r.backwardCompatible, &r.highResolution})
    *flag = in.Bool();
  int count = in.Count(kMinFieldSize);
  r.fields.reserve(static_cast<std::size_t>(count));
  const std::string empty;
  for (int i = 0; i < count && in.ok(); ++i) {
    r.fields.emplace_back(0, empty, empty, empty, empty, false, empty);
    ReadField(in, r.fields.back());
  }
}

bool Later(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec != b.tv_sec ? a.tv_sec > b.tv_sec : a.tv_nsec > b.tv_nsec;
}

// Reads exactly `size` bytes of the file into `bytes` (left uninitialised
// before the read, as a plain buffer).
bool ReadWholeFile(const std::string& path, std::size_t size, std::unique_ptr<char[]>& bytes) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bytes.reset(new (std::nothrow) char[size]);
  std::size_t done = 0;
  while (bytes && done < size) {
    ssize_t n = ::read(fd, bytes.get() + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return bytes && done == size;
}

bool WriteWholeFile(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

int CQuenzelFile::LoadCache(std::string base, std::string sourcePath) {
  if (!CacheSwitchOn()) return -1;
  const std::string cachePath = NativePath(base) + ".cache";
  struct timespec cacheTime, sourceTime;
  off_t size = 0;
  if (!ModificationTime(cachePath, cacheTime, &size)) return -1;
  if (ModificationTime(NativePath(sourcePath), sourceTime) && Later(sourceTime, cacheTime))
    return -1;
  if (size < 4 || static_cast<unsigned long long>(size) > 0x7FFFFFFFULL) return -1;
  std::unique_ptr<char[]> bytes;
  if (!ReadWholeFile(cachePath, static_cast<std::size_t>(size), bytes)) return -1;

  CacheReader in(bytes.get(), static_cast<std::size_t>(size));
  if (in.Int32() != static_cast<int>(size)) return -1;
  std::string path = in.Text();
  std::vector<std::pair<std::string, CQuenzelRecord>> loaded;
  const int recordCount = in.Count(kMinRecordSize);
  loaded.reserve(static_cast<std::size_t>(recordCount));
  for (int i = 0; i < recordCount && in.ok(); ++i) {
    loaded.emplace_back(in.Text(), CQuenzelRecord());
    ReadRecord(in, loaded.back().second);
  }
  std::vector<std::pair<std::string, std::string>> keys;
  const int keyCount = in.Count(kMinKeySize);
  for (int i = 0; i < keyCount && in.ok(); ++i) {
    std::string number = in.Text();
    keys.emplace_back(std::move(number), in.Text());
  }
  if (!in.ok() || !in.AtEnd()) return -1;  // all or nothing

  definitionPath = std::move(path);
  // Moving in gives what a copy gives: indexes rebuilt, working texts empty.
  // The cache lists both maps in key order, so each entry goes in at the end
  // unless the catalogue held entries already; an existing key keeps its
  // entry either way.
  for (auto& entry : loaded)
    records.emplace_hint(records.end(), std::move(entry.first), std::move(entry.second));
  for (auto& entry : keys)
    recordKeys.emplace_hint(recordKeys.end(), std::move(entry.first), std::move(entry.second));
  return 0;
}

int CQuenzelFile::SaveCache(std::string base, const struct timespec* sourceTime) {
  if (!CacheSwitchOn()) return -1;
  const std::string cachePath = NativePath(base) + ".cache";
  const std::string temporaryPath = cachePath + ".tmp";
  int fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return -1;

  CacheWriter w;
  w.Int32(0);  // the file's length, filled in below
  w.Text(definitionPath);
  w.Int32(static_cast<int>(records.size()));
  for (const auto& entry : records) {
    w.Text(entry.first);
    WriteRecord(w, entry.second);
  }
  w.Int32(static_cast<int>(recordKeys.size()));
  for (const auto& entry : recordKeys) {
    w.Text(entry.first);
    w.Text(entry.second);
  }
  std::string& bytes = w.bytes();
  const std::uint32_t length = static_cast<std::uint32_t>(bytes.size());
  for (int i = 0; i < 4; ++i)
    bytes[static_cast<std::size_t>(i)] = static_cast<char>(length >> (8 * i));

  // The complete file replaces the old cache in one step: a reader sees the
  // old cache or the new one, and a failed write leaves the old one.
  bool written = WriteWholeFile(fd, bytes);
  if (written && sourceTime != nullptr) {
    const struct timespec times[2] = {{0, UTIME_OMIT}, *sourceTime};  // access, modification
    written = ::futimens(fd, times) == 0;
  }
  written = written && ::fsync(fd) == 0;
  written = (::close(fd) == 0) && written;
  if (!written || ::rename(temporaryPath.c_str(), cachePath.c_str()) != 0)
    ::unlink(temporaryPath.c_str());
  return 0;
}
