#pragma once
// Texts of the C library (its error messages, in UTF-8 as the desktop runs)
// as the system's byte strings in the code page, without the toolkit.
#include <string>
#include <string_view>

// As the toolkit converts such a text: a byte-order mark at the start is
// dropped, a character the code page cannot hold becomes '?', and so does
// every byte that starts no valid sequence.
std::string Utf8ToCodePage(std::string_view Text);
