#pragma once

#include <QString>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The few pieces of PDF syntax every part of the PDF writer appends to its output.
namespace engine::pdfsyntax {

// A real number in fixed notation with at most `decimals` digits after the
// point and no trailing zeros ("12.5", "-3", "0").
void appendNumber(std::string &out, double value, int decimals = 2);
// The same written at `at`, which has room for numberRoom characters; returns the end.
// For callers that write several numbers with one append.
constexpr int numberRoom = 24;
char *writeNumber(char *at, double value, int decimals = 2);
void appendInt(std::string &out, std::int64_t value);
// Four hex digits: one two-byte code of an Identity-H string.
void appendHex4(std::string &out, std::uint32_t code);
// A text string (document information): literal when plain ASCII, else UTF-16BE with a BOM.
void appendTextString(std::string &out, const QString &text);

// A ToUnicode CMap: each code, of codeBytes (1 or 2) bytes, to its characters
// (one or more: a ligature shows several).
std::string toUnicodeCMap(int codeBytes, const std::vector<std::pair<std::uint32_t, QString>> &map);

} // namespace engine::pdfsyntax
