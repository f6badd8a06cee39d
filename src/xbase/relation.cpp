#include "xbase/relation.h"

#include "support/text.h"
#include "xbase/db_error.h"

namespace hk::db {

class Relation::Resolver final : public FieldResolver {
public:
    explicit Resolver(Relation& r) : r_(r) {}

    Table* Find(std::string_view alias) {
        if (alias.empty() || EqualsNoCase(alias, r_.master_.Alias()))
            return &r_.master_;
        for (auto& s : r_.slaves_)
            if (EqualsNoCase(alias, s.table->Alias()))
                return s.table;
        return nullptr;
    }
    std::optional<FieldBinding> Resolve(std::string_view alias, std::string_view field) override {
        Table* t = Find(alias);
        if (!t)
            return std::nullopt;
        int i = t->FieldIndex(field);
        if (i < 0)
            return std::nullopt;
        const FieldInfo& fi = t->FieldAt(i);
        return FieldBinding{&t->Current(), i, fi.type, fi.length, fi.decimals};
    }
    const RecordSource* DefaultSource() override { return &r_.master_.Current(); }
    const RecordSource* SourceForAlias(std::string_view alias) override {
        Table* t = Find(alias);
        return t ? &t->Current() : nullptr;
    }

private:
    Relation& r_;
};

Relation::Relation(Table& master) : master_(master) {}
Relation::~Relation() = default;

void Relation::AddSlave(Table& parent, int parentField, Table& slave, Tag* slaveTag) {
    if (!slaveTag)
        throw DbError(kErrRelate, slave.Path(), "a slave table needs a tag to be positioned by");
    if (parentField < 0 || parentField >= parent.FieldCount())
        throw DbError(kErrRelate, parent.Path(), "the relation names a field the table lacks");
    bool known = &parent == &master_;
    for (auto& s : slaves_)
        known = known || s.table == &parent;
    if (!known)
        throw DbError(kErrRelate, parent.Path(), "the parent table is not in the relation");
    slaves_.push_back({&parent, parentField, &slave, slaveTag});
    slave.SelectTag(slaveTag);
}

void Relation::SetQuery(std::string_view expression) {
    if (Trim(expression).empty()) {
        query_.reset();
        return;
    }
    Resolver resolver(*this);
    auto q = Expression::Compile(Utf8ToCp1252(expression), resolver);
    if (q->Type() != ExprType::Logical)
        throw DbError(kErrExprType, master_.Path(), "the query is not a logical expression");
    query_ = std::move(q);
}

void Relation::PositionSlaves() {
    // Slaves were added after their parents, so one pass in order positions the whole tree.
    for (auto& s : slaves_) {
        Table& p = *s.parent;
        const FieldInfo& fi = p.FieldAt(s.parentField);
        int r;
        if (p.Eof()) {
            s.table->Go(0); // a blank record
            continue;
        }
        switch (fi.type) {
        case 'I':
        case 'N':
        case 'F':
        case 'B':
        case 'Y':
            r = s.table->SeekDouble(p.GetDouble(s.parentField));
            break;
        default:
            r = s.table->Seek(p.GetString(s.parentField));
            break;
        }
        if (r != kPosOk)
            s.table->Go(0);
    }
}

bool Relation::Passes() const {
    return !query_ || query_->EvaluateLogical();
}

int Relation::SettleOnMatch(int pos) {
    while (pos == kPosOk) {
        PositionSlaves();
        if (Passes())
            return kPosOk;
        pos = master_.Skip(1);
    }
    PositionSlaves();
    return pos == kPosOk ? kPosEof : pos;
}

int Relation::Top() {
    return SettleOnMatch(master_.Top());
}
int Relation::Skip() {
    return master_.Eof() ? kPosEof : SettleOnMatch(master_.Skip(1));
}

} // namespace hk::db
