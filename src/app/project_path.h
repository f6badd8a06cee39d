#pragma once
// Finding the project a user names: a project file, or the folder holding one. Its faults are
// told in words a person understands, before the engine looks at indexes or versions.
#include <string>

namespace hk {

// The project file `path` names: the path itself when it names a file; the one ".pjc" inside
// when it names a folder. Throws hk::Error when the file does not exist, the folder holds no
// project or several, or the project's folder holds none of its tables.
std::string LocateProject(const std::string& path);

} // namespace hk
