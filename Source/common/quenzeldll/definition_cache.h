// The definition cache: a compact image of a loaded catalogue beside the
// definition file, switched on by the registry's "CacheFiles". The byte
// layout is described in docs/cache-format.md. Not installed.
#ifndef QUENZEL_DEFINITION_CACHE_H_
#define QUENZEL_DEFINITION_CACHE_H_

#include <string>

#include "platform.h"
#include "quenzel_file.h"

namespace quenzel {
namespace detail {

// Fills `catalogue` from `base` + ".cache" unless the file `base` is newer,
// all or nothing: 0 when loaded, -1 otherwise (caching off, no cache, a
// stale, short, inconsistent or unreadable one, or one holding a value the
// definition reader could not have produced). Nothing is logged.
int LoadCache(CQuenzelFile& catalogue, const std::string& base);

// Writes `catalogue` to `base` + ".cache" through a temporary file of its
// own (see ReplaceFile), stamped with `sourceTime` (the definition's time
// before it was read) when given. -1 when caching is off or the temporary file cannot be created,
// else 0.
int SaveCache(const CQuenzelFile& catalogue, const std::string& base, const FileTime* sourceTime);

}  // namespace detail
}  // namespace quenzel

#endif  // QUENZEL_DEFINITION_CACHE_H_
