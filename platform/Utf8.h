#pragma once
// Texts of the C library (its error messages, in UTF-8 as the desktop runs)
// as the system's Latin-1 byte strings, without the toolkit.
#include <string>
#include <string_view>

// As the toolkit converts such a text: a byte-order mark at the start is
// dropped, a character beyond Latin-1 becomes '?' (two for one beyond the
// 16-bit range), and so does every byte that starts no valid sequence.
std::string Utf8ToLatin1(std::string_view Text);
