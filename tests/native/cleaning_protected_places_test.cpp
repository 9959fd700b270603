// Which folders and keys are never emptied or deleted whole, in every spelling a list
// entry can give them.

#include <gtest/gtest.h>

#include <string>

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
  const struct {
    const char* folder;
    FolderRank rank;
  } cases[] = {
      {"C:\\", FolderRank::VolumeRoot},
      {"C:\\Junk\\..", FolderRank::VolumeRoot},
      {"\\\\?\\C:\\", FolderRank::VolumeRoot},
      {"\\\\server\\share\\", FolderRank::VolumeRoot},
      {"\\\\localhost\\c$", FolderRank::VolumeRoot},
      {"C:\\windows", FolderRank::Protected},
      {"c:\\WINDOWS.\\", FolderRank::Protected},
      {"C:/Windows//System32/", FolderRank::Protected},
      {"\\\\?\\C:\\Windows", FolderRank::Protected},
      {"\\\\127.0.0.1\\C$\\Windows", FolderRank::Protected},
      {"C:\\Junk\\...\\Program Files", FolderRank::Protected},
      {"C:\\users\\someone", FolderRank::Protected},
      {"C:\\Users\\someone\\AppData\\Local", FolderRank::Protected},
      {"C:\\users\\someone\\My Documents", FolderRank::Protected},
      {"C:\\users\\user\\documents", FolderRank::MyDocuments},
      {"C:\\users\\user\\Documents\\My Pictures\\", FolderRank::MyDocuments},
      // Below them, and beside them, names are ordinary.
      {"C:\\windows\\Temp", FolderRank::Ordinary},
      {"C:\\users\\someone\\AppData\\Local\\Temp", FolderRank::Ordinary},
      {"C:\\windowsold", FolderRank::Ordinary},
      {"\\\\server\\share\\folder", FolderRank::Ordinary},
      {"Junk\\windows", FolderRank::Ordinary},
  };
  for (const auto& c : cases) EXPECT_EQ(places.Rank(c.folder), c.rank) << c.folder;
}

TEST(ProtectedPlacesTest, KeysAtTheTopAndCoreKeysInEveryHiveAndView) {
  const struct {
    RegRoot root;
    const char* key;
    bool is_protected;
  } cases[] = {
      {RegRoot::LocalMachine, "Software", true},
      {RegRoot::LocalMachine, "\\SOFTWARE\\\\", true},
      {RegRoot::CurrentUser, "Control Panel", true},
      {RegRoot::LocalMachine, "Software\\Microsoft", true},
      {RegRoot::CurrentUser, "software\\microsoft\\windows\\currentversion", true},
      {RegRoot::LocalMachine, "Software\\Classes\\CLSID", true},
      {RegRoot::ClassesRoot, ".txt", true},
      {RegRoot::LocalMachine, "Software\\Wow6432Node\\Microsoft", true},
      {RegRoot::LocalMachine, "System\\CurrentControlSet", true},
      {RegRoot::LocalMachine, "SYSTEM\\ControlSet001\\Services", true},
      {RegRoot::Users, "S-1-5-21-0-0-0-1000\\Software", true},
      {RegRoot::Users, "S-1-5-21-0-0-0-1000_Classes\\CLSID", true},
      {RegRoot::CurrentUser, "Software\\Junk", false},
      {RegRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", false},
      {RegRoot::ClassesRoot, "CLSID\\{00000000-0000-0000-0000-000000000001}", false},
      {RegRoot::LocalMachine, "Software\\Wow6432Node\\Junk", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsProtectedKey(c.root, c.key), c.is_protected) << c.key;
}

}  // namespace
}  // namespace norvik::cleaning
