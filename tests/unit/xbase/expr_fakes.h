#pragma once
// In-memory tables and a resolver for expression tests: each field holds one current value,
// and every read is counted so tests can see which fields an evaluation touched.
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/text.h"
#include "xbase/expression.h"

namespace hk::db::testing {

class FakeTable : public RecordSource {
public:
    struct Field {
        std::string name;
        char type;
        int length;
        int decimals;
        std::string text;
        double num = 0;
        bool b = false;
        mutable int reads = 0;
    };

    int Add(std::string name, char type, int length = 0, int decimals = 0) {
        if (length == 0)
            length = type == 'C' ? 10 : type == 'D' || type == 'T' ? 8 : 4;
        fields_.push_back({std::move(name), type, length, decimals, {}, 0, false});
        if (type == 'C')
            fields_.back().text.assign(length, ' ');
        return static_cast<int>(fields_.size()) - 1;
    }
    // C values are stored padded to the field width, as a record holds them.
    void Set(std::string_view name, std::string_view text) {
        Field& f = Find(name);
        f.text = std::string(text);
        if (f.type == 'C')
            f.text.resize(f.length, ' ');
    }
    void Set(std::string_view name, double value) { Find(name).num = value; }
    void SetLogical(std::string_view name, bool value) { Find(name).b = value; }
    int Reads(std::string_view name) { return Find(name).reads; }

    std::string_view CharValue(int field) const override {
        ++fields_[field].reads;
        return fields_[field].text;
    }
    double NumberValue(int field) const override {
        ++fields_[field].reads;
        return fields_[field].num;
    }
    double DateValue(int field) const override { return NumberValue(field); }
    bool LogicalValue(int field) const override {
        ++fields_[field].reads;
        return fields_[field].b;
    }
    bool Deleted() const override { return deleted; }
    uint32_t RecNo() const override { return recNo; }
    uint32_t RecCount() const override { return recCount; }

    const std::vector<Field>& Fields() const { return fields_; }
    Field& Find(std::string_view name) {
        for (auto& f : fields_)
            if (EqualsNoCase(f.name, name))
                return f;
        throw std::runtime_error("no field " + std::string(name));
    }

    bool deleted = false;
    uint32_t recNo = 1;
    uint32_t recCount = 1;

private:
    std::vector<Field> fields_;
};

class FakeResolver : public FieldResolver {
public:
    // The first table added is the default one (unqualified names, DELETED()).
    FakeTable& AddTable(const std::string& alias) {
        tables_.emplace_back(alias, std::make_unique<FakeTable>());
        return *tables_.back().second;
    }

    std::optional<FieldBinding> Resolve(std::string_view alias, std::string_view field) override {
        const FakeTable* t = alias.empty() ? Default() : Table(alias);
        if (!t)
            return std::nullopt;
        const auto& fs = t->Fields();
        for (size_t i = 0; i < fs.size(); ++i)
            if (EqualsNoCase(fs[i].name, field))
                return FieldBinding{t, static_cast<int>(i), fs[i].type, fs[i].length,
                                    fs[i].decimals};
        return std::nullopt;
    }
    const RecordSource* DefaultSource() override { return Default(); }
    const RecordSource* SourceForAlias(std::string_view alias) override { return Table(alias); }

private:
    const FakeTable* Default() const {
        return tables_.empty() ? nullptr : tables_.front().second.get();
    }
    const FakeTable* Table(std::string_view alias) const {
        for (const auto& [name, t] : tables_)
            if (EqualsNoCase(name, alias))
                return t.get();
        return nullptr;
    }
    std::vector<std::pair<std::string, std::unique_ptr<FakeTable>>> tables_;
};

} // namespace hk::db::testing
