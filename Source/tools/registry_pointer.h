// Points the library at a definition file of the user's choosing.
//
// The library finds its definition file as <ZQEXE>zqapi\<name>. The tool
// sets ZQEXE (and the code page) for its own process through the registry
// stand-in's overrides, so no registry file or directory layout is needed.
#ifndef QUENZEL_TOOLS_REGISTRY_POINTER_H_
#define QUENZEL_TOOLS_REGISTRY_POINTER_H_

#include <string>

namespace quenzel_tool {

class DefinitionLocation {
 public:
  DefinitionLocation() = default;
  DefinitionLocation(const DefinitionLocation&) = delete;
  DefinitionLocation& operator=(const DefinitionLocation&) = delete;
  ~DefinitionLocation();

  // Sets ZQEXE so that the library's path for fileName() is `path`. When
  // the file's directory is not itself called zqapi, a private temporary
  // directory holds a "zqapi" link to it, removed again by the destructor.
  // On Windows the name is "..\<file>" below a "zqapi" that need not exist.
  // False with `error` set when the file cannot be reached.
  bool PointAt(const std::string& path, std::string& error);

  // The name to hand to CQuenzelFile::Initialise.
  const std::string& fileName() const { return fileName_; }

 private:
  std::string fileName_;
  std::string linkDirectory_;  // the temporary directory, when one was made
};

// Sets the code page number the catalogue reads ("1252" gives cp-1252).
void SetCodePage(const std::string& number);
// Switches the catalogue's audit entries for read errors on.
void EnableAuditLog();

}  // namespace quenzel_tool

#endif  // QUENZEL_TOOLS_REGISTRY_POINTER_H_
