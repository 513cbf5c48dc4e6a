// Memory of a loaded catalogue: loads the generated definition file of a
// content shape (generate.h; by parsing, or from its cache with --cache) in
// this process and prints the bytes per field it keeps allocated and the
// peak resident set the load reached.
//   catalogue_memory [--cache] [SHAPE]      (default shape: items)
#include <malloc.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "generate.h"
#include "quenzel.h"

namespace {

long PeakResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string key;
  long value = 0;
  while (status >> key) {
    if (key == "VmHWM:") {
      status >> value;
      return value;
    }
  }
  return 0;
}

long ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string key;
  long value = 0;
  while (status >> key) {
    if (key == "VmRSS:") {
      status >> value;
      return value;
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  bool fromCache = false;
  std::string shapeName = "items";
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--cache")
      fromCache = true;
    else
      shapeName = argv[i];
  }
  const quenzel_bench::Shape* shape = quenzel_bench::FindShape(shapeName);
  if (shape == nullptr) {
    std::fprintf(stderr, "catalogue_memory: no shape %s\n", shapeName.c_str());
    return 2;
  }
  char pattern[] = "/tmp/quenzel-memory-XXXXXX";
  const std::string dir = ::mkdtemp(pattern);
  ::mkdir((dir + "/zqapi").c_str(), 0755);
  std::ofstream(dir + "/zqapi/large.def") << quenzel_bench::ShapeDefinitionFile(*shape);
  std::ofstream(dir + "/registry.reg")
      << "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\TORVANHOLME\\Environment]\n\"ZQEXE\"=\"" << dir
      << "/\"\n\"Codepage\"=\"1252\"\n\"CacheFiles\"=\"" << (fromCache ? "on" : "off") << "\"\n";
  ::setenv("CFGSTORE_FILE", (dir + "/registry.reg").c_str(), 1);
  if (fromCache) {
    CQuenzelFile first;  // writes the cache
    first.Initialise("large.def", "", nullptr, "");
  }
  ::malloc_trim(0);

  const long residentBefore = ResidentKilobytes();
  const std::size_t allocatedBefore = ::mallinfo2().uordblks;
  auto* catalogue = new CQuenzelFile;
  const bool ok = catalogue->Initialise("large.def", "", nullptr, "");
  const std::size_t allocated = ::mallinfo2().uordblks - allocatedBefore;
  const long peak = PeakResidentKilobytes() - residentBefore;
  const double fields = static_cast<double>(shape->records) * shape->fields;
  std::printf("%s: load %s: %s, %d records of %d fields\n", shape->name,
              fromCache ? "from cache" : "by parsing", ok ? "ok" : "FAILED", shape->records,
              shape->fields);
  std::printf("  kept allocated: %.0f bytes per field\n", allocated / fields);
  std::printf("  peak resident growth: %.0f bytes per field\n", peak * 1024.0 / fields);
  delete catalogue;
  for (const char* name : {"/zqapi/large.def.cache", "/zqapi/large.def", "/registry.reg"})
    ::unlink((dir + name).c_str());
  ::rmdir((dir + "/zqapi").c_str());
  ::rmdir(dir.c_str());
  return ok ? 0 : 1;
}
