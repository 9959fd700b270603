#include "formats/index_dat.h"

#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cstring>
#include <limits>
#include <random>
#include <memory>
#include <set>
#include <numeric>

#include "platform/text_encoding.h"

namespace norvik::formats {
namespace {

using platform::File;

constexpr std::int64_t kHeaderSizeOffset = 28;
constexpr std::int64_t kFirstTableOffset = 32;
constexpr std::int64_t kTableHeaderBytes = 32;
constexpr std::int64_t kTableBlockBytes = 128;
constexpr std::int64_t kEntryBytes = 8;
constexpr std::size_t kFillChunk = 4096;
constexpr int kMaxPasses = 3;
// Addresses are cut at this length (the browser's own limit is 2,083), and a listing
// stops after this many bytes of them: a hostile file can point all its entries at one
// record without a NUL.
constexpr std::size_t kMaxAddressBytes = 4096;
constexpr std::size_t kMaxListedBytes = std::size_t{256} << 20;
// Reading the tables takes the progress bar this far; reading the records, the rest.
constexpr int kTablesProgress = 20;
constexpr std::int64_t kEntriesPerRead = 8192;
// Memory set aside ahead; what is not used is never touched.
constexpr std::int64_t kMaxReservedEntries = std::int64_t{1} << 20;
constexpr std::size_t kReservedAddressBytes = 64;
constexpr std::size_t kMaxReservedText = std::size_t{32} << 20;

// The file's real size, as far as signed 32-bit offsets can reach.
std::int64_t RealSize(const File& file) {
  auto size = file.Size();
  if (!size) return 0;
  return static_cast<std::int64_t>(std::min<std::uint64_t>(*size, std::numeric_limits<std::int32_t>::max()));
}

std::int64_t Signed32(std::uint32_t value) { return static_cast<std::int32_t>(value); }

std::uint32_t Le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Reads the records one block at a time, in file order. Each block comes with enough of
// what follows it that a record starting in the block is whole in memory (its text
// offset is one byte and its text is cut at kMaxAddressBytes): one read per block into
// one buffer, small enough to stay in the processor's cache while its records are read.
class BlockWindow {
 public:
  static constexpr std::int64_t kBlockBytes = 256 << 10;
  static constexpr std::int64_t kSpillBytes = 256 + kMaxAddressBytes;

  BlockWindow(File& file, std::int64_t size) : file_(file), size_(size) {}

  // Nothing is read past the real end; a file that shrank ends where it now ends.
  void Load(std::int64_t index) {
    start_ = index * kBlockBytes;
    const auto want = static_cast<std::size_t>(std::clamp<std::int64_t>(size_ - start_, 0, kBlockBytes + kSpillBytes));
    if (bytes_.size() < want) bytes_.resize(want);
    filled_ = 0;
    if (want == 0 || !file_.Seek(start_)) return;
    while (filled_ < want) {
      auto got = file_.Read(bytes_.data() + filled_, want - filled_);
      if (!got || *got == 0) break;
      filled_ += *got;
    }
  }

  // The loaded bytes from `offset` on; empty outside the window.
  std::string_view From(std::int64_t offset) const {
    if (offset < start_ || offset - start_ >= static_cast<std::int64_t>(filled_)) return {};
    const auto at = static_cast<std::size_t>(offset - start_);
    return std::string_view(bytes_.data() + at, filled_ - at);
  }

 private:
  File& file_;
  std::int64_t size_;
  std::int64_t start_ = 0;
  std::size_t filled_ = 0;
  std::vector<char> bytes_;
};

struct Header {
  std::int64_t size = 0;         // as the writer recorded it
  std::int64_t first_table = 0;  // 0: none
};

// `count` bytes at `offset`, straight from the file.
bool ReadAt(File& file, std::int64_t offset, std::uint8_t* out, std::size_t count) {
  if (!file.Seek(offset)) return false;
  for (std::size_t done = 0; done < count;) {
    auto got = file.Read(out + done, count - done);
    if (!got || *got == 0) return false;
    done += *got;
  }
  return true;
}

bool ReadHeader(File& file, std::int64_t real_size, Header& header) {
  std::uint8_t bytes[8];
  if (real_size < kFirstTableOffset + 4 || !ReadAt(file, kHeaderSizeOffset, bytes, sizeof bytes)) return false;
  header = {Signed32(Le32(bytes)), Signed32(Le32(bytes + 4))};
  return true;
}

// Walks the chain of hash tables with every guard against a hostile file.
class ChainWalk {
 public:
  ChainWalk(std::int64_t header_size, std::int64_t real_size, std::int64_t first)
      : header_size_(header_size), real_size_(real_size), next_(first) {}

  // The next table's offset, or false when the chain has ended.
  bool Next(std::int64_t& table) {
    const std::int64_t t = next_;
    if (t <= 0 || t > header_size_ || t + 12 > real_size_) return false;
    if (seen_.size() >= kMaxHashTables || !seen_.insert(t).second) return false;
    table = t;
    return true;
  }
  void SetNext(std::uint32_t next) { next_ = Signed32(next); }

 private:
  std::int64_t header_size_, real_size_, next_;
  std::set<std::int64_t> seen_;
};

// A table's entries, as many as its block count gives and the file can hold.
std::int64_t EntryCount(std::uint32_t blocks, std::int64_t table, std::int64_t real_size) {
  const std::int64_t declared = (static_cast<std::int64_t>(blocks) * kTableBlockBytes - kTableHeaderBytes) / kEntryBytes;
  const std::int64_t room = (real_size - table - kTableHeaderBytes) / kEntryBytes;
  return std::max<std::int64_t>(0, std::min(declared, room));
}

struct Table {
  std::int64_t offset;
  std::int64_t entries;
};

std::vector<Table> ReadTables(File& file, const Header& header, std::int64_t real_size) {
  std::vector<Table> tables;
  ChainWalk walk(header.size, real_size, header.first_table);
  // Tables that overlap cannot together hold more entries than the file has room for.
  std::int64_t room = real_size / kEntryBytes;
  std::int64_t t = 0;
  while (walk.Next(t)) {
    std::uint8_t bytes[12];
    if (!ReadAt(file, t, bytes, sizeof bytes) || std::string_view(reinterpret_cast<char*>(bytes), 4) != "HASH") break;
    const std::uint32_t blocks = Le32(bytes + 4), next = Le32(bytes + 8);
    const std::int64_t entries = std::min(room, EntryCount(blocks, t, real_size));
    tables.push_back({t, entries});
    room -= entries;
    walk.SetNext(next);
  }
  return tables;
}

std::uint64_t Le64(const char* p) {
  const auto* u = reinterpret_cast<const std::uint8_t*>(p);
  return static_cast<std::uint64_t>(Le32(u + 4)) << 32 | Le32(u);
}

// A listing's text, written one address after another. An address is copied eight bytes
// at a time, which may write past its end: the buffer keeps room for the longest address
// beyond what is used.
class TextWriter {
 public:
  TextWriter(std::unique_ptr<char[]>& bytes, std::size_t& size, std::size_t& room)
      : bytes_(bytes), size_(size), room_(room) {
    if (!bytes_) room_ = 0;  // a listing whose buffers were handed on
    size_ = 0;
  }
  std::size_t size() const { return size_; }
  // Room for `bytes` of text in all, besides the room kept for one more address.
  void Reserve(std::size_t bytes) { Grow(bytes + kMaxAddressBytes); }

  // Appends the text at the front of `bytes`, up to a NUL, at most kMaxAddressBytes.
  void Append(std::string_view bytes) {
    bytes = bytes.substr(0, kMaxAddressBytes);
    Grow(size_ + kMaxAddressBytes);
    char* out = bytes_.get() + size_;
    bool high = false;
    const std::size_t length = CopyText(bytes, out, high);
    if (!high) {
      size_ += length;
      return;
    }
    const std::string utf8 = platform::AnsiToUtf8(std::string_view(out, length));
    Grow(size_ + utf8.size() + kMaxAddressBytes);
    std::copy(utf8.begin(), utf8.end(), bytes_.get() + size_);
    size_ += utf8.size();
  }

 private:
  // Copies the text at the front of `bytes` (up to a NUL or the end) to `out`, eight bytes
  // at a time, and returns its length; `high` tells whether it holds a byte above 127.
  static std::size_t CopyText(std::string_view bytes, char* out, bool& high) {
    constexpr std::uint64_t kOnes = 0x0101010101010101, kTops = 0x8080808080808080;
    std::uint64_t seen = 0;
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
      const std::uint64_t word = Le64(bytes.data() + i);
      std::memcpy(out + i, bytes.data() + i, 8);
      // The lowest flagged byte is the first NUL (flags above it may be false).
      const std::uint64_t nul = (word - kOnes) & ~word & kTops;
      if (nul != 0) {
        const int before = std::countr_zero(nul) / 8;
        seen |= word & ((std::uint64_t{1} << (8 * before)) - 1);
        high = (seen & kTops) != 0;
        return i + static_cast<std::size_t>(before);
      }
      seen |= word;
    }
    for (; i < bytes.size() && bytes[i] != '\0'; ++i) {
      out[i] = bytes[i];
      seen |= static_cast<unsigned char>(bytes[i]);
    }
    high = (seen & kTops) != 0;
    return i;
  }

  void Grow(std::size_t room) {
    if (room <= room_) return;
    room = std::max(room, 2 * room_);
    auto bigger = std::make_unique_for_overwrite<char[]>(room);
    std::copy_n(bytes_.get(), size_, bigger.get());
    bytes_ = std::move(bigger);
    room_ = room;
  }

  std::unique_ptr<char[]>& bytes_;
  std::size_t& size_;
  std::size_t& room_;
};

// Appends the address of the record at the front of `record` (the bytes from the record
// to the end of what is loaded) when it is one of the three listed kinds, with its time.
void ReadRecord(std::string_view record, TextWriter& text, platform::FileTime& time) {
  const std::string_view kind = record.substr(0, 4);
  std::size_t at = 0;
  if ((kind == "URL " || kind == "LEAK") && record.size() > 52) {
    time = Le64(record.data() + 16);
    at = static_cast<unsigned char>(record[52]);
    if (at == 0) return;
  } else if (kind == "REDR" && record.size() >= 16) {
    time = Le64(record.data() + 8);
    at = 16;
  } else {
    return;
  }
  if (at < record.size()) text.Append(record.substr(at));
}

// Tells the percentage whenever it rises. The work comes in stages, each taking the bar
// to a given mark; a step only counts and compares, the division waits for the step
// that raises the percentage.
class Progress {
 public:
  explicit Progress(const ListProgress& report) : report_(report) {}

  // The next `steps` steps take the bar from the last stage's mark to `mark`.
  void Stage(std::int64_t steps, int mark) {
    from_ = mark_;
    mark_ = mark;
    steps_ = steps;
    done_ = 0;
    Aim();
  }
  void Step() {
    if (++done_ >= next_) Raise();
  }
  void Finish() {
    if (report_ && shown_ < 100) report_(100);
  }

 private:
  void Raise() {
    const int percent = from_ + static_cast<int>(done_ * (mark_ - from_) / steps_);
    if (percent > shown_) {
      shown_ = percent;
      if (report_) report_(percent);
    }
    Aim();
  }
  // The first step at which the percentage passes the one shown.
  void Aim() {
    next_ = std::numeric_limits<std::int64_t>::max();
    if (steps_ <= 0 || mark_ <= shown_) return;
    const std::int64_t rise = std::max(1, shown_ + 1 - from_);
    next_ = std::max<std::int64_t>(1, (rise * steps_ + (mark_ - from_) - 1) / (mark_ - from_));
  }

  const ListProgress& report_;
  int from_ = 0, mark_ = 0, shown_ = 0;
  std::int64_t steps_ = 0, done_ = 0, next_ = 0;
};

// Puts the record offsets of the used entries of every reachable table into `records`,
// in entry order, and returns how many fall in each block of the file (block b's count
// at b + 1; offsets and counts fit 32 bits, the file's size being a signed 32-bit
// value). A read error ends the walk.
std::vector<std::uint32_t> ReadUsedEntries(File& file, const Header& header, std::int64_t real_size, Progress& steps,
                                           std::vector<std::uint32_t>& records) {
  const std::vector<Table> tables = ReadTables(file, header, real_size);
  std::int64_t total = 0;
  for (const Table& table : tables) total += table.entries;
  records.reserve(static_cast<std::size_t>(std::min(total, kMaxReservedEntries)));
  std::vector<std::uint32_t> per_block(static_cast<std::size_t>(real_size / BlockWindow::kBlockBytes + 2));
  steps.Stage(total, kTablesProgress);
  std::vector<std::uint8_t> entries;
  for (const Table& table : tables) {
    // In reads of at most kEntriesPerRead: a hostile table may claim the whole file.
    for (std::int64_t first = 0; first < table.entries; first += kEntriesPerRead) {
      entries.resize(static_cast<std::size_t>(std::min(kEntriesPerRead, table.entries - first) * kEntryBytes));
      if (!ReadAt(file, table.offset + kTableHeaderBytes + first * kEntryBytes, entries.data(), entries.size())) {
        return per_block;
      }
      for (std::size_t i = 0; i < entries.size(); i += kEntryBytes) {
        steps.Step();
        const std::uint8_t* entry = entries.data() + i;
        if (entry[0] == 1 || entry[0] == 3) continue;  // a free slot
        const std::int64_t r = Signed32(Le32(entry + 4));
        if (r < 0 || r >= header.size || r >= real_size) continue;
        records.push_back(static_cast<std::uint32_t>(r));
        ++per_block[static_cast<std::size_t>(r / BlockWindow::kBlockBytes) + 1];
      }
    }
  }
  return per_block;
}

// Overwrites [from, to) with the fill byte; false on a write error.
bool Fill(File& file, std::int64_t from, std::int64_t to, const std::array<std::uint8_t, kFillChunk>& chunk) {
  if (to <= from) return true;
  if (!file.Seek(from)) return false;
  for (std::int64_t left = to - from; left > 0;) {
    const auto n = static_cast<std::size_t>(std::min<std::int64_t>(left, kFillChunk));
    auto written = file.Write(chunk.data(), n);
    if (!written || *written != n) return false;
    left -= static_cast<std::int64_t>(n);
  }
  return true;
}

// One pass; false when the overwrite must end.
bool OverwritePass(platform::Files& files, std::string_view path, std::uint8_t fill) {
  auto opened = files.Open(path, platform::FileAccess::ReadWrite, platform::file_share::kAll,
                           platform::FileDisposition::OpenExisting);
  if (!opened) return false;
  File& file = *opened;
  const std::int64_t real_size = RealSize(file);
  std::array<std::uint8_t, kFillChunk> chunk;
  chunk.fill(fill);
  Header header;
  if (!ReadHeader(file, real_size, header)) return false;
  // Writing stops at the header's size, and never goes past the real end.
  const std::int64_t end = std::min(header.size, real_size);
  ChainWalk walk(header.size, real_size, header.first_table);
  std::int64_t t = 0;
  while (walk.Next(t)) {
    // Read straight from the file: an earlier region may have just been filled.
    std::uint8_t table[12];
    if (!ReadAt(file, t, table, sizeof table)) return false;
    if (std::string_view(reinterpret_cast<char*>(table), 4) != "HASH") break;
    const std::uint32_t next = Le32(table + 8);
    const std::int64_t region_end = next == 0 ? header.size : Signed32(next);
    const std::int64_t length = region_end - t - kTableHeaderBytes;
    std::int64_t w = t + kTableHeaderBytes;
    const std::int64_t whole = std::max<std::int64_t>(0, length / static_cast<std::int64_t>(kFillChunk));
    const std::int64_t fits = std::max<std::int64_t>(0, (end - w) / static_cast<std::int64_t>(kFillChunk));
    const std::int64_t chunks = std::min(whole, fits);
    if (!Fill(file, w, w + chunks * static_cast<std::int64_t>(kFillChunk), chunk)) return false;
    w += chunks * static_cast<std::int64_t>(kFillChunk);
    // Near the end the filling runs on to it, over any table that lies there.
    if (w + static_cast<std::int64_t>(kFillChunk) > end) {
      if (!Fill(file, w, end, chunk)) return false;
    } else if (length > 0) {
      if (!Fill(file, w, w + length % static_cast<std::int64_t>(kFillChunk), chunk)) return false;
    }
    walk.SetNext(next);
  }
  return file.Flush().ok();
}

}  // namespace

IndexDatListing ListIndexDat(platform::Files& files, std::string_view path, const ListProgress& progress,
                             IndexDatListing listing) {
  std::vector<std::uint32_t>& begins = listing.begins_;
  std::vector<std::uint32_t>& rows = listing.rows_;
  // Emptied, the memory kept.
  begins.clear();
  listing.times_.clear();
  rows.clear();
  auto opened =
      files.Open(path, platform::FileAccess::Read, platform::file_share::kAll, platform::FileDisposition::OpenExisting);
  if (!opened) return listing;
  const std::int64_t real_size = RealSize(*opened);
  Header header;
  if (!ReadHeader(*opened, real_size, header)) return listing;
  Progress steps(progress);
  std::vector<std::uint32_t> per_block = ReadUsedEntries(*opened, header, real_size, steps, rows);

  // The records are read block by block in file order, several times faster than the
  // hash order on a large file. Row i starts as entry i: rows[i] goes from the offset of
  // its record in the file to the place of that record in file order. Until record k is
  // read, begins[k] holds its offset in the file.
  const std::size_t count = rows.size();
  std::partial_sum(per_block.begin(), per_block.end(), per_block.begin());
  begins.resize(count + 1);
  for (std::uint32_t& row : rows) {
    const std::uint32_t r = row;
    row = per_block[r / BlockWindow::kBlockBytes]++;
    begins[row] = r;
  }
  std::vector<platform::FileTime>& times = listing.times_;
  times.resize(count);
  // Room for the usual length of an address, taken up only as it is written: growing
  // the text by doubling would copy it and touch twice the memory.
  TextWriter text(listing.text_, listing.text_size_, listing.text_room_);
  text.Reserve(std::min(count, kMaxReservedText / kReservedAddressBytes) * kReservedAddressBytes);
  BlockWindow window(*opened, real_size);
  std::int64_t loaded = -1;
  steps.Stage(static_cast<std::int64_t>(count), 100);
  for (std::size_t k = 0; k < count; ++k) {
    const std::int64_t r = begins[k];
    begins[k] = static_cast<std::uint32_t>(text.size());
    // Past the limit of listed text the records are not read: their texts stay empty.
    if (text.size() >= kMaxListedBytes) continue;
    const std::int64_t block = r / BlockWindow::kBlockBytes;
    if (block != loaded) {
      window.Load(block);
      loaded = block;
    }
    ReadRecord(window.From(r), text, times[k]);
    steps.Step();
  }
  begins[count] = static_cast<std::uint32_t>(text.size());
  // The rows in entry order, leaving out the records without a text.
  std::size_t listed = 0;
  for (const std::uint32_t k : rows) {
    if (begins[k + 1] != begins[k]) rows[listed++] = k;
  }
  rows.resize(listed);
  steps.Finish();
  return listing;
}

int IndexDatOverwritePasses(bool is_wipe_file, int wipe_number) {
  return std::clamp(is_wipe_file ? wipe_number : 0, 1, kMaxPasses);
}

void OverwriteIndexDat(platform::Files& files, std::string_view path, int passes,
                       const std::function<std::uint8_t()>& random_byte) {
  // Overwriting through a link or a second name would reach a file nobody named.
  auto attributes = files.GetAttributes(path);
  if (!attributes || (*attributes & (platform::file_attr::kReparsePoint | platform::file_attr::kDirectory))) return;
  {
    auto probe =
        files.Open(path, platform::FileAccess::Read, platform::file_share::kAll, platform::FileDisposition::OpenExisting);
    if (!probe) return;
    auto links = probe->LinkCount();
    if (!links || *links != 1) return;
  }
  for (int pass = 1; pass <= passes; ++pass) {
    const std::uint8_t fill = pass == passes ? 0 : static_cast<std::uint8_t>(random_byte() % 255);
    if (!OverwritePass(files, path, fill)) return;
  }
}

void OverwriteIndexDat(platform::Files& files, std::string_view path, bool is_wipe_file, int wipe_number) {
  std::minstd_rand generator(static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  OverwriteIndexDat(files, path, IndexDatOverwritePasses(is_wipe_file, wipe_number),
                    [&generator] { return static_cast<std::uint8_t>(generator() % 255); });
}

std::string IndexDatTimeText(platform::System& system, platform::FileTime time) {
  auto local = system.FileTimeToLocal(time);
  if (!local) return std::string(kTimeNotAvailable);
  const platform::CalendarTime& t = *local;
  const bool plausible = t.year <= 2500 && t.month <= 12 && t.day_of_week <= 7 && t.day <= 31 && t.hour <= 24 &&
                         t.minute <= 60 && t.second <= 60 && t.milliseconds <= 1000;
  // The calendar's day zero (30 December 1899, midnight) is what an unset date reads as.
  const bool day_zero = t.year == 1899 && t.month == 12 && t.day == 30 && t.hour == 0 && t.minute == 0 &&
                        t.second == 0 && t.milliseconds == 0;
  if (!plausible || day_zero || t.month == 0 || t.day == 0) return std::string(kTimeNotAvailable);
  const bool midnight = t.hour == 0 && t.minute == 0 && t.second == 0 && t.milliseconds == 0;
  return system.FormatDateTime(t, !midnight);
}

}  // namespace norvik::formats
