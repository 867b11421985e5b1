#pragma once
// Number texts with a caller-chosen decimal separator, field (token) helpers,
// character filters, conditional selectors and a reversible hex scrambling.
// Texts are code-page byte strings; positions count from 1.
#include <bitset>
#include <string>

// Cuts a string of decimal digits to its first Keep digits; a first dropped
// digit of 5 or more rounds up, and a carry out of the first digit adds a
// leading '1' and one to IntLen (the count of digits before the point).
void RoundDigitsHalfUp(std::string &Digits, size_t Keep, size_t &IntLen);

// Fixed-point text of X with Decimals places; ThousandSep '\0' means no grouping.
std::string FloatToDecStr(double X, int Decimals, char DecSep, char ThousandSep);
// As FloatToDecStr without grouping, trailing zeros removed; empty for 0.
std::string FloatToDecStrTrim(double X, int Decimals, char DecSep);
// The general number format ("%.*g") with Precision significant digits and
// DecSep as the point, as the calculator shows its results.
std::string FloatToGeneralStr(double X, int Precision, char DecSep);
// The strict decimal grammar; Default for an empty text or one that does not convert.
double DecStrToFloat(const std::string &Text, char DecSep, double Default);

inline std::string IfThenStr(bool Cond, const std::string &A, const std::string &B) { return Cond ? A : B; }
inline int IfThenInt(bool Cond, int A, int B) { return Cond ? A : B; }

// Field Index (from 1) of Text split at every whole match of Separator; empty
// when there is no such field. An empty Separator never matches.
std::string GetToken(const std::string &Text, const std::string &Separator, int Index);
// Number of fields of Text; 0 for an empty Text.
int CountTokens(const std::string &Text, const std::string &Separator);
// Field Index as an integer (decimal, or hexadecimal after '$' or 0x); 0 when it does not convert.
int GetTokenInt(const std::string &Text, const std::string &Separator, int Index);

// A set of one-byte characters.
using TCharSet = std::bitset<256>;
// The set of the characters in Chars.
TCharSet CharSet(const std::string &Chars);

// Text without the characters in Chars.
std::string DeleteCharsInSet(const std::string &Text, const TCharSet &Chars);
// Text with only the characters that occur in Allowed.
std::string KeepChars(const std::string &Text, const std::string &Allowed);

// Each byte of Plain XORed with the cycling Key, as two upper-case hex digits;
// Plain itself when Key is empty.
std::string HexXorEncode(const std::string &Plain, const std::string &Key);
// The reverse of HexXorEncode; empty for an empty Key, an odd length or a bad pair.
std::string HexXorDecode(const std::string &Hex, const std::string &Key);
