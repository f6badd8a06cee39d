#pragma once
// Reads a character variable from a FoxPro memory-variable file (".mem"), where projects older
// than TMG 5 keep settings such as the short place template.
#include <optional>
#include <string>
#include <string_view>

#include "xbase/file.h"

namespace hk::db {

// The text of character variable `name` (UTF-8), or nothing when the file or the variable is
// missing. Walks the file's 32-byte variable headers; a file whose headers do not parse is
// searched for the name instead, the text starting 22 bytes after it.
std::optional<std::string> ReadMemoryVariable(FileSystem& fs, const std::string& path,
                                              std::string_view name);

// The same over the file's bytes.
std::optional<std::string> FindMemoryVariable(std::string_view bytes, std::string_view name);

} // namespace hk::db
