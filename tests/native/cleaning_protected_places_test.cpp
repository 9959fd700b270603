// Which folders and keys are never emptied or deleted whole, in every spelling a list
// entry can give them.

#include <gtest/gtest.h>

#include "cleaning/protected_places.h"

namespace norvik::cleaning {
namespace {

using platform::RegRoot;

ProtectedPlaces SevenPlaces() {
  ProtectedPlaces places;
  for (const char* folder : {"C:\\windows", "C:\\windows\\system32", "C:\\Program Files", "C:\\ProgramData"}) {
    places.Add(folder);
  }
  places.AddProfilesRoot("C:\\users");
  places.SetMyDocuments("C:\\users\\user\\Documents\\");
  return places;
}

TEST(ProtectedPlacesTest, FoldersRankTheSameInEverySpelling) {
  const ProtectedPlaces places = SevenPlaces();
  using enum FolderRank;
  const struct { const char* folder; FolderRank rank; } cases[] = {
      {"C:\\", VolumeRoot}, {"C:\\Junk\\..", VolumeRoot}, {"\\\\?\\C:\\", VolumeRoot},
      {"\\\\server\\share\\", VolumeRoot}, {"\\\\localhost\\c$", VolumeRoot},
      {"C:\\windows", Protected}, {"c:\\WINDOWS.\\", Protected}, {"C:/Windows//System32/", Protected},
      {"\\\\?\\C:\\Windows", Protected}, {"\\\\127.0.0.1\\C$\\Windows", Protected},
      {"C:\\Junk\\...\\Program Files", Protected}, {"C:\\users\\someone", Protected},
      {"C:\\Users\\someone\\AppData\\Local", Protected}, {"C:\\users\\someone\\My Documents", Protected},
      {"C:\\users\\user\\documents", MyDocuments}, {"C:\\users\\user\\Documents\\My Pictures\\", MyDocuments},
      // Below them, and beside them, names are ordinary.
      {"C:\\windows\\Temp", Ordinary}, {"C:\\users\\someone\\AppData\\Local\\Temp", Ordinary},
      {"C:\\windowsold", Ordinary}, {"\\\\server\\share\\folder", Ordinary}, {"Junk\\windows", Ordinary},
  };
  for (const auto& c : cases) EXPECT_EQ(places.Rank(c.folder), c.rank) << c.folder;
}

TEST(ProtectedPlacesTest, KeysAtTheTopAndCoreKeysInEveryHiveAndView) {
  using enum RegRoot;
  const struct { RegRoot root; const char* key; bool is_protected; } cases[] = {
      {LocalMachine, "Software", true}, {LocalMachine, "\\SOFTWARE\\\\", true}, {CurrentUser, "Control Panel", true},
      {LocalMachine, "Software\\Microsoft", true}, {CurrentUser, "software\\microsoft\\windows\\currentversion", true},
      {LocalMachine, "Software\\Classes\\CLSID", true}, {ClassesRoot, ".txt", true},
      {LocalMachine, "Software\\Wow6432Node\\Microsoft", true}, {LocalMachine, "System\\CurrentControlSet", true},
      {LocalMachine, "SYSTEM\\ControlSet001\\Services", true}, {Users, "S-1-5-21-0-0-0-1000\\Software", true},
      {Users, "S-1-5-21-0-0-0-1000_Classes\\CLSID", true}, {CurrentUser, "Software\\Junk", false},
      {LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", false},
      {ClassesRoot, "CLSID\\{00000000-0000-0000-0000-000000000001}", false},
      {LocalMachine, "Software\\Wow6432Node\\Junk", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsProtectedKey(c.root, c.key), c.is_protected) << c.key;
}

}  // namespace
}  // namespace norvik::cleaning
