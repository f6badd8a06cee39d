#pragma once
// Splits expression text into tokens: names, literals, operators (both the dotted .AND. forms
// and the bare AND / OR / NOT words).
#include <string>
#include <string_view>
#include <vector>

#include "xbase/expr/expr_node.h"

namespace hk::db::expr {

enum class Tok {
    End,
    Name,
    Number,
    String,
    Date,
    True,
    False,
    LParen,
    RParen,
    Comma,
    Plus,
    Minus,
    Star,
    Slash,
    Percent,
    Power,   // ^ **
    Eq,      // =
    ExactEq, // ==
    Ne,      // <> != #
    Lt,
    Gt,
    Le,
    Ge,
    Dollar,
    And,
    Or,
    Not, // .NOT. NOT !
    Arrow,
    Dot, // between an alias and its field
};

struct Token {
    Tok kind = Tok::End;
    size_t pos = 0;
    std::string_view text; // as written
    std::string str;       // String: the bytes between the delimiters
    double number = 0;     // Number; Date: Julian day number
    int decimals = 0;      // Number: digits written after the point
};

std::vector<Token> Tokenize(const CompileContext& ctx);

} // namespace hk::db::expr
