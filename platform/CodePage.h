#pragma once
// The desktop's ANSI code page, Windows-1252, in which the system's texts are
// byte strings: Latin-1 with the typographic signs and a few letters at
// 0x80-0x9F. The one table between its bytes and Unicode, for the toolkit's
// side and for the C library's texts alike.

// Every byte has a character: the five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the control characters of the same
// number, so every byte comes back unchanged.
char16_t CodePageChar(unsigned char Byte);
// The byte of Char; false when the code page cannot hold it.
bool CodePageByte(char32_t Char, unsigned char &Byte);
// The byte with the letter in lower case: ASCII, the Latin-1 letters and
// Š, Œ, Ž, Ÿ. Every other byte as it is.
unsigned char CodePageLower(unsigned char Byte);
