// Functions with numeric, date and logical results, IIF, MAX and MIN, the functions that read
// the record itself (DELETED, RECNO, RECCOUNT), and the lookup of a call by name.
#include "xbase/expr/expr_functions.h"

#include <algorithm>
#include <cmath>

#include "support/text.h"
#include "xbase/db_error.h"
#include "xbase/expr/expr_format.h"
#include "xbase/expr/expr_function_table.h"

namespace hk::db::expr {
namespace {

class UnaryNode : public Node {
public:
    UnaryNode(ExprType type, NodePtr arg, int decimals = 0)
        : Node(type, 0, decimals), arg_(std::move(arg)) {}

protected:
    NodePtr arg_;
};

class LenNode : public UnaryNode {
public:
    using UnaryNode::UnaryNode;
    double Num() const override { return static_cast<double>(arg_->Str().size()); }
};

class AscNode : public UnaryNode {
public:
    using UnaryNode::UnaryNode;
    double Num() const override {
        std::string_view s = arg_->Str();
        return s.empty() ? 0 : static_cast<unsigned char>(s[0]);
    }
};

class ValNode : public UnaryNode {
public:
    using UnaryNode::UnaryNode;
    double Num() const override { return ParseVal(arg_->Str()); }
};

enum class Math { Int, Abs };

class MathNode : public UnaryNode {
public:
    MathNode(NodePtr arg, Math op, int decimals)
        : UnaryNode(ExprType::Numeric, std::move(arg), decimals), op_(op) {}
    double Num() const override {
        double v = arg_->Num();
        return op_ == Math::Int ? std::trunc(v) : std::fabs(v);
    }

private:
    Math op_;
};

enum class DatePart { Year, Month, Day };

class DatePartNode : public UnaryNode {
public:
    DatePartNode(NodePtr arg, DatePart part)
        : UnaryNode(ExprType::Numeric, std::move(arg)), part_(part) {}
    double Num() const override {
        int y, m, d;
        if (!CivilDate(arg_->Num(), y, m, d))
            return 0;
        return part_ == DatePart::Year ? y : part_ == DatePart::Month ? m : d;
    }

private:
    DatePart part_;
};

class TextToDateNode : public UnaryNode {
public:
    TextToDateNode(NodePtr arg, bool sortable)
        : UnaryNode(ExprType::Date, std::move(arg)), sortable_(sortable) {}
    double Num() const override {
        std::string_view s = arg_->Str();
        return sortable_ ? ParseStod(s) : ParseCtod(s);
    }

private:
    bool sortable_;
};

// Blank text (spaces, tabs, CR, LF), zero, the empty date and .F.
class EmptyNode : public UnaryNode {
public:
    using UnaryNode::UnaryNode;
    bool Log() const override {
        switch (arg_->Type()) {
        case ExprType::Char:
            for (char c : arg_->Str())
                if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
                    return false;
            return true;
        case ExprType::Numeric:
        case ExprType::Date:
            return arg_->Num() == 0;
        case ExprType::Logical:
            return !arg_->Log();
        }
        return false;
    }
};

class RoundNode : public Node {
public:
    RoundNode(NodePtr value, NodePtr places, int decimals)
        : Node(ExprType::Numeric, 0, decimals), value_(std::move(value)),
          places_(std::move(places)) {}
    double Num() const override {
        return RoundHalfAway(value_->Num(), ClampedInt(places_->Num(), -18, 18));
    }

private:
    NodePtr value_, places_;
};

// AT(needle, haystack [, occurrence]): 1-based position, 0 when not found.
class AtNode : public Node {
public:
    AtNode(NodePtr needle, NodePtr hay, NodePtr occurrence)
        : Node(ExprType::Numeric), needle_(std::move(needle)), hay_(std::move(hay)),
          occurrence_(std::move(occurrence)) {}
    double Num() const override {
        std::string_view needle = needle_->Str();
        std::string_view hay = hay_->Str();
        int nth = occurrence_ ? ClampedInt(occurrence_->Num(), 0, 1 << 30) : 1;
        if (needle.empty() || nth < 1)
            return 0;
        size_t at = 0;
        for (int k = 0;; ++k) {
            at = hay.find(needle, at);
            if (at == std::string_view::npos)
                return 0;
            if (k + 1 == nth)
                return static_cast<double>(at + 1);
            ++at;
        }
    }

private:
    NodePtr needle_, hay_, occurrence_;
};

// Only the chosen branch is evaluated. The branches may differ in width; the result is the
// chosen branch as it is, and the static width is the wider one.
class IifNode : public Node {
public:
    IifNode(NodePtr cond, NodePtr a, NodePtr b)
        : Node(a->Type(), MaxWidth(a->Width(), b->Width()), std::max(a->Decimals(), b->Decimals())),
          cond_(std::move(cond)), a_(std::move(a)), b_(std::move(b)) {}
    std::string_view Str() const override { return (cond_->Log() ? a_ : b_)->Str(); }
    double Num() const override { return (cond_->Log() ? a_ : b_)->Num(); }
    bool Log() const override { return (cond_->Log() ? a_ : b_)->Log(); }

private:
    NodePtr cond_, a_, b_;
};

class MaxMinNode : public Node {
public:
    MaxMinNode(NodeList args, bool max, int width, int decimals)
        : Node(args[0]->Type(), width, decimals), args_(std::move(args)), max_(max) {}
    std::string_view Str() const override {
        std::string_view best = args_[0]->Str();
        for (size_t i = 1; i < args_.size(); ++i) {
            std::string_view s = args_[i]->Str();
            if (max_ ? s > best : s < best)
                best = s;
        }
        return best;
    }
    double Num() const override {
        double best = args_[0]->Num();
        for (size_t i = 1; i < args_.size(); ++i) {
            double v = args_[i]->Num();
            if (max_ ? v > best : v < best)
                best = v;
        }
        return best;
    }
    bool Log() const override {
        bool any = false, all = true;
        for (const auto& a : args_) {
            bool v = a->Log();
            any |= v;
            all &= v;
        }
        return max_ ? any : all;
    }

private:
    NodeList args_;
    bool max_;
};

enum class RecordInfo { Deleted, RecNo, RecCount };

class RecordNode : public Node {
public:
    RecordNode(const RecordSource* source, RecordInfo what)
        : Node(what == RecordInfo::Deleted ? ExprType::Logical : ExprType::Numeric),
          source_(source), what_(what) {}
    bool Log() const override { return source_->Deleted(); }
    double Num() const override {
        return what_ == RecordInfo::RecNo ? source_->RecNo() : source_->RecCount();
    }
    bool IsPure() const override { return false; }

private:
    const RecordSource* source_;
    RecordInfo what_;
};

std::string Where(const CallSite& site) {
    return AsciiUpper(site.name) + "()";
}

void RequireArg(const CallSite& site, const NodeList& args, size_t i, ExprType type) {
    site.ctx.Require(*args[i], type, Where(site));
}

NodePtr BuildLen(const CallSite& site, NodeList& args) {
    RequireArg(site, args, 0, ExprType::Char);
    return std::make_unique<LenNode>(ExprType::Numeric, std::move(args[0]));
}

NodePtr BuildAsc(const CallSite& site, NodeList& args) {
    RequireArg(site, args, 0, ExprType::Char);
    return std::make_unique<AscNode>(ExprType::Numeric, std::move(args[0]));
}

NodePtr BuildVal(const CallSite& site, NodeList& args) {
    RequireArg(site, args, 0, ExprType::Char);
    return std::make_unique<ValNode>(ExprType::Numeric, std::move(args[0]), kSetDecimals);
}

NodePtr BuildInt(const CallSite& site, NodeList& args) {
    RequireArg(site, args, 0, ExprType::Numeric);
    return std::make_unique<MathNode>(std::move(args[0]), Math::Int, 0);
}

NodePtr BuildAbs(const CallSite& site, NodeList& args) {
    RequireArg(site, args, 0, ExprType::Numeric);
    int decimals = args[0]->Decimals();
    return std::make_unique<MathNode>(std::move(args[0]), Math::Abs, decimals);
}

NodePtr BuildRound(const CallSite& site, NodeList& args) {
    RequireArg(site, args, 0, ExprType::Numeric);
    RequireArg(site, args, 1, ExprType::Numeric);
    int decimals = std::max(ConstantInt(*args[1], args[0]->Decimals()), 0);
    return std::make_unique<RoundNode>(std::move(args[0]), std::move(args[1]), decimals);
}

NodePtr BuildDatePart(const CallSite& site, NodeList& args, DatePart part) {
    RequireArg(site, args, 0, ExprType::Date);
    return std::make_unique<DatePartNode>(std::move(args[0]), part);
}
NodePtr BuildYear(const CallSite& s, NodeList& a) {
    return BuildDatePart(s, a, DatePart::Year);
}
NodePtr BuildMonth(const CallSite& s, NodeList& a) {
    return BuildDatePart(s, a, DatePart::Month);
}
NodePtr BuildDay(const CallSite& s, NodeList& a) {
    return BuildDatePart(s, a, DatePart::Day);
}

NodePtr BuildStod(const CallSite& site, NodeList& args) {
    RequireArg(site, args, 0, ExprType::Char);
    return std::make_unique<TextToDateNode>(std::move(args[0]), true);
}

NodePtr BuildCtod(const CallSite& site, NodeList& args) {
    RequireArg(site, args, 0, ExprType::Char);
    return std::make_unique<TextToDateNode>(std::move(args[0]), false);
}

NodePtr BuildEmpty(const CallSite&, NodeList& args) {
    return std::make_unique<EmptyNode>(ExprType::Logical, std::move(args[0]));
}

NodePtr BuildAt(const CallSite& site, NodeList& args) {
    RequireArg(site, args, 0, ExprType::Char);
    RequireArg(site, args, 1, ExprType::Char);
    if (args.size() > 2)
        RequireArg(site, args, 2, ExprType::Numeric);
    NodePtr nth = args.size() > 2 ? std::move(args[2]) : nullptr;
    return std::make_unique<AtNode>(std::move(args[0]), std::move(args[1]), std::move(nth));
}

NodePtr BuildIif(const CallSite& site, NodeList& args) {
    RequireArg(site, args, 0, ExprType::Logical);
    if (args[1]->Type() != args[2]->Type())
        site.ctx.Fail(kErrExprType, args[2]->Pos(),
                      std::string("IIF() branches differ in type (") + TypeName(args[1]->Type()) +
                          " and " + TypeName(args[2]->Type()) + ")");
    if (args[0]->IsConstant())
        return std::move(args[args[0]->Log() ? 1 : 2]);
    return std::make_unique<IifNode>(std::move(args[0]), std::move(args[1]), std::move(args[2]));
}

NodePtr BuildMaxMin(const CallSite& site, NodeList& args, bool max) {
    int width = args[0]->Width();
    int decimals = 0;
    for (const auto& a : args) {
        RequireArg(site, args, &a - &args[0], args[0]->Type());
        width = MaxWidth(width, a->Width());
        decimals = std::max(decimals, a->Decimals());
    }
    return std::make_unique<MaxMinNode>(std::move(args), max, width, decimals);
}
NodePtr BuildMax(const CallSite& s, NodeList& a) {
    return BuildMaxMin(s, a, true);
}
NodePtr BuildMin(const CallSite& s, NodeList& a) {
    return BuildMaxMin(s, a, false);
}

// The table a record function reads: its alias argument, the enclosing a->( ), or the
// resolver's default table.
const RecordSource* SourceOf(const CallSite& site, const NodeList& args) {
    if (!args.empty()) {
        const Node& a = *args[0];
        if (a.Type() != ExprType::Char || !a.IsConstant())
            site.ctx.Fail(kErrExpr, a.Pos(), Where(site) + " takes a constant alias");
        std::string_view alias = TrimBlanks(a.Str(), true, true);
        const RecordSource* src = site.resolver.SourceForAlias(alias);
        if (!src)
            site.ctx.Fail(kErrUnknownName, a.Pos(), "Unknown alias \"" + std::string(alias) + "\"");
        return src;
    }
    const RecordSource* src = site.alias.empty() ? site.resolver.DefaultSource()
                                                 : site.resolver.SourceForAlias(site.alias);
    if (!src)
        site.ctx.Fail(kErrUnknownName, site.pos, "No table for " + Where(site));
    return src;
}

NodePtr BuildRecord(const CallSite& site, NodeList& args, RecordInfo what) {
    return std::make_unique<RecordNode>(SourceOf(site, args), what);
}
NodePtr BuildDeleted(const CallSite& s, NodeList& a) {
    return BuildRecord(s, a, RecordInfo::Deleted);
}
NodePtr BuildRecNo(const CallSite& s, NodeList& a) {
    return BuildRecord(s, a, RecordInfo::RecNo);
}
NodePtr BuildRecCount(const CallSite& s, NodeList& a) {
    return BuildRecord(s, a, RecordInfo::RecCount);
}

constexpr FunctionDef kValueFunctions[] = {
    {"LEN", 1, 1, BuildLen},
    {"ASC", 1, 1, BuildAsc},
    {"VAL", 1, 1, BuildVal},
    {"INT", 1, 1, BuildInt},
    {"ABS", 1, 1, BuildAbs},
    {"ROUND", 2, 2, BuildRound},
    {"YEAR", 1, 1, BuildYear},
    {"MONTH", 1, 1, BuildMonth},
    {"DAY", 1, 1, BuildDay},
    {"STOD", 1, 1, BuildStod},
    {"CTOD", 1, 1, BuildCtod},
    {"EMPTY", 1, 1, BuildEmpty},
    {"AT", 2, 3, BuildAt},
    {"IIF", 3, 3, BuildIif},
    {"MAX", 2, 64, BuildMax},
    {"MIN", 2, 64, BuildMin},
    {"DELETED", 0, 1, BuildDeleted},
    {"RECNO", 0, 1, BuildRecNo},
    {"RECCOUNT", 0, 1, BuildRecCount},
};

// Exact names first; then an abbreviation of four letters or more.
const FunctionDef* Lookup(std::string_view name) {
    const FunctionDef* abbreviated = nullptr;
    for (auto table : {TextFunctions(), ValueFunctions()}) {
        for (const auto& f : table) {
            if (EqualsNoCase(f.name, name))
                return &f;
            if (name.size() >= 4 && name.size() < f.name.size() &&
                EqualsNoCase(f.name.substr(0, name.size()), name) && !abbreviated)
                abbreviated = &f;
        }
    }
    return abbreviated;
}

} // namespace

std::span<const FunctionDef> ValueFunctions() {
    return kValueFunctions;
}

int ConstantInt(const Node& node, int fallback) {
    if (!node.IsConstant() || node.Type() != ExprType::Numeric)
        return fallback;
    return ClampedInt(node.Num(), -(1 << 30), 1 << 30);
}

int ClampedInt(double value, int lo, int hi) {
    if (!(value >= lo))
        return lo; // NaN too
    if (value >= hi)
        return hi;
    return static_cast<int>(std::trunc(value));
}

NodePtr MakeFunction(const CallSite& site, NodeList args) {
    const FunctionDef* f = Lookup(site.name);
    if (!f)
        site.ctx.Fail(kErrUnknownFunction, site.pos,
                      "Unknown function \"" + std::string(site.name) + "\"");
    int count = static_cast<int>(args.size());
    if (count < f->minArgs || count > f->maxArgs) {
        std::string expected = f->minArgs == f->maxArgs ? std::to_string(f->minArgs)
                                                        : std::to_string(f->minArgs) + " to " +
                                                              std::to_string(f->maxArgs);
        site.ctx.Fail(kErrExpr, site.pos,
                      std::string(f->name) + "() takes " + expected + " argument" +
                          (f->maxArgs == 1 ? "" : "s") + ", not " + std::to_string(count));
    }
    bool constant =
        std::all_of(args.begin(), args.end(), [](const NodePtr& a) { return a->IsConstant(); });
    NodePtr node = f->build(site, args);
    if (node->IsConstant())
        return node; // IIF on a constant condition returns its branch
    node->SetPos(site.pos);
    if (constant && node->IsPure())
        return ConstNode::Fold(*node);
    return node;
}

} // namespace hk::db::expr
