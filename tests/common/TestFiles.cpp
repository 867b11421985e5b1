#include "tests/common/TestFiles.h"

#include <QDir>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

std::string FileText(const std::string &name)
{
    std::ifstream in(name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void SetFileText(const std::string &name, const std::string &text)
{
    std::ofstream(name, std::ios::binary | std::ios::trunc) << text;
}

QStringList FolderEntries(const QString &Folder)
{
    return QDir(Folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

TBytes ReadAll(const std::string &Name)
{
    std::ifstream in(Name, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string &Name, const TBytes &Bytes)
{
    std::ofstream out(Name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
}

std::int32_t I32(const TBytes &B, std::size_t At)
{
    return static_cast<std::int32_t>(B.at(At) | B.at(At + 1) << 8 | B.at(At + 2) << 16 | std::uint32_t(B.at(At + 3)) << 24);
}

void PutI32(TBytes &B, std::size_t At, std::int32_t Value)
{
    for (int i = 0; i < 4; ++i)
        B.at(At + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(static_cast<std::uint32_t>(Value) >> (8 * i));
}

bool AllZero(const TBytes &B, std::size_t From, std::size_t Count)
{
    return From + Count <= B.size() &&
           std::all_of(B.begin() + static_cast<long>(From), B.begin() + static_cast<long>(From + Count), [](auto c) { return c == 0; });
}
