#include "support/paths.h"

namespace hk {

std::string TrimPathText(std::string_view path) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!path.empty() && blank(path.front()))
        path.remove_prefix(1);
    while (!path.empty() && (blank(path.back()) || path.back() == '\0'))
        path.remove_suffix(1);
    return std::string(path);
}

std::string AddTrailingSlash(std::string_view path) {
    std::string p = TrimPathText(path);
    if (!p.empty() && p.back() != '/' && p.back() != '\\')
        p += '/';
    return p;
}

std::string RemoveTrailingSlash(std::string_view path) {
    if (!path.empty() && (path.back() == '/' || path.back() == '\\'))
        path.remove_suffix(1);
    return std::string(path);
}

bool IsAbsolutePathText(std::string_view path) {
    return (!path.empty() && path[0] == '/') || path.starts_with("\\\\") ||
           (path.size() >= 2 && path[1] == ':');
}

} // namespace hk
