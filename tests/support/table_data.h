#pragma once
// A whole table read into memory through the engine, for tests that check what a project
// holds: every record with its deletion mark, fields by name as text, numbers or logicals.
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace hk::test {

class TableData {
public:
    explicit TableData(const std::string& path);

    size_t Size() const { return rows_.size(); }
    bool Deleted(size_t row) const { return deleted_[row]; }
    bool Has(std::string_view field) const;
    // Trimmed text (memos whole); numbers as their digits; logicals "T" or "F".
    const std::string& Str(size_t row, std::string_view field) const;
    long Int(size_t row, std::string_view field) const;
    bool Bool(size_t row, std::string_view field) const { return Str(row, field) == "T"; }
    // Rows that are not deleted.
    std::vector<size_t> Live() const;

private:
    int Column(std::string_view field) const;

    std::map<std::string, int, std::less<>> columns_;
    std::vector<std::vector<std::string>> rows_;
    std::vector<bool> deleted_;
};

} // namespace hk::test
