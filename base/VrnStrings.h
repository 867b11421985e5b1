#pragma once
// Number texts with a caller-chosen decimal separator, field (token) helpers,
// character filters, conditional selectors and a reversible hex scrambling.
// Texts are Latin-1 byte strings; positions count from 1.
#include <string>

// Fixed-point text of X with Decimals places; ThousandSep '\0' means no grouping.
std::string FloatToDecStr(double X, int Decimals, char DecSep, char ThousandSep);
// As FloatToDecStr without grouping, trailing zeros removed; empty for 0.
std::string FloatToDecStrTrim(double X, int Decimals, char DecSep);
// The strict decimal grammar; Default for an empty text or one that does not convert.
double DecStrToFloat(const std::string &Text, char DecSep, double Default);

inline std::string IfThenStr(bool Cond, const std::string &A, const std::string &B) { return Cond ? A : B; }
inline int IfThenInt(bool Cond, int A, int B) { return Cond ? A : B; }
