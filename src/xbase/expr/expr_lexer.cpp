#include "xbase/expr/expr_lexer.h"

#include <charconv>

#include "support/text.h"
#include "xbase/db_error.h"
#include "xbase/expr/expr_format.h"

namespace hk::db::expr {
namespace {

bool IsNameStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsNameChar(char c) {
    return IsNameStart(c) || IsDigit(c);
}
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

struct Symbol {
    std::string_view text;
    Tok kind;
};

// The dotted words: .AND. .OR. .NOT. .T. .F. and the old .Y. .N.
constexpr Symbol kDotWords[] = {{".AND.", Tok::And}, {".OR.", Tok::Or},   {".NOT.", Tok::Not},
                                {".T.", Tok::True},  {".F.", Tok::False}, {".Y.", Tok::True},
                                {".N.", Tok::False}};

// Two-character symbols first, so that "**" is not read as two "*".
constexpr Symbol kSymbols[] = {
    {"->", Tok::Arrow}, {"**", Tok::Power}, {"==", Tok::ExactEq}, {"!=", Tok::Ne},
    {"<>", Tok::Ne},    {"<=", Tok::Le},    {">=", Tok::Ge},      {"(", Tok::LParen},
    {")", Tok::RParen}, {",", Tok::Comma},  {"+", Tok::Plus},     {"-", Tok::Minus},
    {"*", Tok::Star},   {"/", Tok::Slash},  {"%", Tok::Percent},  {"^", Tok::Power},
    {"$", Tok::Dollar}, {"#", Tok::Ne},     {"=", Tok::Eq},       {"!", Tok::Not},
    {"<", Tok::Lt},     {">", Tok::Gt},
};

class Lexer {
public:
    explicit Lexer(const CompileContext& ctx) : ctx_(ctx), s_(ctx.Text()) {}

    std::vector<Token> Run() {
        while (i_ < s_.size()) {
            char c = s_[i_];
            if (IsSpace(c))
                ++i_;
            else if (IsNameStart(c))
                Name();
            else if (c == '.' && DotWord())
                continue;
            else if (c == '$' && DollarAlias())
                continue;
            else if (IsDigit(c) || (c == '.' && i_ + 1 < s_.size() && IsDigit(s_[i_ + 1])))
                Number();
            else if (c == '"' || c == '\'' || c == '[')
                Quoted(c == '[' ? ']' : c);
            else if (c == '{')
                DateLiteral();
            else
                Operator();
        }
        Add(Tok::End, s_.size(), 0);
        return std::move(out_);
    }

private:
    Token& Add(Tok kind, size_t start, size_t length) {
        Token t;
        t.kind = kind;
        t.pos = start;
        t.text = s_.substr(start, length);
        out_.push_back(std::move(t));
        i_ = start + length;
        return out_.back();
    }

    bool StartsWith(size_t at, std::string_view word) const {
        return s_.size() - at >= word.size() && EqualsNoCase(s_.substr(at, word.size()), word);
    }

    bool DotWord() {
        for (const auto& w : kDotWords) {
            if (StartsWith(i_, w.text)) {
                Add(w.kind, i_, w.text.size());
                return true;
            }
        }
        return false;
    }

    bool AtDotWord(size_t at) const {
        for (const auto& w : kDotWords)
            if (StartsWith(at, w.text))
                return true;
        return false;
    }

    // Bare AND / OR / NOT are operators; a dot right after a name that does not open a dotted
    // word joins an alias to its field (g.Per1).
    void Name() {
        size_t j = i_;
        while (j < s_.size() && IsNameChar(s_[j]))
            ++j;
        std::string_view word = s_.substr(i_, j - i_);
        Tok kind = EqualsNoCase(word, "AND")   ? Tok::And
                   : EqualsNoCase(word, "OR")  ? Tok::Or
                   : EqualsNoCase(word, "NOT") ? Tok::Not
                                               : Tok::Name;
        Add(kind, i_, j - i_);
        if (kind == Tok::Name && AliasDot())
            Add(Tok::Dot, i_, 1);
    }

    bool AliasDot() const {
        return i_ + 1 < s_.size() && s_[i_] == '.' && IsNameStart(s_[i_ + 1]) && !AtDotWord(i_);
    }

    // TMG's person table is opened under the alias "$": "$->PER_NO", "$.PER_NO".
    bool DollarAlias() {
        bool arrow = s_.compare(i_ + 1, 2, "->") == 0;
        ++i_;
        bool dot = AliasDot();
        --i_;
        if (!arrow && !dot)
            return false;
        Add(Tok::Name, i_, 1);
        if (dot)
            Add(Tok::Dot, i_, 1);
        return true;
    }

    // 12, 12.5, .5, 1.5E3. A point followed by a letter is left alone: 1.AND.x
    void Number() {
        size_t start = i_, j = i_;
        int decimals = 0;
        while (j < s_.size() && IsDigit(s_[j]))
            ++j;
        if (j < s_.size() && s_[j] == '.' && !(j + 1 < s_.size() && IsNameStart(s_[j + 1]))) {
            for (++j; j < s_.size() && IsDigit(s_[j]); ++j)
                ++decimals;
        }
        if (j < s_.size() && (s_[j] == 'e' || s_[j] == 'E')) {
            size_t k = j + 1;
            if (k < s_.size() && (s_[k] == '+' || s_[k] == '-'))
                ++k;
            if (k < s_.size() && IsDigit(s_[k])) {
                while (k < s_.size() && IsDigit(s_[k]))
                    ++k;
                j = k;
            }
        }
        Token& t = Add(Tok::Number, start, j - start);
        t.decimals = decimals;
        auto res = std::from_chars(s_.data() + start, s_.data() + j, t.number);
        if (res.ec != std::errc() || res.ptr != s_.data() + j)
            ctx_.Fail(kErrExpr, start, "Invalid number \"" + std::string(t.text) + "\"");
        if (i_ < s_.size() && IsNameStart(s_[i_]))
            ctx_.Fail(kErrExpr, i_, "Unexpected \"" + std::string(1, s_[i_]) + "\" after a number");
    }

    void Quoted(char close) {
        size_t end = s_.find(close, i_ + 1);
        if (end == std::string_view::npos)
            ctx_.Fail(kErrExpr, i_, "Unterminated string");
        size_t start = i_;
        Add(Tok::String, start, end + 1 - start).str =
            std::string(s_.substr(start + 1, end - start - 1));
    }

    // {^2000-01-31} (strict), {01/31/2000} (American), {} (the empty date).
    void DateLiteral() {
        size_t end = s_.find('}', i_ + 1);
        if (end == std::string_view::npos)
            ctx_.Fail(kErrExpr, i_, "Unterminated date");
        std::string_view body = Trim(s_.substr(i_ + 1, end - i_ - 1));
        double jdn = 0;
        if (!body.empty() && body[0] == '^') {
            int part[3] = {0, 0, 0};
            size_t k = 1;
            for (int n = 0; n < 3 && k < body.size(); ++n) {
                if (n > 0 && body[k] != '-' && body[k] != '/' && body[k] != '.')
                    break;
                k += n > 0 ? 1 : 0;
                k = std::from_chars(body.data() + k, body.data() + body.size(), part[n]).ptr -
                    body.data();
            }
            if (k == body.size())
                jdn = JulianDay(part[0], part[1], part[2]);
        } else if (!body.empty()) {
            jdn = ParseCtod(body);
        }
        if (!body.empty() && jdn == 0)
            ctx_.Fail(kErrExpr, i_,
                      "Invalid date \"" + std::string(s_.substr(i_, end + 1 - i_)) + "\"");
        Add(Tok::Date, i_, end + 1 - i_).number = jdn;
    }

    void Operator() {
        for (const auto& sym : kSymbols) {
            if (s_.compare(i_, sym.text.size(), sym.text) == 0) {
                Add(sym.kind, i_, sym.text.size());
                return;
            }
        }
        ctx_.Fail(kErrExpr, i_, "Unexpected character \"" + std::string(1, s_[i_]) + "\"");
    }

    const CompileContext& ctx_;
    std::string_view s_;
    size_t i_ = 0;
    std::vector<Token> out_;
};

} // namespace

std::vector<Token> Tokenize(const CompileContext& ctx) {
    return Lexer(ctx).Run();
}

} // namespace hk::db::expr
