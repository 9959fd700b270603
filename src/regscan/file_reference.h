#pragma once
// Does a registry text name a file or folder that is gone? One test shared by every scan
// section: it turns a text (quoted, with a leading %VARIABLE%, with arguments, without
// its extension) into a path and looks for it on disk. Cheap textual rejections come
// before any disk access, and empty floppy drives are never touched.

#include <memory>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/system.h"
#include "regscan/folder_listings.h"

namespace norvik::regscan {

// What the test knows about the machine, fixed for a whole scan.
struct FileCheck {
  platform::Files& files;
  platform::System& system;
  std::string scan_drives;        // lower-case letters whose references may be reported
  bool include_remove_media = true;
  bool floppy_a_ready = false;
  bool floppy_b_ready = false;
  // Folder listings kept for the life of the check (made at the first question).
  mutable std::unique_ptr<FolderListings> listings = {};
};

// True when `text` names something missing (report it); false when present or not
// judged. With `required_ext` (".exe", ".dll") only texts holding it are tested, and
// the path ends right after it. `folder_counts`: an existing folder counts as present
// when arguments are split off. `redirected_view`: the text is read as a 32-bit program
// on 64-bit Windows reads it, so System32 and Program Files texts are not judged (that
// program would look in other folders than the ones we see).
bool IsMissingFileReference(const FileCheck& check, std::string_view text, std::string_view required_ext,
                            bool folder_counts, bool redirected_view);

// Environment strings expanded, but only when the (trimmed) expansion is an existing
// folder; otherwise the input as it was.
std::string ExpandIfFolder(platform::Files& files, platform::System& system, std::string_view text);

// The drive letters a scan reports references on: fixed disks only with
// `include_remove_media`; otherwise "ab" and every letter from c to z.
std::string BuildScanDrives(platform::Files& files, bool include_remove_media);

struct FloppyReadiness {
  bool a = false;
  bool b = false;
};
// Reads the volume information of A: and B: without the system's "insert a disk" dialog.
FloppyReadiness ProbeFloppies(platform::Files& files);

}  // namespace norvik::regscan
