#pragma once
// The one exception type of the program: an error number, the place it came from, and a
// description, as the run frame shows and logs them.
#include <stdexcept>
#include <string>

namespace hk {

class Error : public std::runtime_error {
public:
    Error(long number, std::string source, std::string description)
        : std::runtime_error(description), number_(number), source_(std::move(source)),
          description_(std::move(description)) {}

    long Number() const { return number_; }
    const std::string& Source() const { return source_; }
    const std::string& Description() const { return description_; }

private:
    long number_;
    std::string source_;
    std::string description_;
};

// The program's own checks raise -1 with a source "[Class.Procedure]".
inline std::string ErrorSource(const std::string& cls, const std::string& proc,
                               const std::string& detail = {}) {
    std::string s = "[" + cls + "." + proc + "]";
    if (!detail.empty())
        s += " " + detail;
    return s;
}

} // namespace hk
