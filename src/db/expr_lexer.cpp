#include "db/expr_lexer.h"

#include <charconv>

#include "db/db_error.h"
#include "db/expr_format.h"
#include "support/text.h"

namespace hk::db::expr {
namespace {

bool IsNameStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsNameChar(char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool StartsWithNoCase(std::string_view s, size_t at, std::string_view word) {
    return s.size() - at >= word.size() && EqualsNoCase(s.substr(at, word.size()), word);
}

// The dotted words: .AND. .OR. .NOT. .T. .F. and the old .Y. .N.
struct DotWord {
    std::string_view word;
    Tok kind;
};
constexpr DotWord kDotWords[] = {{".AND.", Tok::And}, {".OR.", Tok::Or},   {".NOT.", Tok::Not},
                                 {".T.", Tok::True},  {".F.", Tok::False}, {".Y.", Tok::True},
                                 {".N.", Tok::False}};

// {^2000-01-31} (strict), {01/31/2000} (American), {} (empty).
double ParseDateLiteral(std::string_view body, bool &ok) {
    std::string_view t = Trim(body);
    ok = true;
    if (t.empty())
        return 0;
    if (t[0] == '^') {
        int part[3] = {0, 0, 0};
        size_t i = 1;
        for (int k = 0; k < 3; ++k) {
            if (k > 0) {
                if (i >= t.size() || (t[i] != '-' && t[i] != '/' && t[i] != '.'))
                    break;
                ++i;
            }
            size_t start = i;
            while (i < t.size() && IsDigit(t[i]))
                ++i;
            if (i == start)
                break;
            std::from_chars(t.data() + start, t.data() + i, part[k]);
        }
        double jdn = i == t.size() ? JulianDay(part[0], part[1], part[2]) : 0;
        ok = jdn != 0;
        return jdn;
    }
    double jdn = ParseCtod(t);
    ok = jdn != 0;
    return jdn;
}

} // namespace

std::vector<Token> Tokenize(const CompileContext &ctx) {
    std::string_view s = ctx.Text();
    std::vector<Token> out;
    size_t i = 0;
    auto add = [&](Tok kind, size_t start, size_t len) {
        Token t;
        t.kind = kind;
        t.pos = start;
        t.text = s.substr(start, len);
        out.push_back(std::move(t));
        i = start + len;
    };
    while (i < s.size()) {
        char c = s[i];
        if (IsSpace(c)) {
            ++i;
            continue;
        }
        size_t start = i;
        if (IsNameStart(c)) {
            size_t j = i;
            while (j < s.size() && IsNameChar(s[j]))
                ++j;
            std::string_view word = s.substr(i, j - i);
            Tok kind = EqualsNoCase(word, "AND")   ? Tok::And
                       : EqualsNoCase(word, "OR")  ? Tok::Or
                       : EqualsNoCase(word, "NOT") ? Tok::Not
                                                   : Tok::Name;
            add(kind, start, j - i);
            // alias.field: a dot right after a name that does not open a dotted word
            if (kind == Tok::Name && i < s.size() && s[i] == '.' && i + 1 < s.size() &&
                IsNameStart(s[i + 1])) {
                bool dotWord = false;
                for (const auto &w : kDotWords)
                    dotWord |= StartsWithNoCase(s, i, w.word);
                if (!dotWord)
                    add(Tok::Dot, i, 1);
            }
            continue;
        }
        if (c == '.') {
            bool matched = false;
            for (const auto &w : kDotWords) {
                if (StartsWithNoCase(s, i, w.word)) {
                    add(w.kind, start, w.word.size());
                    matched = true;
                    break;
                }
            }
            if (matched)
                continue;
            if (i + 1 >= s.size() || !IsDigit(s[i + 1]))
                ctx.Fail(kErrExpr, i, "Unexpected \".\"");
        }
        if (IsDigit(c) || c == '.') {
            size_t j = i;
            while (j < s.size() && IsDigit(s[j]))
                ++j;
            int decimals = 0;
            if (j < s.size() && s[j] == '.' && !(j + 1 < s.size() && IsNameStart(s[j + 1]))) {
                ++j;
                while (j < s.size() && IsDigit(s[j])) {
                    ++j;
                    ++decimals;
                }
            }
            if (j < s.size() && (s[j] == 'e' || s[j] == 'E')) {
                size_t k = j + 1;
                if (k < s.size() && (s[k] == '+' || s[k] == '-'))
                    ++k;
                if (k < s.size() && IsDigit(s[k])) {
                    while (k < s.size() && IsDigit(s[k]))
                        ++k;
                    j = k;
                }
            }
            Token t;
            t.kind = Tok::Number;
            t.pos = start;
            t.text = s.substr(start, j - start);
            t.decimals = decimals;
            auto res = std::from_chars(s.data() + start, s.data() + j, t.number);
            if (res.ec != std::errc() || res.ptr != s.data() + j)
                ctx.Fail(kErrExpr, start, "Invalid number \"" + std::string(t.text) + "\"");
            out.push_back(std::move(t));
            i = j;
            if (i < s.size() && IsNameStart(s[i]))
                ctx.Fail(kErrExpr, i, "Unexpected \"" + std::string(1, s[i]) + "\" after a number");
            continue;
        }
        if (c == '"' || c == '\'' || c == '[') {
            char close = c == '[' ? ']' : c;
            size_t end = s.find(close, i + 1);
            if (end == std::string_view::npos)
                ctx.Fail(kErrExpr, i, "Unterminated string");
            Token t;
            t.kind = Tok::String;
            t.pos = start;
            t.text = s.substr(start, end + 1 - start);
            t.str = std::string(s.substr(i + 1, end - i - 1));
            out.push_back(std::move(t));
            i = end + 1;
            continue;
        }
        if (c == '{') {
            size_t end = s.find('}', i + 1);
            if (end == std::string_view::npos)
                ctx.Fail(kErrExpr, i, "Unterminated date");
            bool ok;
            double jdn = ParseDateLiteral(s.substr(i + 1, end - i - 1), ok);
            if (!ok)
                ctx.Fail(kErrExpr, i,
                         "Invalid date \"" + std::string(s.substr(i, end + 1 - i)) + "\"");
            Token t;
            t.kind = Tok::Date;
            t.pos = start;
            t.text = s.substr(start, end + 1 - start);
            t.number = jdn;
            out.push_back(std::move(t));
            i = end + 1;
            continue;
        }
        char next = i + 1 < s.size() ? s[i + 1] : '\0';
        switch (c) {
        case '(':
            add(Tok::LParen, start, 1);
            break;
        case ')':
            add(Tok::RParen, start, 1);
            break;
        case ',':
            add(Tok::Comma, start, 1);
            break;
        case '+':
            add(Tok::Plus, start, 1);
            break;
        case '-':
            next == '>' ? add(Tok::Arrow, start, 2) : add(Tok::Minus, start, 1);
            break;
        case '*':
            next == '*' ? add(Tok::Power, start, 2) : add(Tok::Star, start, 1);
            break;
        case '/':
            add(Tok::Slash, start, 1);
            break;
        case '%':
            add(Tok::Percent, start, 1);
            break;
        case '^':
            add(Tok::Power, start, 1);
            break;
        case '$':
            add(Tok::Dollar, start, 1);
            break;
        case '#':
            add(Tok::Ne, start, 1);
            break;
        case '=':
            next == '=' ? add(Tok::ExactEq, start, 2) : add(Tok::Eq, start, 1);
            break;
        case '!':
            next == '=' ? add(Tok::Ne, start, 2) : add(Tok::Not, start, 1);
            break;
        case '<':
            if (next == '=')
                add(Tok::Le, start, 2);
            else if (next == '>')
                add(Tok::Ne, start, 2);
            else
                add(Tok::Lt, start, 1);
            break;
        case '>':
            next == '=' ? add(Tok::Ge, start, 2) : add(Tok::Gt, start, 1);
            break;
        default:
            ctx.Fail(kErrExpr, i, "Unexpected character \"" + std::string(1, c) + "\"");
        }
    }
    Token end;
    end.kind = Tok::End;
    end.pos = s.size();
    out.push_back(std::move(end));
    return out;
}

const char *TokenName(Tok kind) {
    switch (kind) {
    case Tok::End:
        return "end of expression";
    case Tok::Name:
        return "name";
    case Tok::Number:
        return "number";
    case Tok::String:
        return "string";
    case Tok::Date:
        return "date";
    case Tok::True:
        return ".T.";
    case Tok::False:
        return ".F.";
    case Tok::LParen:
        return "\"(\"";
    case Tok::RParen:
        return "\")\"";
    case Tok::Comma:
        return "\",\"";
    case Tok::Plus:
        return "\"+\"";
    case Tok::Minus:
        return "\"-\"";
    case Tok::Star:
        return "\"*\"";
    case Tok::Slash:
        return "\"/\"";
    case Tok::Percent:
        return "\"%\"";
    case Tok::Power:
        return "\"^\"";
    case Tok::Eq:
        return "\"=\"";
    case Tok::ExactEq:
        return "\"==\"";
    case Tok::Ne:
        return "\"<>\"";
    case Tok::Lt:
        return "\"<\"";
    case Tok::Gt:
        return "\">\"";
    case Tok::Le:
        return "\"<=\"";
    case Tok::Ge:
        return "\">=\"";
    case Tok::Dollar:
        return "\"$\"";
    case Tok::And:
        return ".AND.";
    case Tok::Or:
        return ".OR.";
    case Tok::Not:
        return ".NOT.";
    case Tok::Arrow:
        return "\"->\"";
    case Tok::Dot:
        return "\".\"";
    }
    return "?";
}

} // namespace hk::db::expr
