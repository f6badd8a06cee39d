#include "support/table_data.h"

#include <stdexcept>

#include "support/text.h"
#include "xbase/table.h"

namespace hk::test {

TableData::TableData(const std::string& path) {
    db::OpenOptions o;
    o.writable = false;
    auto t = db::Table::Open(path, o);
    for (int i = 0; i < t->FieldCount(); ++i)
        columns_[AsciiUpper(t->FieldAt(i).name)] = i;
    for (uint32_t r = 1; r <= t->RecCount(); ++r) {
        t->Go(r);
        std::vector<std::string> row(t->FieldCount());
        for (int i = 0; i < t->FieldCount(); ++i) {
            const db::FieldInfo& f = t->FieldAt(i);
            switch (f.type) {
            case 'M':
                row[i] = t->GetMemo(i);
                break;
            case 'G':
                break;
            case 'L':
                row[i] = t->GetBool(i) ? "T" : "F";
                break;
            case 'I':
                row[i] = std::to_string(t->GetLong(i));
                break;
            case 'N':
                row[i] =
                    f.decimals ? std::string(Trim(t->GetString(i))) : std::to_string(t->GetLong(i));
                break;
            default:
                row[i] = t->GetTrimmed(i);
            }
        }
        rows_.push_back(std::move(row));
        deleted_.push_back(t->Deleted());
    }
}

bool TableData::Has(std::string_view field) const {
    return columns_.find(AsciiUpper(field)) != columns_.end();
}

int TableData::Column(std::string_view field) const {
    auto it = columns_.find(AsciiUpper(field));
    if (it == columns_.end())
        throw std::out_of_range("no field " + std::string(field));
    return it->second;
}

const std::string& TableData::Str(size_t row, std::string_view field) const {
    return rows_.at(row)[Column(field)];
}

long TableData::Int(size_t row, std::string_view field) const {
    const std::string& s = Str(row, field);
    return s.empty() ? 0 : std::stol(s);
}

std::vector<size_t> TableData::Live() const {
    std::vector<size_t> out;
    for (size_t i = 0; i < rows_.size(); ++i)
        if (!deleted_[i])
            out.push_back(i);
    return out;
}

} // namespace hk::test
