#include "formats/index_dat.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <limits>
#include <random>
#include <set>
#include <memory>
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

// Reads the file through a window of two 1 MB blocks that slides forward: reads that
// move through the file in order cost about one sequential read of it, however small
// they are, and memory stays at 2 MB. Nothing is read past the real end.
class BlockReader {
 public:
  static constexpr std::int64_t kBlockBytes = 1 << 20;

  BlockReader(File& file, std::int64_t size) : file_(file), size_(size) {}

  bool Read(std::int64_t offset, void* out, std::size_t count) {
    if (offset < 0 || offset + static_cast<std::int64_t>(count) > size_) return false;
    auto* dest = static_cast<std::uint8_t*>(out);
    while (count > 0) {
      const std::vector<std::uint8_t>* block = Block(offset / kBlockBytes);
      const auto in_block = static_cast<std::size_t>(offset % kBlockBytes);
      if (block == nullptr || in_block >= block->size()) return false;
      const std::size_t n = std::min(count, block->size() - in_block);
      std::memcpy(dest, block->data() + in_block, n);
      dest += n;
      offset += static_cast<std::int64_t>(n);
      count -= n;
    }
    return true;
  }

  bool Read32(std::int64_t offset, std::uint32_t& value) {
    std::uint8_t bytes[4];
    if (!Read(offset, bytes, sizeof bytes)) return false;
    value = Le32(bytes);
    return true;
  }

  bool Read64(std::int64_t offset, std::uint64_t& value) {
    std::uint8_t bytes[8];
    if (!Read(offset, bytes, sizeof bytes)) return false;
    value = static_cast<std::uint64_t>(Le32(bytes + 4)) << 32 | Le32(bytes);
    return true;
  }

  bool Signature(std::int64_t offset, std::string_view expected) {
    char bytes[4];
    return Read(offset, bytes, sizeof bytes) && std::string_view(bytes, sizeof bytes) == expected;
  }

  // Appends the bytes up to a NUL or the end of the file, at most `max`.
  void AppendText(std::int64_t offset, std::size_t max, std::string& text) {
    const std::size_t start = text.size();
    while (offset >= 0 && offset < size_ && text.size() - start < max) {
      const std::vector<std::uint8_t>* block = Block(offset / kBlockBytes);
      const auto in_block = static_cast<std::size_t>(offset % kBlockBytes);
      if (block == nullptr || in_block >= block->size()) break;
      const auto* begin = block->data() + in_block;
      const std::size_t span = std::min(block->size() - in_block, max - (text.size() - start));
      const auto* nul = static_cast<const std::uint8_t*>(std::memchr(begin, 0, span));
      const auto n = nul ? static_cast<std::size_t>(nul - begin) : span;
      text.append(reinterpret_cast<const char*>(begin), n);
      if (nul) break;
      offset += static_cast<std::int64_t>(n);
    }
  }

 private:
  // Block `index` in the window: the window moves on by one block when the next block
  // is asked for, and starts afresh anywhere else.
  const std::vector<std::uint8_t>* Block(std::int64_t index) {
    if (index == first_ + 2) {
      std::swap(blocks_[0], blocks_[1]);
      loaded_[0] = loaded_[1];
      loaded_[1] = false;
      ++first_;
    } else if (index != first_ && index != first_ + 1) {
      first_ = index;
      loaded_[0] = loaded_[1] = false;
    }
    const int slot = index == first_ ? 0 : 1;
    if (!loaded_[slot] && !Load(index, blocks_[slot])) return nullptr;
    loaded_[slot] = true;
    return &blocks_[slot];
  }

  bool Load(std::int64_t index, std::vector<std::uint8_t>& bytes) {
    const std::int64_t start = index * kBlockBytes;
    bytes.resize(static_cast<std::size_t>(std::min(kBlockBytes, size_ - start)));
    if (!file_.Seek(start)) return false;
    std::size_t filled = 0;
    while (filled < bytes.size()) {
      auto got = file_.Read(bytes.data() + filled, bytes.size() - filled);
      if (!got || *got == 0) break;
      filled += *got;
    }
    // A file that shrank while it was read ends where it now ends.
    bytes.resize(filled);
    return filled > 0;
  }

  File& file_;
  std::int64_t size_;
  std::int64_t first_ = -3;
  std::vector<std::uint8_t> blocks_[2];
  bool loaded_[2] = {false, false};
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

// Appends the text of the record an entry points to, when it is one of the three
// listed kinds; false when there is none.
bool ReadRecord(BlockReader& reader, std::int64_t r, std::string& text, platform::FileTime& time) {
  const std::size_t begin = text.size();
  if (reader.Signature(r, "URL ") || reader.Signature(r, "LEAK")) {
    std::uint8_t text_offset = 0;
    if (!reader.Read64(r + 16, time) || !reader.Read(r + 52, &text_offset, 1)) return false;
    if (text_offset != 0) reader.AppendText(r + text_offset, kMaxAddressBytes, text);
  } else if (reader.Signature(r, "REDR")) {
    if (!reader.Read64(r + 8, time)) return false;
    reader.AppendText(r + 16, kMaxAddressBytes, text);
  }
  const auto added = std::string_view(text).substr(begin);
  if (std::any_of(added.begin(), added.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
    const std::string utf8 = platform::AnsiToUtf8(added);
    text.replace(begin, std::string::npos, utf8);
  }
  return text.size() > begin;
}

class Progress {
 public:
  Progress(const ListProgress& report, std::int64_t total) : report_(report), total_(total) {}
  void Step() {
    ++done_;
    if (!report_ || total_ == 0) return;
    const int percent = static_cast<int>(done_ * 100 / total_);
    if (percent > shown_) {
      shown_ = percent;
      report_(percent);
    }
  }
  void Finish() {
    if (report_ && shown_ < 100) report_(100);
  }

 private:
  const ListProgress& report_;
  std::int64_t total_;
  std::int64_t done_ = 0;
  int shown_ = 0;
};

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

IndexDatListing ListIndexDat(platform::Files& files, std::string_view path, const ListProgress& progress) {
  IndexDatListing listing;
  auto opened =
      files.Open(path, platform::FileAccess::Read, platform::file_share::kAll, platform::FileDisposition::OpenExisting);
  if (!opened) return listing;
  const std::int64_t real_size = RealSize(*opened);
  Header header;
  if (!ReadHeader(*opened, real_size, header)) return listing;
  const std::vector<Table> tables = ReadTables(*opened, header, real_size);
  std::int64_t total = 0;
  for (const Table& table : tables) total += table.entries;

  // The used entries (record offset and entry number), counted per block of the file.
  struct Target {
    std::int64_t record;
    std::size_t entry;
  };
  std::vector<Target> targets;
  const auto blocks = static_cast<std::size_t>(real_size / BlockReader::kBlockBytes + 1);
  std::vector<std::size_t> per_block(blocks + 1);
  Progress steps(progress, total);
  std::vector<std::uint8_t> entries;
  for (const Table& table : tables) {
    // A table's entries in one read: the window is kept for the records.
    entries.resize(static_cast<std::size_t>(table.entries * kEntryBytes));
    if (!ReadAt(*opened, table.offset + kTableHeaderBytes, entries.data(), entries.size())) break;
    for (std::size_t i = 0; i < entries.size(); i += kEntryBytes) {
      steps.Step();
      const std::uint8_t* entry = entries.data() + i;
      if (entry[0] == 1 || entry[0] == 3) continue;  // a free slot
      const std::int64_t r = Signed32(Le32(entry + 4));
      if (r < 0 || r >= header.size || r >= real_size) continue;
      targets.push_back({r, targets.size()});
      ++per_block[static_cast<std::size_t>(r / BlockReader::kBlockBytes) + 1];
    }
  }
  // The records are read block by block in file order, several times faster than the
  // hash order on a large file, and listed in entry order.
  std::partial_sum(per_block.begin(), per_block.end(), per_block.begin());
  std::vector<Target> in_file_order(targets.size());
  for (const Target& target : targets) {
    in_file_order[per_block[static_cast<std::size_t>(target.record / BlockReader::kBlockBytes)]++] = target;
  }
  std::vector<IndexDatListing::Row>& rows = listing.rows_;
  rows.resize(targets.size());
  BlockReader reader(*opened, real_size);
  for (const Target& target : in_file_order) {
    if (listing.text_.size() >= kMaxListedBytes) break;
    IndexDatListing::Row& row = rows[target.entry];
    row.begin = listing.text_.size();
    if (ReadRecord(reader, target.record, listing.text_, row.time)) row.length = listing.text_.size() - row.begin;
  }
  std::erase_if(rows, [](const IndexDatListing::Row& row) { return row.length == 0; });
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
