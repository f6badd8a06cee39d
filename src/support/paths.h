#pragma once
// Small path-text helpers shared by the settings readers and the shell's folders. Folders the
// program keeps always end with a separator, as the original's folders end with a backslash.
#include <string>
#include <string_view>

namespace hk {

// Drops line ends (CR, LF) and blanks around a path read from a program's output, an
// environment variable or a settings file: `xdg-user-dir` ends its answer with a newline.
std::string TrimPathText(std::string_view path);
// Trims blanks and line ends and appends "/" unless the path is empty or already ends with "/" or
// "\".
std::string AddTrailingSlash(std::string_view path);
// Removes one trailing "/" or "\".
std::string RemoveTrailingSlash(std::string_view path);
// True for "/x", "\\server\x" and "C:..." (second character ":").
bool IsAbsolutePathText(std::string_view path);

} // namespace hk
