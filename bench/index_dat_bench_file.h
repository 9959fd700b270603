#pragma once
// The 50 MB index.dat both listing benchmarks read (native and under Wine): 200 hash
// tables of 1,020 entries whose records are spread over the file in random order, so
// that the listing's reads would jump about.

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "fakes/index_dat_builder.h"

namespace norvik::formats::bench {

constexpr std::uint32_t kTables = 200;
constexpr std::uint32_t kBlocksPerTable = 64;  // 8 KB, 1,020 entries
constexpr std::uint32_t kEntriesPerTable = (kBlocksPerTable * 128 - 32) / 8;
constexpr std::uint32_t kRecordBytes = 256;
constexpr std::uint32_t kFileBytes = 50 * 1024 * 1024;

// Tables every 256 KB; records fill the space between them.
inline std::string BuildFile() {
  IndexDatBuilder file(kFileBytes);
  const std::uint32_t stride = kFileBytes / kTables;
  std::vector<std::uint32_t> records;
  for (std::uint32_t t = 0; t < kTables; ++t) {
    const std::uint32_t table = 0x4000 + t * stride;
    for (std::uint32_t r = table + kBlocksPerTable * 128; r + kRecordBytes <= table + stride && r + kRecordBytes < kFileBytes;
         r += kRecordBytes) {
      records.push_back(r);
    }
  }
  std::shuffle(records.begin(), records.end(), std::mt19937(7));
  std::size_t next = 0;
  file.FirstTable(0x4000);
  for (std::uint32_t t = 0; t < kTables; ++t) {
    const std::uint32_t table = 0x4000 + t * stride;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> entries;
    for (std::uint32_t e = 0; e < kEntriesPerTable && next < records.size(); ++e, ++next) {
      const std::uint32_t r = records[next];
      file.Url(r, 133'000'000'000'000'000ull + r, "http://www.example.com/page/" + std::to_string(r) + ".html");
      entries.emplace_back(0x10 + e * 0x100, r);
    }
    file.Table(table, kBlocksPerTable, t + 1 < kTables ? table + stride : 0, entries);
  }
  return file.bytes();
}

}  // namespace norvik::formats::bench
