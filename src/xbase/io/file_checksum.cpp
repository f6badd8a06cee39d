// Whole-file checksums: what a committed run left, compared before its undo.
#include <memory>

#include "xbase/io/hash64.h"
#include "xbase/journal.h"

namespace hk::db {

uint64_t FileChecksum(FileSystem& fs, const std::string& path) {
    if (!fs.Exists(path))
        return 0;
    auto file = fs.Open(path, OpenMode::ReadOnly, false);
    // Large reads: a table of hundreds of MB is hashed at the speed of the page cache.
    constexpr size_t kChunk = 4u << 20;
    auto buf = std::make_unique_for_overwrite<unsigned char[]>(kChunk);
    Hash64 hash;
    uint64_t at = 0;
    for (size_t got; (got = file->ReadAt(at, buf.get(), kChunk)) > 0; at += got)
        hash.Add(buf.get(), got);
    return hash.Value();
}

std::optional<std::string> FirstChangedFile(FileSystem& fs, const JournalInfo& info) {
    for (const JournalFileState& f : info.after) {
        if (!fs.Exists(f.path) || fs.Open(f.path, OpenMode::ReadOnly, false)->Size() != f.size ||
            FileChecksum(fs, f.path) != f.checksum)
            return f.path;
    }
    return std::nullopt;
}

} // namespace hk::db
