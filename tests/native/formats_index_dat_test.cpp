#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "fakes/index_dat_builder.h"
#include "formats/index_dat.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_system.h"

namespace norvik::formats {
namespace {

using platform::sim::SimMachine;
constexpr char kPath[] = "C:\\Cache\\index.dat";
constexpr std::uint32_t kSize = 0x10000;
constexpr std::uint64_t kT1 = 133'000'000'000'000'000, kT2 = 134'000'000'000'000'000;

using Listed = std::vector<std::pair<std::string, std::uint64_t>>;

Listed Rows(const IndexDatListing& listing) {
  Listed listed;
  for (std::size_t i = 0; i < listing.size(); ++i) listed.emplace_back(listing.address(i), listing.time(i));
  return listed;
}

Listed List(SimMachine& machine, const std::string& bytes, std::vector<int>* percents = nullptr) {
  machine.WriteFile(kPath, bytes);
  return Rows(ListIndexDat(machine.platform().files, kPath, [&](int p) {
    if (percents) percents->push_back(p);
  }));
}

// Records placed below the first table; tables from 0x4000 on.
IndexDatBuilder WithRecords() {
  IndexDatBuilder b(kSize);
  b.Url(0x1000, kT1, "http://a.example/").Url(0x1100, kT2, "leak.example", 80, "LEAK");
  b.Redr(0x1200, kT1, "http://redirect.example/").Url(0x1300, kT1, "hidden", 0);
  b.Put(0x1400, "XURL").Url(0x1500, kT2, "").Url(0x1600, kT1, "http://free.example/");
  b.Put(0x1700, std::string_view("URL\0", 4));
  return b;
}

struct ListCase {
  const char* name;
  IndexDatBuilder file;
  Listed expected;
};

// Which entries a listing reaches and what it reads from them, on well-formed and
// hostile files alike.
TEST(IndexDatTest, ListingReadsTheReachableUsedEntriesAndNothingElse) {
  const std::string a = "http://a.example/", redirect = "http://redirect.example/";
  const std::pair<std::uint32_t, std::uint32_t> url{0x10, 0x1000}, leak{0x20, 0x1100}, redr{0x30, 0x1200},
      no_text{0x40, 0x1300}, unknown{0x50, 0x1400}, empty{0x60, 0x1500}, free1{0x101, 0x1600}, free3{0x703, 0x1600},
      nul_sig{0x70, 0x1700}, past_header{0x80, kSize + 0x100}, negative{0x90, 0x80000000};
  // Two blocks hold 28 entries; the last one is still read. Zero blocks hold none.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> last_of_28(28, {1, 0});
  last_of_28[27] = redr;
  // A text that never ends stops at the end of the file.
  IndexDatBuilder open_text(0x5000, 'z');
  open_text.FirstTable(0x1000).Table(0x1000, 1, 0, {{0x10, 0x4F00}}).Put(0x4F00, "URL ").Put64(0x4F10, kT1);
  open_text.Put(0x4F34, "\x80");
  // Single-byte text comes out as UTF-8; an address is cut at 4,096 bytes.
  IndexDatBuilder texts(0x5000);
  texts.Url(0x1000, kT1, "http://caf\xE9.example/").Url(0x2000, kT2, std::string(5000, 'w'));
  texts.FirstTable(0x4000).Table(0x4000, 1, 0, {{0x10, 0x1000}, {0x20, 0x2000}});
  const auto first = [] { return WithRecords().FirstTable(0x4000); };
  // The header may claim more than the file holds: the chain ends at the real end, and a table's entries too.
  const ListCase cases[] = {
      {"no table", WithRecords(), {}},
      {"one table",
       first().Table(0x4000, 1, 0,
                     {url, leak, redr, no_text, unknown, empty, free1, free3, nul_sig, past_header, negative}),
       {{a, kT1}, {"leak.example", kT2}, {redirect, kT1}}},
      {"0 and 2 blocks", first().Table(0x4000, 0, 0x5000, {url}).Table(0x5000, 2, 0, last_of_28), {{redirect, kT1}}},
      {"a loop", first().Table(0x4000, 1, 0x5000, {url}).Table(0x5000, 1, 0x4000, {redr}), {{a, kT1}, {redirect, kT1}}},
      {"a table pointing at itself", first().Table(0x4000, 1, 0x4000, {url}), {{a, kT1}}},
      {"no HASH signature", first().Table(0x4000, 1, 0, {url}).Put(0x4000, "HASX"), {}},
      {"chain past the real end",
       WithRecords().HeaderSize(0x7FFFFFFF).FirstTable(0x4000).Table(0x4000, 1, kSize + 0x1000, {url}), {{a, kT1}}},
      {"blocks past the real end",
       WithRecords().FirstTable(kSize - 48).Table(kSize - 48, 0xFFFFFFFF, 0, {url, redr}), {{a, kT1}, {redirect, kT1}}},
      {"first table past the header's size",
       WithRecords().HeaderSize(0x3FFF).FirstTable(0x4000).Table(0x4000, 1, 0, {url}), {}},
      {"text up to the end", open_text, {{std::string(0x80, 'z'), kT1}}},
      {"too short for a header", IndexDatBuilder(20), {}},
      {"texts", texts, {{"http://caf\xC3\xA9.example/", kT1}, {std::string(4096, 'w'), kT2}}},
  };

  SimMachine machine;
  // Each file is also listed into the buffers of the listing before it.
  IndexDatListing last;
  for (const auto& c : cases) {
    EXPECT_EQ(List(machine, c.file.bytes()), c.expected) << c.name;
    last = ListIndexDat(machine.platform().files, kPath, {}, std::move(last));
    EXPECT_EQ(Rows(last), c.expected) << c.name << ", into the last listing";
  }
  EXPECT_TRUE(ListIndexDat(machine.platform().files, "C:\\missing\\index.dat").empty());
}

// A large file is read in blocks: records and texts that cross a block's edge, wherever
// the edges fall (every 64 KB here), are read whole, and the rows keep the entries'
// order although the records lie the other way round in the file. The table holds more
// entries than one read of them takes.
TEST(IndexDatTest, ListingReadsRecordsAcrossBlockEdgesInEntryOrder) {
  constexpr std::uint32_t kEdge = 0x10000, kEdges = 40, kSlots = 10'000;
  constexpr std::uint32_t kTableAt = (kEdges + 1) * kEdge, kBlocks = (32 + 8 * kSlots + 127) / 128;
  IndexDatBuilder file(kTableAt + kBlocks * 128);
  std::vector<std::pair<std::uint32_t, std::uint32_t>> entries(kSlots, {1, 0});
  Listed expected;
  for (std::uint32_t k = kEdges; k >= 1; --k) {
    const std::string text = "http://edge" + std::to_string(k) + ".example/" + std::string(k * 90, 'p');
    // In turn across the edge: the time, the text offset byte, the text, a redirect's text.
    const std::uint32_t record = k * kEdge - std::array<std::uint32_t, 4>{20, 52, 120, 30}[k % 4];
    if (k % 4 == 3) {
      file.Redr(record, kT1 + k, text);
    } else {
      file.Url(record, kT1 + k, text);
    }
    entries[kSlots - 1 - 200 * k] = {0x10, record};
    expected.emplace_back(text, kT1 + k);
  }
  file.FirstTable(kTableAt).Table(kTableAt, kBlocks, 0, entries);

  SimMachine machine;
  EXPECT_EQ(List(machine, file.bytes()), expected);
}

TEST(IndexDatTest, ListingReportsRisingPercentagesEndingAt100) {
  SimMachine machine;
  std::vector<int> percents;
  // 12 + 28 entries: each percentage is told once.
  List(machine, WithRecords().FirstTable(0x4000).Table(0x4000, 1, 0x5000).Table(0x5000, 2, 0).bytes(), &percents);
  EXPECT_TRUE(!percents.empty() && percents.back() == 100 && std::ranges::is_sorted(percents) &&
              std::ranges::adjacent_find(percents) == percents.end()) << ::testing::PrintToString(percents);
}

struct OverwriteCase {
  const char* name;
  IndexDatBuilder file;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> filled;  // [from, to)
};

// What an overwrite fills: from each reachable table's byte 32 to the next table (or the
// end), running on to the end when it comes within 4 KB of it; never past the real end.
TEST(IndexDatTest, OverwriteFillsTheRegionsBehindEachReachableTableHeader) {
  const auto junk = [] { return IndexDatBuilder(kSize, '\xEE'); };
  const auto one = [&] { return junk().FirstTable(0x4000).Table(0x4000, 1, 0x8000); };
  const auto big = [&] { return junk().HeaderSize(0x40000).FirstTable(0x4000); };
  const OverwriteCase cases[] = {
      {"no table", junk(), {}},
      {"one table", junk().FirstTable(0x4000).Table(0x4000, 1, 0), {{0x4020, kSize}}},
      {"two tables", one().Table(0x8000, 4, 0), {{0x4020, 0x8000}, {0x8020, kSize}}},
      // The second table lies within 4 KB of the end: the first region runs over it.
      {"table near the end", junk().FirstTable(0x4000).Table(0x4000, 1, 0xF800).Table(0xF800, 1, 0), {{0x4020, kSize}}},
      {"a loop", one().Table(0x8000, 1, 0x4000), {{0x4020, 0x8000}}},
      {"header larger than the file", big().Table(0x4000, 1, 0), {{0x4020, kSize}}},
      {"chain past the real end", big().Table(0x4000, 1, 0x30000), {{0x4020, kSize}}},
      {"no HASH signature", junk().FirstTable(0x4000).Table(0x4000, 1, 0).Put(0x4000, "HASX"), {}},
  };

  SimMachine machine;
  for (const auto& c : cases) {
    machine.WriteFile(kPath, c.file.bytes());
    int random_calls = 0;
    OverwriteIndexDat(machine.platform().files, kPath, 2, [&] { return static_cast<std::uint8_t>(++random_calls); });
    std::string expected = c.file.bytes();
    for (const auto& [from, to] : c.filled) expected.replace(from, to - from, to - from, '\0');
    EXPECT_EQ(machine.ReadFile(kPath), expected) << c.name;
    EXPECT_EQ(random_calls, 1) << c.name;
  }
}

TEST(IndexDatTest, PassesFollowTheWipeSettingsWithinOneToThree) {
  const std::vector<std::tuple<bool, int, int>> cases = {{false, 7, 1}, {true, 0, 1}, {true, 2, 2}, {true, 7, 3}};
  for (const auto& [wipe, number, passes] : cases) EXPECT_EQ(IndexDatOverwritePasses(wipe, number), passes);
}

TEST(IndexDatTest, TimeTextIsTheLocalTimeOrNotAvailable) {
  SimMachine machine;
  auto& internet = machine.system().internet();
  internet.SetUtcOffsetMinutes(120);
  const auto at = [](std::uint16_t y, std::uint16_t mo, std::uint16_t d, std::uint16_t h, std::uint16_t mi) {
    return platform::sim::FileTimeFromCalendar({.year = y, .month = mo, .day = d, .hour = h, .minute = mi});
  };
  const std::vector<std::pair<std::uint64_t, std::string>> cases = {
      {at(2024, 5, 17, 11, 4) + 50'000'000, "2024-05-17 13:04:05"},
      {at(2024, 5, 16, 22, 0), "2024-05-17"},                // local midnight: no time
      {at(2501, 1, 1, 0, 0), "Not Available"},               // beyond the year 2500
      {at(1899, 12, 29, 22, 0), "Not Available"},            // the calendar's day zero
      {0xFFFF'FFFF'FFFF'FFFFull, "Not Available"},           // no FILETIME at all
  };
  for (const auto& [time, text] : cases) EXPECT_EQ(IndexDatTimeText(machine.system(), time), text) << text;
}

}  // namespace
}  // namespace norvik::formats
