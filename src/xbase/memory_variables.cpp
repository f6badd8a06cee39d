#include "xbase/memory_variables.h"

#include "support/text.h"

namespace hk::db {

namespace {

constexpr size_t kHeaderSize = 32;
constexpr size_t kNameSize = 11;

std::string TextUpToNul(std::string_view bytes) {
    size_t end = bytes.find('\0');
    return Cp1252ToUtf8(bytes.substr(0, end));
}

enum class Walk { Found, Missing, Broken };

// Walks the headers: name (11 bytes, zero padded), type at 11 (high bit set for some types),
// data length at 16-17 for character variables; the data follows the header.
Walk WalkHeaders(std::string_view bytes, std::string_view name, std::string& out) {
    size_t pos = 0;
    while (pos < bytes.size() && bytes[pos] != '\x1A') {
        if (pos + kHeaderSize > bytes.size())
            return Walk::Broken;
        std::string_view header = bytes.substr(pos, kHeaderSize);
        std::string varName(header.substr(0, header.substr(0, kNameSize).find('\0')));
        if (varName.empty() || varName.size() > 10)
            return Walk::Broken;
        char type = static_cast<char>(header[11] & 0x7F);
        size_t length;
        switch (type) {
        case 'C':
            length = static_cast<unsigned char>(header[16]) |
                     (static_cast<size_t>(static_cast<unsigned char>(header[17])) << 8);
            break;
        case 'N':
        case 'D':
            length = 8;
            break;
        case 'L':
            length = 1;
            break;
        default:
            return Walk::Broken;
        }
        pos += kHeaderSize;
        if (pos + length > bytes.size())
            return Walk::Broken;
        if (type == 'C' && EqualsNoCase(varName, name)) {
            out = TextUpToNul(bytes.substr(pos, length));
            return Walk::Found;
        }
        pos += length;
    }
    return Walk::Missing;
}

} // namespace

std::optional<std::string> FindMemoryVariable(std::string_view bytes, std::string_view name) {
    std::string out;
    switch (WalkHeaders(bytes, name, out)) {
    case Walk::Found:
        return out;
    case Walk::Missing:
        return std::nullopt;
    case Walk::Broken:
        break;
    }
    std::string needle = AsciiUpper(name);
    needle.push_back('\0');
    size_t at = bytes.find(needle);
    if (at == std::string_view::npos)
        return std::nullopt;
    size_t start = at + name.size() + 22;
    if (start >= bytes.size())
        return std::nullopt;
    return TextUpToNul(bytes.substr(start));
}

std::optional<std::string> ReadMemoryVariable(FileSystem& fs, const std::string& path,
                                              std::string_view name) {
    auto bytes = ReadWholeFile(fs, path);
    if (!bytes)
        return std::nullopt;
    return FindMemoryVariable(*bytes, name);
}

} // namespace hk::db
