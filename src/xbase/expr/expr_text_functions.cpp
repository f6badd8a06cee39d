// Functions with a character result. Widths follow what FoxPro sizes an index key to.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "support/text.h"
#include "xbase/db_error.h"
#include "xbase/expr/expr_format.h"
#include "xbase/expr/expr_function_table.h"

namespace hk::db::expr {
namespace {

constexpr int kStrDefaultWidth = 10;
constexpr int kMaxStrWidth = 255;

class TextNode : public Node {
public:
    explicit TextNode(int width) : Node(ExprType::Char, width) {
        if (width > 0)
            buf_.reserve(width);
    }

protected:
    mutable std::string buf_;
};

// The case tables are built once from the ANSI mapping; a lookup per byte keeps UPPER() of a
// name key close to a plain copy.
using CaseTable = std::array<char, 256>;

CaseTable MakeCaseTable(unsigned char (*map)(unsigned char)) {
    CaseTable t;
    for (int c = 0; c < 256; ++c)
        t[c] = static_cast<char>(map(static_cast<unsigned char>(c)));
    return t;
}

// Built on first use, so that an expression compiled during static initialisation still
// finds them filled.
const CaseTable& CaseTableFor(bool upper) {
    static const CaseTable kUpper = MakeCaseTable(Cp1252Upper);
    static const CaseTable kLower = MakeCaseTable(Cp1252Lower);
    return upper ? kUpper : kLower;
}

class CaseNode : public TextNode {
public:
    CaseNode(NodePtr arg, bool upper)
        : TextNode(arg->Width()), arg_(std::move(arg)), table_(CaseTableFor(upper)) {}
    std::string_view Str() const override {
        std::string_view s = arg_->Str();
        buf_.resize(s.size());
        for (size_t i = 0; i < s.size(); ++i)
            buf_[i] = table_[static_cast<unsigned char>(s[i])];
        return buf_;
    }

private:
    NodePtr arg_;
    const CaseTable& table_;
};

// TRIM and friends keep the argument's width: keys are padded back to it anyway.
class TrimNode : public Node {
public:
    TrimNode(NodePtr arg, bool left, bool right)
        : Node(ExprType::Char, arg->Width()), arg_(std::move(arg)), left_(left), right_(right) {}
    std::string_view Str() const override { return TrimBlanks(arg_->Str(), left_, right_); }

private:
    NodePtr arg_;
    bool left_, right_;
};

class LeftRightNode : public Node {
public:
    LeftRightNode(NodePtr arg, NodePtr count, int width, bool right)
        : Node(ExprType::Char, width), arg_(std::move(arg)), count_(std::move(count)),
          right_(right) {}
    std::string_view Str() const override {
        std::string_view s = arg_->Str();
        int n = ClampedInt(count_->Num(), 0, static_cast<int>(s.size()));
        return right_ ? s.substr(s.size() - n) : s.substr(0, n);
    }

private:
    NodePtr arg_, count_;
    bool right_;
};

// Starts before 1 count from 1; a start past the end gives "".
class SubstrNode : public Node {
public:
    SubstrNode(NodePtr arg, NodePtr start, NodePtr count, int width)
        : Node(ExprType::Char, width), arg_(std::move(arg)), start_(std::move(start)),
          count_(std::move(count)) {}
    std::string_view Str() const override {
        std::string_view s = arg_->Str();
        int size = static_cast<int>(s.size());
        int start = ClampedInt(start_->Num(), 1, size + 1) - 1;
        int n = count_ ? ClampedInt(count_->Num(), 0, size - start) : size - start;
        return s.substr(start, n);
    }

private:
    NodePtr arg_, start_, count_;
};

enum class PadSide { Right, Left, Center };

// Numbers, dates and logicals are padded in their display form; longer text keeps its first
// n characters whatever the side.
class PadNode : public TextNode {
public:
    PadNode(NodePtr arg, NodePtr count, NodePtr fill, int width, PadSide side)
        : TextNode(width), arg_(std::move(arg)), count_(std::move(count)), fill_(std::move(fill)),
          side_(side) {}
    std::string_view Str() const override {
        std::string_view text;
        switch (arg_->Type()) {
        case ExprType::Char:
            text = arg_->Str();
            break;
        case ExprType::Numeric:
            FormatNumber(arg_->Num(), arg_->Decimals(), tmp_);
            text = tmp_;
            break;
        case ExprType::Date:
            tmp_.clear();
            AppendDtoc(arg_->Num(), tmp_);
            text = tmp_;
            break;
        case ExprType::Logical:
            text = arg_->Log() ? ".T." : ".F.";
            break;
        }
        int n = ClampedInt(count_->Num(), 0, kMaxRuntimeText);
        char fill = ' ';
        if (fill_) {
            std::string_view f = fill_->Str();
            if (!f.empty())
                fill = f[0];
        }
        if (static_cast<int>(text.size()) >= n) {
            buf_.assign(text.substr(0, n));
            return buf_;
        }
        size_t missing = n - text.size();
        size_t before = side_ == PadSide::Left     ? missing
                        : side_ == PadSide::Center ? missing / 2
                                                   : 0;
        buf_.assign(before, fill);
        buf_.append(text);
        buf_.append(missing - before, fill);
        return buf_;
    }

private:
    NodePtr arg_, count_, fill_;
    PadSide side_;
    mutable std::string tmp_;
};

class StrNode : public TextNode {
public:
    StrNode(NodePtr value, NodePtr width, NodePtr decimals, int staticWidth)
        : TextNode(staticWidth), value_(std::move(value)), widthArg_(std::move(width)),
          decimalsArg_(std::move(decimals)) {}
    std::string_view Str() const override {
        int width = widthArg_ ? ClampedInt(widthArg_->Num(), 0, kMaxStrWidth) : kStrDefaultWidth;
        int decimals = decimalsArg_ ? ClampedInt(decimalsArg_->Num(), 0, kMaxStrWidth) : 0;
        FormatStr(value_->Num(), width, decimals, buf_);
        return buf_;
    }

private:
    NodePtr value_, widthArg_, decimalsArg_;
};

// DTOS(d), DTOC(d, 1): YYYYMMDD; DTOC(d): MM/DD/YY (SET DATE AMERICAN, CENTURY OFF).
class DateTextNode : public TextNode {
public:
    DateTextNode(NodePtr date, bool sortable)
        : TextNode(8), date_(std::move(date)), sortable_(sortable) {}
    std::string_view Str() const override {
        buf_.clear();
        if (sortable_)
            AppendDtos(date_->Num(), buf_);
        else
            AppendDtoc(date_->Num(), buf_);
        return buf_;
    }

private:
    NodePtr date_;
    bool sortable_;
};

class ChrNode : public TextNode {
public:
    explicit ChrNode(NodePtr code) : TextNode(1), code_(std::move(code)) {}
    std::string_view Str() const override {
        auto c = static_cast<int64_t>(std::trunc(code_->Num()));
        buf_.assign(1, static_cast<char>(c & 0xFF));
        return buf_;
    }

private:
    NodePtr code_;
};

// SPACE(n) is REPLICATE(" ", n).
class ReplicateNode : public TextNode {
public:
    ReplicateNode(NodePtr text, NodePtr count, int width)
        : TextNode(width), text_(std::move(text)), count_(std::move(count)) {}
    std::string_view Str() const override {
        std::string_view s = text_ ? text_->Str() : std::string_view(" ");
        int n = ClampedInt(count_->Num(), 0, kMaxRuntimeText);
        if (!s.empty() && n > kMaxRuntimeText / static_cast<int>(s.size()))
            n = kMaxRuntimeText / static_cast<int>(s.size());
        if (s.size() == 1) {
            buf_.assign(n, s[0]);
            return buf_;
        }
        buf_.clear();
        for (int i = 0; i < n; ++i)
            buf_.append(s);
        return buf_;
    }

private:
    NodePtr text_, count_;
};

// A whole number as big-endian bytes with the sign bit flipped, so that the bytes sort like
// the numbers. Flags: R reverses the byte order, S keeps the sign bit.
class BintocNode : public TextNode {
public:
    BintocNode(NodePtr value, int size, bool reverse, bool keepSign)
        : TextNode(size), value_(std::move(value)), size_(size), reverse_(reverse),
          keepSign_(keepSign) {}
    std::string_view Str() const override {
        double v = std::trunc(value_->Num());
        // Out-of-range values keep their low-order bytes, as a cast to the size would.
        auto i = static_cast<int64_t>(std::clamp(v, -9.2e18, 9.2e18));
        auto u = static_cast<uint64_t>(i);
        if (!keepSign_)
            u ^= uint64_t{1} << (size_ * 8 - 1);
        buf_.resize(size_);
        for (int k = 0; k < size_; ++k) {
            char byte = static_cast<char>((u >> (8 * (size_ - 1 - k))) & 0xFF);
            buf_[reverse_ ? size_ - 1 - k : k] = byte;
        }
        return buf_;
    }

private:
    NodePtr value_;
    int size_;
    bool reverse_, keepSign_;
};

void RequireArg(const CallSite& site, const NodeList& args, size_t i, ExprType type) {
    site.ctx.Require(*args[i], type, std::string(AsciiUpper(site.name)) + "()");
}

NodePtr BuildCase(const CallSite& site, NodeList& args, bool upper) {
    RequireArg(site, args, 0, ExprType::Char);
    return std::make_unique<CaseNode>(std::move(args[0]), upper);
}
NodePtr BuildUpper(const CallSite& s, NodeList& a) {
    return BuildCase(s, a, true);
}
NodePtr BuildLower(const CallSite& s, NodeList& a) {
    return BuildCase(s, a, false);
}

NodePtr BuildTrim(const CallSite& site, NodeList& args, bool left, bool right) {
    RequireArg(site, args, 0, ExprType::Char);
    return std::make_unique<TrimNode>(std::move(args[0]), left, right);
}
NodePtr BuildRtrim(const CallSite& s, NodeList& a) {
    return BuildTrim(s, a, false, true);
}
NodePtr BuildLtrim(const CallSite& s, NodeList& a) {
    return BuildTrim(s, a, true, false);
}
NodePtr BuildAlltrim(const CallSite& s, NodeList& a) {
    return BuildTrim(s, a, true, true);
}

NodePtr BuildLeftRight(const CallSite& site, NodeList& args, bool right) {
    RequireArg(site, args, 0, ExprType::Char);
    RequireArg(site, args, 1, ExprType::Numeric);
    int argWidth = args[0]->Width();
    int width = argWidth;
    if (args[1]->IsConstant()) {
        int n = std::max(ConstantInt(*args[1], 0), 0);
        width = argWidth == kUnbounded ? n : std::min(n, argWidth);
    }
    return std::make_unique<LeftRightNode>(std::move(args[0]), std::move(args[1]), width, right);
}
NodePtr BuildLeft(const CallSite& s, NodeList& a) {
    return BuildLeftRight(s, a, false);
}
NodePtr BuildRight(const CallSite& s, NodeList& a) {
    return BuildLeftRight(s, a, true);
}

NodePtr BuildSubstr(const CallSite& site, NodeList& args) {
    RequireArg(site, args, 0, ExprType::Char);
    RequireArg(site, args, 1, ExprType::Numeric);
    if (args.size() > 2)
        RequireArg(site, args, 2, ExprType::Numeric);
    int argWidth = args[0]->Width();
    int width = argWidth;
    bool hasCount = args.size() > 2;
    if (args[1]->IsConstant() && (!hasCount || args[2]->IsConstant())) {
        int start = std::max(ConstantInt(*args[1], 1), 1);
        int rest = argWidth == kUnbounded ? kUnbounded : std::max(argWidth - start + 1, 0);
        if (!hasCount) {
            width = rest;
        } else {
            int n = std::max(ConstantInt(*args[2], 0), 0);
            width = rest == kUnbounded ? n : std::min(n, rest);
        }
    }
    NodePtr count = hasCount ? std::move(args[2]) : nullptr;
    return std::make_unique<SubstrNode>(std::move(args[0]), std::move(args[1]), std::move(count),
                                        width);
}

NodePtr BuildPad(const CallSite& site, NodeList& args, PadSide side) {
    RequireArg(site, args, 1, ExprType::Numeric);
    if (args.size() > 2)
        RequireArg(site, args, 2, ExprType::Char);
    int width = args[1]->IsConstant() ? std::max(ConstantInt(*args[1], 0), 0) : kRuntimeWidth;
    NodePtr fill = args.size() > 2 ? std::move(args[2]) : nullptr;
    return std::make_unique<PadNode>(std::move(args[0]), std::move(args[1]), std::move(fill), width,
                                     side);
}
NodePtr BuildPadr(const CallSite& s, NodeList& a) {
    return BuildPad(s, a, PadSide::Right);
}
NodePtr BuildPadl(const CallSite& s, NodeList& a) {
    return BuildPad(s, a, PadSide::Left);
}
NodePtr BuildPadc(const CallSite& s, NodeList& a) {
    return BuildPad(s, a, PadSide::Center);
}

NodePtr BuildStr(const CallSite& site, NodeList& args) {
    for (size_t i = 0; i < args.size(); ++i)
        RequireArg(site, args, i, ExprType::Numeric);
    int width = kStrDefaultWidth;
    if (args.size() > 1)
        width = args[1]->IsConstant() ? std::clamp(ConstantInt(*args[1], 0), 0, kMaxStrWidth)
                                      : kRuntimeWidth;
    NodePtr w = args.size() > 1 ? std::move(args[1]) : nullptr;
    NodePtr d = args.size() > 2 ? std::move(args[2]) : nullptr;
    return std::make_unique<StrNode>(std::move(args[0]), std::move(w), std::move(d), width);
}

NodePtr BuildDtos(const CallSite& site, NodeList& args) {
    RequireArg(site, args, 0, ExprType::Date);
    return std::make_unique<DateTextNode>(std::move(args[0]), true);
}

NodePtr BuildDtoc(const CallSite& site, NodeList& args) {
    RequireArg(site, args, 0, ExprType::Date);
    bool sortable = false;
    if (args.size() > 1) {
        if (!args[1]->IsConstant() || args[1]->Type() != ExprType::Numeric || args[1]->Num() != 1)
            site.ctx.Fail(kErrExpr, args[1]->Pos(), "DTOC() takes 1 as its second argument");
        sortable = true;
    }
    return std::make_unique<DateTextNode>(std::move(args[0]), sortable);
}

NodePtr BuildChr(const CallSite& site, NodeList& args) {
    RequireArg(site, args, 0, ExprType::Numeric);
    return std::make_unique<ChrNode>(std::move(args[0]));
}

NodePtr BuildSpace(const CallSite& site, NodeList& args) {
    RequireArg(site, args, 0, ExprType::Numeric);
    int width = args[0]->IsConstant() ? std::max(ConstantInt(*args[0], 0), 0) : kRuntimeWidth;
    return std::make_unique<ReplicateNode>(nullptr, std::move(args[0]), width);
}

NodePtr BuildReplicate(const CallSite& site, NodeList& args) {
    RequireArg(site, args, 0, ExprType::Char);
    RequireArg(site, args, 1, ExprType::Numeric);
    int textWidth = args[0]->Width();
    int width = kRuntimeWidth;
    if (args[1]->IsConstant() && textWidth != kUnbounded)
        width = textWidth * std::max(ConstantInt(*args[1], 0), 0);
    return std::make_unique<ReplicateNode>(std::move(args[0]), std::move(args[1]), width);
}

// BINTOC(n [, size] [, flags]) and BINTOC(n, flags).
NodePtr BuildBintoc(const CallSite& site, NodeList& args) {
    RequireArg(site, args, 0, ExprType::Numeric);
    int size = 4;
    std::string_view flags;
    for (size_t i = 1; i < args.size(); ++i) {
        const Node& a = *args[i];
        if (!a.IsConstant())
            site.ctx.Fail(kErrExpr, a.Pos(), "BINTOC() needs a constant size and flags");
        if (a.Type() == ExprType::Numeric && i == 1) {
            size = ConstantInt(a, 0);
            if (size != 1 && size != 2 && size != 4 && size != 8)
                site.ctx.Fail(kErrExpr, a.Pos(), "BINTOC() size must be 1, 2, 4 or 8");
        } else if (a.Type() == ExprType::Char) {
            flags = a.Str();
        } else {
            site.ctx.Fail(kErrExprType, a.Pos(), "BINTOC() needs a size or a flags string");
        }
    }
    bool reverse = false, keepSign = false;
    for (char f : flags) {
        char u = static_cast<char>(f >= 'a' && f <= 'z' ? f - 32 : f);
        if (u == 'R')
            reverse = true;
        else if (u == 'S')
            keepSign = true;
        // Float and double conversions (F, B) are not reproduced: a key built with them is
        // treated like one using a function we do not know.
        else if (u == 'F' || u == 'B')
            site.ctx.Fail(kErrUnknownFunction, site.pos,
                          std::string("BINTOC() flag \"") + u + "\" is not supported");
        else if (u != ' ')
            site.ctx.Fail(kErrExpr, site.pos, std::string("Unknown BINTOC() flag \"") + f + "\"");
    }
    return std::make_unique<BintocNode>(std::move(args[0]), size, reverse, keepSign);
}

constexpr FunctionDef kTextFunctions[] = {
    {"UPPER", 1, 1, BuildUpper},   {"LOWER", 1, 1, BuildLower}, {"TRIM", 1, 1, BuildRtrim},
    {"RTRIM", 1, 1, BuildRtrim},   {"LTRIM", 1, 1, BuildLtrim}, {"ALLTRIM", 1, 1, BuildAlltrim},
    {"LEFT", 2, 2, BuildLeft},     {"RIGHT", 2, 2, BuildRight}, {"SUBSTR", 2, 3, BuildSubstr},
    {"PADR", 2, 3, BuildPadr},     {"PADL", 2, 3, BuildPadl},   {"PADC", 2, 3, BuildPadc},
    {"STR", 1, 3, BuildStr},       {"DTOS", 1, 1, BuildDtos},   {"DTOC", 1, 2, BuildDtoc},
    {"CHR", 1, 1, BuildChr},       {"SPACE", 1, 1, BuildSpace}, {"REPLICATE", 2, 2, BuildReplicate},
    {"BINTOC", 1, 3, BuildBintoc},
};

} // namespace

std::span<const FunctionDef> TextFunctions() {
    return kTextFunctions;
}

std::string_view TrimBlanks(std::string_view s, bool left, bool right) {
    size_t b = 0, e = s.size();
    if (left)
        while (b < e && s[b] == ' ')
            ++b;
    if (right)
        while (e > b && s[e - 1] == ' ')
            --e;
    return s.substr(b, e - b);
}

} // namespace hk::db::expr
