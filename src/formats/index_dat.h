#pragma once
// The index.dat files of the WinInet cache, history and cookies: listing the addresses
// and times they hold, and overwriting them in place.
//
// Layout as far as it is read: the header keeps the writer's file size at 28 and the
// first hash table's offset at 32. A hash table starts with "HASH", its length in
// 128-byte blocks and the next table's offset, then 8-byte entries (hash value, record
// offset) from its byte 32 on. Records "URL " and "LEAK" keep a FILETIME at 16 and the
// offset of their address text in the byte at 52; "REDR" keeps its time at 8 and the
// text at 16. Numbers are little-endian; sizes and offsets compare as signed 32 bits.
//
// The files come from outside: every walk stops at a chain offset of 0, beyond the
// header's size or beyond the file's real size, at a table it has seen before, and
// after kMaxHashTables tables; no read or write reaches past the file's real end.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "platform/system.h"

namespace norvik::formats {

inline constexpr std::size_t kMaxHashTables = 256;
// The text shown for a time that cannot be a date.
inline constexpr std::string_view kTimeNotAvailable = "Not Available";

// What a listing found: row i's address (UTF-8; the file holds single-byte text) and
// its time. A large file lists hundreds of thousands of rows, so the addresses share one
// buffer and a listing's buffers can be handed to the next listing, which then writes
// into memory that is already the program's instead of asking the system for more.
class IndexDatListing {
 public:
  std::size_t size() const { return rows_.size(); }
  bool empty() const { return rows_.empty(); }
  std::string_view address(std::size_t i) const {
    const std::uint32_t k = rows_[i];
    return std::string_view(text_.get() + begins_[k], begins_[k + 1] - begins_[k]);
  }
  platform::FileTime time(std::size_t i) const { return times_[rows_[i]]; }

 private:
  friend IndexDatListing ListIndexDat(platform::Files&, std::string_view, const std::function<void(int)>&,
                                      IndexDatListing);
  // Record k, in file order, has the text [begins_[k], begins_[k + 1]) (empty: not
  // listed; a listing holds at most 256 MB of text) and the time times_[k]; row i is
  // record rows_[i]. The text's buffer holds text_room_ bytes, the first text_size_ of
  // them used.
  std::unique_ptr<char[]> text_;
  std::size_t text_size_ = 0, text_room_ = 0;
  std::vector<std::uint32_t> begins_;
  std::vector<platform::FileTime> times_;
  std::vector<std::uint32_t> rows_;
};

// Told the percentage done whenever it rises (the tables' entries, then the records they
// point to), ending with 100.
using ListProgress = std::function<void(int percent)>;

// The listed records in entry order: every used entry of every reachable table that
// points below the header's size to a "URL ", "LEAK" or "REDR" record with a non-empty
// text. Addresses are cut at 4,096 bytes, and the listing ends after 256 MB of them. A
// file that cannot be opened lists nothing. The listing is built in the buffers of
// `reuse` (its rows are gone).
IndexDatListing ListIndexDat(platform::Files& files, std::string_view path, const ListProgress& progress = {},
                             IndexDatListing reuse = {});

// Passes of an overwrite: `wipe_number` when wiping is on, else one, kept within 1..3.
int IndexDatOverwritePasses(bool is_wipe_file, int wipe_number);

// Overwrites the file in place with full sharing: the header and the first 32 bytes of
// each reachable table stay; the rest of each table and what follows it up to the next
// table (or the end) takes one fill byte per pass, random (0..254 from `random_byte`)
// on every pass but the last, zero on the last. The size never changes. A missing
// file, a link or a file with more than one name is left alone; any read or write
// error ends the overwrite silently.
void OverwriteIndexDat(platform::Files& files, std::string_view path, int passes,
                       const std::function<std::uint8_t()>& random_byte);
// The same with the run's wipe settings and a generator seeded from the clock.
void OverwriteIndexDat(platform::Files& files, std::string_view path, bool is_wipe_file, int wipe_number);

// The local date and time of a record ("short date" and "long time" of the locale, the
// time left out at exactly midnight), or "Not Available" for a time that is no date.
std::string IndexDatTimeText(platform::System& system, platform::FileTime time);

}  // namespace norvik::formats
