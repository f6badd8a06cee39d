#pragma once
// The journal file's layout: a magic and version, then entries [type][length][payload][checksum]
// (checksum: 64-bit hash of type, length and payload). Writers append encoded entries to a
// buffer; the reader yields whole, checksummed entries and stops at the first torn or bad one.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/file.h"
#include "xbase/journal.h"

namespace hk::db::journal {

enum class EntryType : uint8_t { Header = 1, File = 2, Region = 3, Removed = 4, Commit = 5 };

// Magic (8 bytes) and version (4 bytes): the start of every journal.
std::string FileStart();
inline constexpr size_t kFileStartBytes = 12;
// Type, length and checksum around each payload.
inline constexpr size_t kEntryOverhead = 1 + 4 + 8;

void AppendHeader(std::string& out, const JournalInfo& info);
void AppendFile(std::string& out, uint32_t id, bool existed, uint64_t originalSize,
                const std::string& path);
void AppendRegion(std::string& out, uint32_t id, uint64_t offset, const void* bytes, size_t n);
void AppendRemoved(std::string& out, uint32_t id);
void AppendCommit(std::string& out, const std::vector<JournalFileState>& after);

struct FileEntry {
    uint32_t id = 0;
    bool existed = false;
    uint64_t originalSize = 0;
    std::string path;
};
struct RegionEntry {
    uint32_t id = 0;
    uint64_t offset = 0;
    std::string_view bytes; // valid until the reader's next entry
};

// Reads a journal entry by entry. Next is false at the end, at a torn or bad entry and when the
// file does not start as a journal; a payload that does not decode is bad too (Decode*).
class Reader {
public:
    explicit Reader(File& file);
    bool Next();
    EntryType Type() const { return type_; }
    bool DecodeHeader(JournalInfo& info) const;
    bool DecodeFile(FileEntry& e) const;
    bool DecodeRegion(RegionEntry& e) const;
    bool DecodeRemoved(uint32_t& id) const;
    bool DecodeCommit(std::vector<JournalFileState>& after) const;

private:
    bool Fill(size_t need);
    File& file_;
    uint64_t fileAt_ = 0; // where buffer_ was read from
    std::string buffer_;
    size_t at_ = 0;  // the next entry in buffer_
    bool ok_ = true; // a good start was seen
    EntryType type_ = EntryType::Header;
    std::string_view payload_;
};

} // namespace hk::db::journal
