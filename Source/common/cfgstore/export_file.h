// The registry export file (.reg) that stands in for the registry: its
// keys and values parsed from the file's bytes. Internal to cfgstore.
#ifndef CFGSTORE_EXPORT_FILE_H_
#define CFGSTORE_EXPORT_FILE_H_

#include <string_view>

#include "registry_values.h"

namespace cfgstore {
namespace detail {

// The keys below HKEY_LOCAL_MACHINE and their values; empty when `bytes`
// do not begin as an export does.
KeyMap ParseExport(std::string_view bytes);

// True when `bytes` begin as an export does: the header line, after an
// optional byte-order mark.
bool BeginsAsExport(std::string_view bytes);

}  // namespace detail
}  // namespace cfgstore

#endif  // CFGSTORE_EXPORT_FILE_H_
