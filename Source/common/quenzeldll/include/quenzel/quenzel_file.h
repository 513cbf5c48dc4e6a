/// @file quenzel_file.h
/// CQuenzelFile, the catalogue of record definitions.

#ifndef QUENZEL_QUENZEL_FILE_H_
#define QUENZEL_QUENZEL_FILE_H_

#include <map>
#include <string>

#include "quenzel_export.h"
#include "quenzel_record.h"

/// The catalogue of record definitions, the object a host creates first.
///
/// Initialise finds the definition file through the registry (the ZQEXE
/// directory, then "zqapi", then the file name), optionally checks the
/// library file's version, and reads every record block of the file into a
/// record kept by name and by number. GetRecord hands out the catalogue's own
/// templates; the pointers stay valid until the catalogue is destroyed. Hosts
/// usually work on copies.
///
/// One thread may read one definition file at a time (the readers keep
/// per-thread line and token counters); GetRecord on a loaded catalogue only
/// reads.
class QUENZEL_API CQuenzelFile {
 public:
  /// An empty catalogue.
  CQuenzelFile();
  virtual ~CQuenzelFile();

  /// Loads the catalogue from `fileName` (relative to the zqapi directory).
  /// `logName` names the audit log (empty: no entries from the read);
  /// `reserved` is ignored; a non-empty `requiredVersion` must equal the
  /// library file's version text ("3.1.204"). False when the version check
  /// fails, the file is refused or cannot be opened, or a block is invalid
  /// (blocks read before it stay). Calling it again adds to the catalogue.
  /// QuenzelLastReadError() tells where a read stopped.
  bool Initialise(const std::string& fileName, const std::string& logName, char* reserved,
                  const std::string& requiredVersion);

  /// Loads the catalogue from the definition file at `path` as the caller
  /// names it (absolute, or relative to the working directory): no registry
  /// folder, no cache, no version check. The audit entries and the result
  /// are those of Initialise.
  bool InitialiseFromPath(const std::string& path, const std::string& logName);

  /// The template stored under `name` (case-sensitive), or null.
  CQuenzelRecord* GetRecord(std::string name);
  /// The template of record `number`, or null.
  CQuenzelRecord* GetRecord(int number);

  std::map<std::string, CQuenzelRecord> records;  ///< record name (or number text) -> template
  std::map<std::string, std::string> recordKeys;  ///< record number ("%d") -> key in records
  std::string definitionPath;                     ///< ZQEXE + "zqapi" + "\" + file name

 private:
  // Reads the definition file at definitionPath into the maps; its audit
  // entries go to `logName` (empty: none).
  bool Read(const std::string& logName);
  // Files `record` under `key` (its name, or its number text) and its
  // number text; an existing key keeps its entry.
  void AddRecord(const std::string& number, const std::string& key, const CQuenzelRecord& record);
};

#endif  // QUENZEL_QUENZEL_FILE_H_
