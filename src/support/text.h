#pragma once
// Text helpers. Tables and logs on disk are Windows-1252; in memory everything is UTF-8.
#include <string>
#include <string_view>

namespace hk {

// Windows-1252 bytes to UTF-8. The five bytes 1252 leaves undefined map to U+0081 etc.
std::string Cp1252ToUtf8(std::string_view in);
// UTF-8 to Windows-1252; a character 1252 cannot hold becomes '?'. Invalid UTF-8 bytes
// are taken as 1252 bytes, so text that is already 1252 passes through unchanged.
std::string Utf8ToCp1252(std::string_view in);

bool IsAscii(std::string_view s);

// Windows ANSI case mapping of one 1252 byte (letters with accents included).
unsigned char Cp1252Upper(unsigned char c);
unsigned char Cp1252Lower(unsigned char c);
std::string Cp1252UpperStr(std::string_view s);
std::string Cp1252LowerStr(std::string_view s);

std::string_view TrimRight(std::string_view s);
std::string_view TrimLeft(std::string_view s);
std::string_view Trim(std::string_view s);
// ASCII-only case folding, for names of fields, tags, aliases and files.
std::string AsciiUpper(std::string_view s);
std::string AsciiLower(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);
// Text of several lines (CR LF or LF) as one line: each line break becomes one blank.
std::string OneLine(std::string_view text);

} // namespace hk
