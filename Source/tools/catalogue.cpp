#include "catalogue.h"

#include <quenzel_diagnostics.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "cfgstore.h"
#include "code_page.h"
#include "definition_reader.h"
#include "definition_walk.h"
#include "diagnostics.h"
#include "registry_keys.h"
#include "suggest.h"

namespace quenzel_tool {

namespace {

namespace fs = std::filesystem;
using quenzel::settings::FullKey;

constexpr const char* kDefaultCodePage = "1252";
// The converter name of the code page in use ("cp-1252").
std::string activeCodePage = std::string("cp-") + kDefaultCodePage;
// Definition files are a few hundred kilobytes at most; this bounds what a
// wrong argument (a disk image, a device) can make the tool hold.
constexpr std::uintmax_t kLargestDefinition = 256u << 20;

void SetEnvironment(const char* name, const std::string& value) {
#ifdef _WIN32
  ::_putenv_s(name, value.c_str());
#else
  ::setenv(name, value.c_str(), 1);
#endif
}

void SetSetting(const quenzel::settings::Setting& setting, const std::string& value) {
  cfgstore::SetOverride(FullKey(setting), setting.value, value);
}

std::string RegistryText(const quenzel::settings::Setting& setting) {
  return registry.read(HKEY_LOCAL_MACHINE, setting.key, setting.section, setting.value, "", 0);
}

// Why `path` cannot be read as a file, in the words of the C library.
std::string WhyUnreadable(const std::string& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  // The C library's words, which are the same on every platform.
  if (status.type() == fs::file_type::not_found) return std::strerror(ENOENT);
  if (error) return error.message();
  if (fs::is_directory(status)) return "it is a directory";
  if (!fs::is_regular_file(status)) return "it is not a regular file (a pipe or a device)";
  return std::strerror(EACCES);
}

bool LogDirectoryUsable(const std::string& directory, std::string& why) {
  std::error_code error;
  if (!fs::is_directory(directory, error)) {
    why = fs::exists(directory, error) ? "it is not a directory" : "it does not exist";
    return false;
  }
  // Create and remove a probe file: permissions alone do not tell (ACLs,
  // read-only mounts).
  const fs::path probe = fs::path(directory) / ".quenzel-write-test";
  std::ofstream out(probe);
  const bool written = static_cast<bool>(out << "x" << std::flush);
  out.close();
  fs::remove(probe, error);
  if (!written) why = "it cannot be written";
  return written;
}

}  // namespace

bool ToNumber(const std::string& text, int& value) {
  if (text.empty() ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

int ApplySettings(const CommonOptions& common) {
  if (!common.registry.empty()) {
    if (!cfgstore::IsExportFile(common.registry)) {
      std::error_code error;
      Diag().Error("--registry " + common.registry + ": " +
                   (fs::is_regular_file(common.registry, error)
                        ? "not a registry export (its first line must be \"Windows Registry "
                          "Editor Version 5.00\" or \"REGEDIT4\")"
                        : "cannot read it: " + WhyUnreadable(common.registry)));
      return kExitUsage;
    }
    SetEnvironment("CFGSTORE_FILE", common.registry);
  }
  if (!common.logDir.empty()) {
    std::string why;
    if (!LogDirectoryUsable(common.logDir, why)) {
      Diag().Error("--log-dir " + common.logDir + ": " + why + "; audit entries would be lost");
      return kExitUsage;
    }
    SetEnvironment("LOGBOOK_DIR", common.logDir);
  }
  if (!common.logName.empty()) SetSetting(quenzel::settings::kAuditLog, "1");

  std::string codePage = common.codePage;
  std::string source = "--codepage";
  if (codePage.empty()) {
    codePage = RegistryText(quenzel::settings::kCodepage);
    source = "the registry's Codepage";
  }
  if (codePage.empty()) codePage = kDefaultCodePage;
  // The library names the converter "cp-" and the number; a name ICU does
  // not know would turn every text into nothing.
  if (quenzel::detail::CodePageToUtf8("A", "cp-" + codePage) != "A") {
    Diag().Error("unknown code page \"" + codePage + "\" (" + source +
                 "): ICU has no converter \"cp-" + codePage +
                 "\"; give a Windows code page number such as 1252");
    return kExitUsage;
  }
  SetSetting(quenzel::settings::kCodepage, codePage);
  activeCodePage = "cp-" + codePage;
  return kExitOk;
}

std::string NameToUtf8(const std::string& name) {
  const bool ascii = std::all_of(name.begin(), name.end(), [](char c) { return (c & 0x80) == 0; });
  return ascii ? name : quenzel::detail::CodePageToUtf8(name, activeCodePage);
}

std::string NameFromUtf8(const std::string& name) {
  const bool ascii = std::all_of(name.begin(), name.end(), [](char c) { return (c & 0x80) == 0; });
  return ascii ? name : quenzel::detail::Utf8ToCodePage(name, activeCodePage);
}

bool Catalogue::ReadStandardInput() {
  std::ostringstream data;
  char block[65536];
  while (std::cin.read(block, sizeof block) || std::cin.gcount() > 0) {
    data.write(block, std::cin.gcount());
    if (static_cast<std::uintmax_t>(data.tellp()) > kLargestDefinition) {
      Diag().Error(Location::At("standard input", 0, 0),
                   "more than 256 MiB; not a definition file");
      return false;
    }
  }
  text_ = data.str();
  return true;
}

bool Catalogue::Load(const CommonOptions& common) {
  name_ = common.file == "-" ? "standard input" : common.file;
  const auto keep = [this](const std::string& number, const std::string& key,
                           const CQuenzelRecord& record) {
    keyOfNumber_.emplace(number, key);
    byKey_.emplace(key, blocks_.size());
    blocks_.push_back(record);
  };
  quenzel::detail::DefinitionDiagnosis why;
  bool read = false;
  if (common.file == "-") {
    if (!ReadStandardInput()) return false;
    std::istringstream in(text_);
    read = quenzel::detail::LoadDefinitionStream(in, name_, common.logName, keep, &why);
  } else {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(common.file, error);
    if (!error && size > kLargestDefinition) {
      Diag().Error(Location::At(name_, 0, 0),
                   std::to_string(size) + " bytes; not a definition file");
      return false;
    }
    // From the path exactly as the user wrote it.
    read =
        quenzel::detail::LoadDefinitionFile(name_, common.file, common.logName, keep, &why, &text_);
  }
  const bool zeroBytes = text_.find('\0') != std::string::npos;
  if (!read) {
    switch (why.error.kind) {
      case ReadErrorKind::kOpenFailed:
        Diag().Error("cannot open " + name_ + ": " + WhyUnreadable(common.file));
        return false;
      case ReadErrorKind::kUnicode:
        Diag().Error(Location::At(name_, 0, 0),
                     "the file is UTF-16 text; save it as 8-bit text in its code page");
        return false;
      case ReadErrorKind::kReadFailed:
        Diag().Error(Location::At(name_, 0, 0), "a read error stopped reading the file");
        return false;
      default:
        break;
    }
    ReportReadError(why, name_);
    if (zeroBytes)
      Diag().Report(Severity::kNote, Location::At(name_, 0, 0),
                    "the file holds zero bytes: UTF-16 text without a byte-order mark, or no "
                    "text at all?");
    return false;
  }
  if (blocks_.empty()) {
    Diag().Error(Location::At(name_, 0, 0),
                 std::string("no record block: no line begins with '#'") +
                     (zeroBytes ? "; it holds zero bytes: UTF-16 text without a byte-order mark, "
                                  "or no text at all?"
                                : ""));
    return false;
  }
  return true;
}

const CQuenzelRecord* Catalogue::ByNumber(int number) const {
  auto key = keyOfNumber_.find(std::to_string(number));
  if (key == keyOfNumber_.end()) return nullptr;
  auto record = byKey_.find(key->second);
  return record == byKey_.end() ? nullptr : &blocks_[record->second];
}

const CQuenzelRecord* Catalogue::Find(const std::string& which) const {
  int number = 0;
  if (ToNumber(which, number))
    if (const CQuenzelRecord* record = ByNumber(number)) return record;
  auto record = byKey_.find(NameFromUtf8(which));
  return record == byKey_.end() ? nullptr : &blocks_[record->second];
}

std::vector<std::string> Catalogue::RecordNames() const {
  std::vector<std::string> names;
  for (const auto& entry : byKey_) names.push_back(NameToUtf8(entry.first));
  return names;
}

std::string Catalogue::NoRecord(const std::string& which) const {
  constexpr std::size_t kListed = 12;  // a longer list is for `quenzel show`
  const std::vector<const CQuenzelRecord*> records = ByNumberOrder();
  std::string text =
      name_ + " has no record " + which + DidYouMean(which, RecordNames()) + "; it holds";
  for (std::size_t i = 0; i < records.size() && i < kListed; ++i)
    text += std::string(i == 0 ? " " : ", ") + std::to_string(records[i]->recordNumber) +
            (records[i]->name.empty() ? "" : " " + NameToUtf8(records[i]->name));
  if (records.size() > kListed)
    text += " and " + std::to_string(records.size() - kListed) + " more (see quenzel show " +
            name_ + ")";
  return text;
}

std::vector<const CQuenzelRecord*> Catalogue::ByNumberOrder() const {
  std::vector<const CQuenzelRecord*> records;
  for (const auto& entry : byKey_) records.push_back(&blocks_[entry.second]);
  std::stable_sort(records.begin(), records.end(),
                   [](const CQuenzelRecord* a, const CQuenzelRecord* b) {
                     return a->recordNumber < b->recordNumber;
                   });
  return records;
}

}  // namespace quenzel_tool
