#pragma once
// Integer texts as the run-time library reads them: leading blanks, a sign,
// then decimal digits or hexadecimal digits after '$' or "0x", and nothing else.
#include <cstdint>
#include <string>

// False when Text is no such number or leaves the range: signed 64 bits for
// decimal texts, a 64-bit pattern for hexadecimal ones (then Hex is set).
bool TryTextToInt64(const std::string &Text, std::int64_t &Value, bool *Hex = nullptr);

// The value of a hexadecimal digit in either case; -1 for any other character.
int HexDigitValue(char c);
