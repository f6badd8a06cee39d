#pragma once
// A master table with slave tables: each step of the master positions every slave by seeking
// a slave tag with a field of its parent (exact match; a missing slave record reads blank),
// and a query filter over all of them decides which steps count.
#include <memory>
#include <string>
#include <vector>

#include "xbase/expression.h"
#include "xbase/table.h"

namespace hk::db {

class Relation {
public:
    explicit Relation(Table& master);
    ~Relation();

    // `parent` is the master or a table added before; `parentField` is a field of `parent`.
    void AddSlave(Table& parent, int parentField, Table& slave, Tag* slaveTag);
    // A dBase expression over the tables by their aliases (t->ADMIN = 6 .AND. .NOT. DELETED()).
    // Unqualified names and DELETED() refer to the master. Empty clears the filter.
    void SetQuery(std::string_view expression);

    // Position on the first (next) master record that passes the query; 0 when positioned.
    int Top();
    int Skip();

    Table& Master() { return master_; }

private:
    struct Slave {
        Table* parent;
        int parentField;
        Table* table;
        Tag* tag;
    };
    class Resolver;

    void PositionSlaves();
    bool Passes() const;
    int SettleOnMatch(int pos);

    Table& master_;
    std::vector<Slave> slaves_;
    std::unique_ptr<Expression> query_;
};

} // namespace hk::db
