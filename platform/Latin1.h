#pragma once
// The one conversion between the system's Latin-1 byte strings and Qt's
// texts, and letter case on those strings. The C library's locale plays no
// part: a desktop's locale must not change which names match.
#include <QString>
#include <string>

QString ToQ(const std::string &latin1);
std::string FromQ(const QString &text);
// File names keep the file system's own bytes.
QString FileNameToQ(const std::string &name);
std::string FileNameFromQ(const QString &name);
// A file name as a text of the system, for the messages that name a file:
// the characters the file system's bytes stand for, not those bytes.
std::string FileNameText(const std::string &Name);

// Equal apart from the letter case of the ASCII letters. For names that are
// raw bytes, such as file names, where folding other bytes could match parts
// of different multi-byte characters.
bool SameTextAscii(const std::string &A, const std::string &B);
// Equal apart from the letter case of the ASCII and Latin-1 letters
// ('\xC0' to '\xDE' match '\xE0' to '\xFE'; '\xD7' and '\xF7' are signs).
bool SameTextLatin1(const std::string &A, const std::string &B);
// The ASCII letters in upper case, every other byte as it is.
std::string UpperCaseAscii(std::string Text);
