#include "support/paths.h"

#include "support/text.h"

namespace hk {

std::string AddTrailingSlash(std::string_view path) {
    std::string p(Trim(path));
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
