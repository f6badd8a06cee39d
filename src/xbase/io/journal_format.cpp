#include "xbase/io/journal_format.h"

#include <cstring>

#include "xbase/io/hash64.h"

namespace hk::db::journal {
namespace {

constexpr char kMagic[8] = {'H', 'K', 'J', 'O', 'U', 'R', 'N', 'L'};
constexpr uint32_t kVersion = 1;
constexpr uint64_t kSeed = 0x6a6f75726e616c31ULL;
// An entry longer than this is damage, not data (regions are 4 KB, commit lists small).
constexpr uint32_t kMaxPayload = 64u << 20;

void Put(std::string& out, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>(v >> (8 * i)));
}
void PutText(std::string& out, std::string_view s) {
    Put(out, s.size(), 4);
    out.append(s);
}

uint64_t Checksum(const char* typeAndLength, std::string_view payload) {
    Hash64 h(kSeed);
    h.Add(typeAndLength, 5);
    h.Add(payload.data(), payload.size());
    return h.Value();
}

// Wraps the payload that `build` appends to `out` into an entry.
template <typename Fn> void Entry(std::string& out, EntryType type, Fn&& build) {
    size_t start = out.size();
    out.push_back(static_cast<char>(type));
    Put(out, 0, 4);
    build();
    uint64_t length = out.size() - start - 5;
    for (int i = 0; i < 4; ++i)
        out[start + 1 + i] = static_cast<char>(length >> (8 * i));
    Put(out, Checksum(out.data() + start, std::string_view(out).substr(start + 5)), 8);
}

// Reads little-endian numbers and texts off a payload; any overrun makes it bad.
struct Cursor {
    std::string_view s;
    size_t at = 0;
    bool ok = true;
    uint64_t Get(int bytes) {
        if (at + bytes > s.size()) {
            ok = false;
            return 0;
        }
        uint64_t v = 0;
        for (int i = 0; i < bytes; ++i)
            v |= uint64_t(static_cast<uint8_t>(s[at + i])) << (8 * i);
        at += bytes;
        return v;
    }
    std::string Text() {
        uint64_t n = Get(4);
        if (!ok || at + n > s.size()) {
            ok = false;
            return {};
        }
        std::string t(s.substr(at, n));
        at += n;
        return t;
    }
    bool Done() const { return ok && at == s.size(); }
};

} // namespace

std::string FileStart() {
    std::string out(kMagic, sizeof kMagic);
    Put(out, kVersion, 4);
    return out;
}

void AppendHeader(std::string& out, const JournalInfo& info) {
    Entry(out, EntryType::Header, [&] {
        PutText(out, info.function);
        PutText(out, info.startedAt);
        PutText(out, info.logFile);
        PutText(out, info.projectPath);
    });
}

void AppendFile(std::string& out, uint32_t id, bool existed, uint64_t originalSize,
                const std::string& path) {
    Entry(out, EntryType::File, [&] {
        Put(out, id, 4);
        Put(out, existed ? 1 : 0, 1);
        Put(out, originalSize, 8);
        PutText(out, path);
    });
}

void AppendRegion(std::string& out, uint32_t id, uint64_t offset, const void* bytes, size_t n) {
    Entry(out, EntryType::Region, [&] {
        Put(out, id, 4);
        Put(out, offset, 8);
        out.append(static_cast<const char*>(bytes), n);
    });
}

void AppendRemoved(std::string& out, uint32_t id) {
    Entry(out, EntryType::Removed, [&] { Put(out, id, 4); });
}

void AppendCommit(std::string& out, const std::vector<JournalFileState>& after) {
    Entry(out, EntryType::Commit, [&] {
        Put(out, after.size(), 4);
        for (const JournalFileState& f : after) {
            PutText(out, f.path);
            Put(out, f.size, 8);
            Put(out, f.checksum, 8);
        }
    });
}

Reader::Reader(File& file) : file_(file) {
    ok_ = Fill(kFileStartBytes) && buffer_.compare(0, kFileStartBytes, FileStart()) == 0;
    at_ = kFileStartBytes;
}

// Makes `need` bytes from at_ available in buffer_; false when the file ends first.
bool Reader::Fill(size_t need) {
    if (buffer_.size() - at_ >= need)
        return true;
    buffer_.erase(0, at_);
    fileAt_ += at_;
    at_ = 0;
    size_t have = buffer_.size();
    size_t want = std::max<size_t>(need, 1u << 20);
    buffer_.resize(have + want);
    size_t got = file_.ReadAt(fileAt_ + have, buffer_.data() + have, want);
    buffer_.resize(have + got);
    return buffer_.size() >= need;
}

bool Reader::Next() {
    if (!ok_ || !Fill(5))
        return ok_ = false;
    const char* head = buffer_.data() + at_;
    auto type = static_cast<uint8_t>(head[0]);
    uint32_t length = 0;
    for (int i = 0; i < 4; ++i)
        length |= uint32_t(static_cast<uint8_t>(head[1 + i])) << (8 * i);
    if (type < 1 || type > 5 || length > kMaxPayload || !Fill(5 + size_t(length) + 8))
        return ok_ = false;
    head = buffer_.data() + at_;
    std::string_view payload(head + 5, length);
    uint64_t stored = 0;
    for (int i = 0; i < 8; ++i)
        stored |= uint64_t(static_cast<uint8_t>(head[5 + length + i])) << (8 * i);
    if (stored != Checksum(head, payload))
        return ok_ = false;
    type_ = static_cast<EntryType>(type);
    payload_ = payload;
    at_ += 5 + size_t(length) + 8;
    return true;
}

bool Reader::DecodeHeader(JournalInfo& info) const {
    Cursor c{payload_};
    info.function = c.Text();
    info.startedAt = c.Text();
    info.logFile = c.Text();
    info.projectPath = c.Text();
    return type_ == EntryType::Header && c.Done();
}

bool Reader::DecodeFile(FileEntry& e) const {
    Cursor c{payload_};
    e.id = static_cast<uint32_t>(c.Get(4));
    e.existed = c.Get(1) != 0;
    e.originalSize = c.Get(8);
    e.path = c.Text();
    return type_ == EntryType::File && c.Done();
}

bool Reader::DecodeRegion(RegionEntry& e) const {
    Cursor c{payload_};
    e.id = static_cast<uint32_t>(c.Get(4));
    e.offset = c.Get(8);
    e.bytes = payload_.substr(std::min<size_t>(12, payload_.size()));
    return type_ == EntryType::Region && c.ok;
}

bool Reader::DecodeRemoved(uint32_t& id) const {
    Cursor c{payload_};
    id = static_cast<uint32_t>(c.Get(4));
    return type_ == EntryType::Removed && c.Done();
}

bool Reader::DecodeCommit(std::vector<JournalFileState>& after) const {
    Cursor c{payload_};
    uint64_t n = c.Get(4);
    after.clear();
    for (uint64_t i = 0; i < n && c.ok; ++i) {
        JournalFileState f;
        f.path = c.Text();
        f.size = c.Get(8);
        f.checksum = c.Get(8);
        after.push_back(std::move(f));
    }
    return type_ == EntryType::Commit && c.Done();
}

} // namespace hk::db::journal
