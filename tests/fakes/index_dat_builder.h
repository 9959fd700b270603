#pragma once
// Writes index.dat files for tests, the fuzz seeds and the benchmark: a zero-filled file
// with the header's size and first table set, hash tables with their entries, and
// "URL ", "LEAK" and "REDR" records placed where the caller says.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace norvik::formats {

class IndexDatBuilder {
 public:
  // A file of `size` bytes of `background` whose header records that size and no table.
  explicit IndexDatBuilder(std::size_t size, char background = '\0') : bytes_(size, background) {
    Put(0, std::string_view("Client UrlCache MMF Ver 5.2\0", 28));
    Put32(28, static_cast<std::uint32_t>(size));
  }

  IndexDatBuilder& HeaderSize(std::uint32_t size) { return Put32(28, size); }
  IndexDatBuilder& FirstTable(std::uint32_t offset) { return Put32(32, offset); }

  // A table of `blocks` 128-byte blocks at `at`, linked to `next`, with entries
  // (hash value, record offset) from its byte 32 on.
  IndexDatBuilder& Table(std::uint32_t at, std::uint32_t blocks, std::uint32_t next,
                         const std::vector<std::pair<std::uint32_t, std::uint32_t>>& entries = {}) {
    Put(at, "HASH");
    Put32(at + 4, blocks);
    Put32(at + 8, next);
    for (std::size_t i = 0; i < entries.size(); ++i) {
      Put32(at + 32 + 8 * static_cast<std::uint32_t>(i), entries[i].first);
      Put32(at + 36 + 8 * static_cast<std::uint32_t>(i), entries[i].second);
    }
    return *this;
  }

  // A "URL " or "LEAK" record; a text offset of 0 leaves the text out.
  IndexDatBuilder& Url(std::uint32_t at, std::uint64_t time, std::string_view text, std::uint8_t text_offset = 104,
                       std::string_view kind = "URL ") {
    Put(at, kind);
    Put64(at + 16, time);
    bytes_[at + 52] = static_cast<char>(text_offset);
    if (text_offset != 0) Put(at + text_offset, std::string(text) + '\0');
    return *this;
  }
  IndexDatBuilder& Redr(std::uint32_t at, std::uint64_t time, std::string_view text) {
    Put(at, "REDR");
    Put64(at + 8, time);
    return Put(at + 16, std::string(text) + '\0');
  }

  IndexDatBuilder& Put(std::size_t at, std::string_view raw) {
    if (at + raw.size() > bytes_.size()) bytes_.resize(at + raw.size(), '\0');
    std::memcpy(bytes_.data() + at, raw.data(), raw.size());
    return *this;
  }
  IndexDatBuilder& Put32(std::size_t at, std::uint32_t v) {
    const char le[4] = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                        static_cast<char>(v >> 24)};
    return Put(at, std::string_view(le, 4));
  }
  IndexDatBuilder& Put64(std::size_t at, std::uint64_t v) {
    Put32(at, static_cast<std::uint32_t>(v));
    return Put32(at + 4, static_cast<std::uint32_t>(v >> 32));
  }

  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

}  // namespace norvik::formats
