#pragma once
// Places no cleaner may empty or delete as a whole, however a path or key names them:
// drive and share roots, the Windows, system and program folders, the profiles, their
// AppData and Documents; registry roots, the keys directly under them and the core keys
// below those. Subfolders, subkeys and masks that name some files stay allowed.
//
// The classification is pure text; ReadProtectedPlaces asks the system where the
// folders are.

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace norvik::cleaning {

// One upper-case spelling of an absolute path: "\" between names, "." and ".." resolved,
// trailing dots and blanks of every name dropped, "\\?\" and "\\.\" taken off,
// "\\?\UNC\s\x" read as "\\s\x", an administrative share "\\host\C$\x" read as "C:\x".
// No trailing backslash except in "C:\". Empty when the text names no absolute place.
std::string CanonicalPath(std::string_view path);

enum class FolderRank {
  Ordinary,
  VolumeRoot,   // "C:\" or "\\server\share": the user is asked before it is emptied
  MyDocuments,  // My Documents or its My Pictures: the user is asked too
  Protected,    // never emptied or deleted as a whole
};

class ProtectedPlaces {
 public:
  // Each call takes any spelling; empty or relative folders are left out.
  void Add(std::string_view folder);
  // The folder holding the profiles: it, each profile in it, and the AppData and
  // Documents folders of each profile.
  void AddProfilesRoot(std::string_view folder);
  void SetMyDocuments(std::string_view folder);

  // How `folder` (any spelling, long names) ranks.
  FolderRank Rank(std::string_view folder) const;

 private:
  std::vector<std::string> places_;
  std::vector<std::string> profile_roots_;
  std::string my_documents_;
};

// The places of this machine, each in its long spelling.
ProtectedPlaces ReadProtectedPlaces(platform::Platform platform);

// The long spelling of an existing path (8.3 names expanded), else the path itself.
std::string LongSpelling(platform::Files& files, std::string_view path);

// "*" and "*.*" take every file of a folder.
bool MaskTakesEverything(std::string_view mask);

// True when deleting or emptying the key would take a registry root, a key directly
// under one, or a core key (Software\Microsoft, Software\Classes, System\CurrentControlSet
// and the like), in any hive and through any view of it.
bool IsProtectedKey(platform::RegRoot root, std::string_view key_path);

}  // namespace norvik::cleaning
