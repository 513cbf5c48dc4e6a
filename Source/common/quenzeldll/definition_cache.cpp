// One member list per struct (FieldMembers, RecordMembers) drives both the
// writer and the reader, so the two cannot disagree on the layout: the
// writer's primitives take values, the reader's take references to fill.
#include "definition_cache.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "definition_line.h"
#include "host_services.h"

namespace quenzel {
namespace detail {

namespace {

bool CacheSwitchOn() { return ReadSwitch(settings::kCacheFiles, "off"); }

// Runs of fixed-size members go through one Fixed() call each, which the
// reader bounds-checks once for the whole run.
template <typename Io, typename Field>
void FieldMembers(Io& io, Field& f) {
  io.Fixed(f.m_Type, f.m_PseudoNumber, f.m_FieldNumber, f.m_Length, f.m_SplitCnt1, f.m_SplitCnt2,
           f.m_Reserved1, f.m_RecordNumber, f.m_Default, f.m_Min, f.m_Max);
  io.Text(f.m_ValueList);
  io.Fixed(f.m_Reserved2, f.m_Reserved3);
  io.Text(f.m_Key);
  io.Text(f.m_KeyPos);
  io.Fixed(f.m_Private, f.m_NoPartial, f.m_DelCtlCh, f.m_Supplied, f.m_TreatAsText, f.m_NoPad);
  for (auto* text : {&f.m_InitValue, &f.m_CodePage, &f.m_Value, &f.m_AuditName, &f.m_AuditText,
                     &f.m_Comment, &f.m_Rejected, &f.m_RecordName, &f.m_Name})
    io.Text(*text);
  io.Fixed(f.m_ScaleMS, f.m_TotalsMS, f.m_ScaleSF, f.m_HostMS, f.m_HostSF, f.m_ConvertField,
           f.m_ConversionOn, f.m_ConversionFlagA, f.m_ConversionFlagB, f.m_HostUnitsFixed,
           f.m_SendOrDelete);
  io.Bytes(f.m_ValidChars);
}

template <typename Io, typename Record>
void RecordMembers(Io& io, Record& r) {
  io.Fixed(r.action, r.recordNumber);
  for (auto* text : {&r.logName, &r.definitionPath, &r.lastFieldName, &r.keyF1Name, &r.keyF2Name,
                     &r.keyF3Name, &r.fieldName, &r.name, &r.codepage})
    io.Text(*text);
  io.Fixed(r.sourceBaseWeightUnits, r.sourceTotalsBaseWeightUnits, r.sourceScalingFactor,
           r.sourceTotalsScalingFactor, r.destinationBaseWeightUnits, r.destinationScalingFactor,
           r.netWeightBaseWeightUnits, r.netWeightScalingFactor, r.priceUnits, r.rangeWarning,
           r.seventhFlag, r.uomFlag, r.conversionOn, r.priceBaseFlag, r.backwardCompatible,
           r.highResolution);
  io.Fields(r.fields);
}

// The size of a fixed-size member in the file.
template <typename T>
constexpr std::size_t kEncodedSize = std::is_same_v<T, bool> ? 1 : sizeof(T);
static_assert(kEncodedSize<int> == 4 && kEncodedSize<long long> == 8,
              "cache integers have 4 or 8 bytes");

// Appends the cache's primitives: little-endian integers, '1'/'0' bools,
// length-prefixed texts.
class CacheWriter {
 public:
  template <typename... T>
  void Fixed(const T&... values) {
    (Put(values), ...);
  }
  void Int32(int value) { Little(static_cast<std::uint32_t>(value), 4); }
  void Text(const std::string& text) {
    Int32(static_cast<int>(text.size()));
    out_ += text;
  }
  void Bytes(const std::vector<unsigned char>& bytes) {
    Int32(static_cast<int>(bytes.size()));
    out_.append(bytes.begin(), bytes.end());
  }
  void Fields(const std::vector<CQuenzelField>& fields) {
    Int32(static_cast<int>(fields.size()));
    for (const CQuenzelField& field : fields) FieldMembers(*this, field);
  }
  std::string& bytes() { return out_; }

 private:
  void Put(int value) { Int32(value); }
  void Put(long long value) { Little(static_cast<std::uint64_t>(value), 8); }
  void Put(bool value) { out_.push_back(value ? '1' : '0'); }
  void Little(std::uint64_t value, int count) {
    for (int i = 0; i < count; ++i) out_.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  }
  std::string out_;
};

// Smallest encodings, for bounding counts: what the writer gives for a field
// and a record with empty texts and nothing in their lists, and for an
// index entry (two empty texts). A record in the file also carries its key.
std::size_t MinFieldSize() {
  static const std::size_t size = [] {
    CacheWriter w;
    const CQuenzelField empty(0, "", "", "", "", false, "");
    FieldMembers(w, empty);
    return w.bytes().size();
  }();
  return size;
}
std::size_t MinRecordSize() {
  static const std::size_t size = [] {
    CacheWriter w;
    w.Text("");
    const CQuenzelRecord empty;
    RecordMembers(w, empty);
    return w.bytes().size();
  }();
  return size;
}
constexpr std::size_t kMinKeySize = 2 * sizeof(std::int32_t);

// Reads the primitives back, checking every length and count against the
// bytes that remain; after the first inconsistency ok() is false and every
// read gives a zero value.
class CacheReader {
 public:
  // Reads the first `size` bytes of `file` through a window of its own,
  // which stays in the processor's cache while the loader works on it
  // (reading the whole file into one buffer first costs a second pass
  // through memory). A member longer than the window widens it.
  CacheReader(BinaryFile& file, std::size_t size) : file_(file), unread_(size) {}

  // A run of fixed-size members, checked once: past the end of the bytes,
  // every member of the run gets a zero value.
  template <typename... T>
  void Fixed(T&... values) {
    constexpr std::size_t size = (kEncodedSize<T> + ...);
    if (!Take(size)) {
      ((values = T()), ...);
      return;
    }
    const char* at = p_ - size;
    (Get(at, values), ...);
  }
  void Int32(int& value) { Fixed(value); }
  [[gnu::always_inline]] void Text(std::string& text) {
    int length = 0;
    Int32(length);
    text.clear();
    if (length < 0 || !Take(static_cast<std::size_t>(length))) return Fail();
    if (length == 0) return;  // most texts of a field are empty
    Rebuild(text, p_ - length, static_cast<std::size_t>(length));
  }
  void Bytes(std::vector<unsigned char>& bytes) {
    const int count = Count(1);
    if (Take(static_cast<std::size_t>(count))) bytes.assign(p_ - count, p_);
  }
  void Fields(std::vector<CQuenzelField>& fields) {
    const int count = Count(MinFieldSize());
    fields.reserve(static_cast<std::size_t>(count));
    const std::string empty;
    for (int i = 0; i < count && ok_; ++i) {
      fields.emplace_back(0, empty, empty, empty, empty, false, empty);
      FieldMembers(*this, fields.back());
    }
  }
  // A count of items that each take at least `minimumSize` bytes.
  int Count(std::size_t minimumSize) {
    int count = 0;
    Int32(count);
    if (count < 0 || static_cast<std::size_t>(count) > Remaining() / minimumSize) Fail();
    return ok_ ? count : 0;
  }
  bool ok() const { return ok_; }
  bool AtEnd() const { return p_ == end_ && unread_ == 0; }

 private:
  static constexpr std::size_t kWindow = std::size_t{64} * 1024;

  std::size_t Remaining() const { return static_cast<std::size_t>(end_ - p_) + unread_; }
  // After a failure nothing remains, so every read but an empty one fails.
  bool Take(std::size_t n) {
    if (n > static_cast<std::size_t>(end_ - p_) && !Fill(n)) return Fail(), false;
    p_ += n;
    return true;
  }
  // Makes the next `n` bytes (no more than remain) stand together in the
  // window, and tops the window up from the file.
  [[gnu::noinline]] bool Fill(std::size_t n) {
    if (n > Remaining()) return false;
    const std::size_t kept = static_cast<std::size_t>(end_ - p_);
    const std::size_t capacity = std::max(n, kWindow);
    if (capacity > capacity_) {
      std::unique_ptr<char[]> wider(new (std::nothrow) char[capacity]);
      if (!wider) return false;
      if (kept > 0) std::memcpy(wider.get(), p_, kept);
      window_ = std::move(wider);
      capacity_ = capacity;
    } else if (kept > 0) {
      std::memmove(window_.get(), p_, kept);
    }
    p_ = window_.get();
    end_ = p_ + kept;
    while (static_cast<std::size_t>(end_ - p_) < n) {
      const std::size_t room = std::min(capacity_ - static_cast<std::size_t>(end_ - p_), unread_);
      const long got = file_.Read(end_, static_cast<unsigned>(room));
      if (got <= 0) return false;  // an error, or the file is shorter than it was
      end_ += got;
      unread_ -= static_cast<std::size_t>(got);
    }
    return true;
  }
  // Sets `text` to the `n` bytes at `at` by building a new string in its
  // place: the constructor copies on its plain path and gives a long text
  // exactly its size, where assign() and append() on the old string take
  // the general paths, which cost more than the rest of reading a text.
  // Should the allocation of a long text fail, an empty string takes the
  // place before the exception goes on, so the field stays whole.
  static void Rebuild(std::string& text, const char* at, std::size_t n) {
    text.~basic_string();
    try {
      ::new (&text) std::string(at, n);
    } catch (...) {
      ::new (&text) std::string();
      throw;
    }
  }
  // Little-endian words written out byte by byte, which compilers turn into
  // one load of the word on little-endian machines.
  static std::uint32_t Little32(const char* at) {
    const unsigned char* b = reinterpret_cast<const unsigned char*>(at);
    return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
           static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
  }
  static void Get(const char*& at, int& value) {
    value = static_cast<int>(Little32(at));
    at += 4;
  }
  static void Get(const char*& at, long long& value) {
    value =
        static_cast<long long>(static_cast<std::uint64_t>(Little32(at + 4)) << 32 | Little32(at));
    at += 8;
  }
  static void Get(const char*& at, bool& value) { value = *at++ == '1'; }
  void Fail() {
    ok_ = false;
    p_ = end_;
    unread_ = 0;
  }

  BinaryFile& file_;
  std::size_t unread_;  // bytes of the file not yet in the window
  std::unique_ptr<char[]> window_;
  std::size_t capacity_ = 0;
  char* p_ = nullptr;
  char* end_ = nullptr;
  bool ok_ = true;
};

}  // namespace

// A record the loader filled in place becomes what copying it would give:
// working texts empty, indexes built.
class RecordIndexes {
 public:
  static void Finish(CQuenzelRecord& record) {
    record.lastFieldName.clear();
    record.fieldName.clear();
    record.RebuildIndexes();
  }
};

int LoadCache(CQuenzelFile& catalogue, const std::string& base) {
  if (!CacheSwitchOn()) return -1;
  const std::string sourcePath = NativePath(base);
  const std::string cachePath = sourcePath + ".cache";
  FileStatus cache, source;
  if (!StatFile(cachePath, cache)) return -1;
  if (StatFile(sourcePath, source) && source.modified.LaterThan(cache.modified)) return -1;
  if (cache.size < 4 || cache.size > 0x7FFFFFFFULL) return -1;
  const std::size_t size = static_cast<std::size_t>(cache.size);
  BinaryFile file;
  if (!file.Open(cachePath)) return -1;

  CacheReader in(file, size);
  int length = 0;
  in.Int32(length);
  if (length != static_cast<int>(size)) return -1;
  std::string path;
  in.Text(path);
  // Records are read straight into the nodes of a map of their own, each
  // checked and given its indexes while its memory is at hand. A key the
  // file repeats is read into a scratch record, checked like the others and
  // dropped, as the first entry of a key stays. Only what the definition
  // reader could have produced is taken: a length of 2^31 - 1, say, would
  // have every text getter pad to it.
  std::map<std::string, CQuenzelRecord> loaded;
  bool withinLimits = true;
  const int recordCount = in.Count(MinRecordSize());
  for (int i = 0; i < recordCount && in.ok() && withinLimits; ++i) {
    std::string key;
    in.Text(key);
    const std::size_t before = loaded.size();
    const auto it = loaded.emplace_hint(loaded.end(), std::piecewise_construct,
                                        std::forward_as_tuple(std::move(key)), std::tuple<>());
    if (loaded.size() != before) {
      RecordMembers(in, it->second);
      withinLimits = WithinReaderLimits(it->second);
      RecordIndexes::Finish(it->second);
    } else {
      CQuenzelRecord repeated;
      RecordMembers(in, repeated);
      withinLimits = WithinReaderLimits(repeated);
    }
  }
  if (!withinLimits) return -1;
  std::vector<std::pair<std::string, std::string>> keys;
  const int keyCount = in.Count(kMinKeySize);
  for (int i = 0; i < keyCount && in.ok(); ++i) {
    keys.emplace_back();
    in.Text(keys.back().first);
    in.Text(keys.back().second);
  }
  if (!in.ok() || !in.AtEnd()) return -1;  // all or nothing

  catalogue.definitionPath = std::move(path);
  // Merging moves the nodes themselves; a key the catalogue holds already
  // keeps its entry. The cache lists the number index in key order, so each
  // entry goes in at the end unless the catalogue held entries already.
  catalogue.records.merge(loaded);
  for (auto& entry : keys)
    catalogue.recordKeys.emplace_hint(catalogue.recordKeys.end(), std::move(entry.first),
                                      std::move(entry.second));
  return 0;
}

int SaveCache(const CQuenzelFile& catalogue, const std::string& base, const FileTime* sourceTime) {
  if (!CacheSwitchOn()) return -1;
  CacheWriter w;
  w.Int32(0);  // the file's length, filled in below
  w.Text(catalogue.definitionPath);
  w.Int32(static_cast<int>(catalogue.records.size()));
  for (const auto& entry : catalogue.records) {
    w.Text(entry.first);
    RecordMembers(w, entry.second);
  }
  w.Int32(static_cast<int>(catalogue.recordKeys.size()));
  for (const auto& entry : catalogue.recordKeys) {
    w.Text(entry.first);
    w.Text(entry.second);
  }
  std::string& bytes = w.bytes();
  const std::uint32_t length = static_cast<std::uint32_t>(bytes.size());
  for (int i = 0; i < 4; ++i)
    bytes[static_cast<std::size_t>(i)] = static_cast<char>(length >> (8 * i));
  return ReplaceFile(NativePath(base) + ".cache", bytes, sourceTime) ? 0 : -1;
}

}  // namespace detail
}  // namespace quenzel
