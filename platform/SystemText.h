#pragma once
// The one conversion between the system's code-page strings and Qt's
// texts, and letter case on those strings. The C library's locale plays no
// part: a desktop's locale must not change which names match.
#include <QString>
#include <string>

QString ToQ(const std::string &text);
std::string FromQ(const QString &text);
// The text as FromQ stores it: a character the code page cannot hold as '?'.
QString InCodePage(const QString &text);
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
// Equal apart from the letter case of the letters of the code page.
bool SameTextCodePage(const std::string &A, const std::string &B);
// The ASCII letters in upper case, every other byte as it is.
std::string UpperCaseAscii(std::string Text);
