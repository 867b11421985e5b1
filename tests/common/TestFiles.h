#pragma once
// Whole-file helpers for tests that check exact file contents: the bytes as
// text or as bytes, and the little-endian fields of file bytes.
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

std::string FileText(const std::string &name);
void SetFileText(const std::string &name, const std::string &text);
// Every entry of the folder, hidden and special ones too, by name.
QStringList FolderEntries(const QString &Folder);

using TBytes = std::vector<std::uint8_t>;

TBytes ReadAll(const std::string &Name);
void WriteAll(const std::string &Name, const TBytes &Bytes);
// The int32 at At; std::out_of_range beyond the end.
std::int32_t I32(const TBytes &B, std::size_t At);
void PutI32(TBytes &B, std::size_t At, std::int32_t Value);
// False also when the Count bytes from From reach beyond the end.
bool AllZero(const TBytes &B, std::size_t From, std::size_t Count);
