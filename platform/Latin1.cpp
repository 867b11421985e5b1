#include "platform/Latin1.h"

#include <QFile>

namespace {

unsigned char FoldAscii(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 0x20) : c;
}

unsigned char FoldLatin1(unsigned char c)
{
    return c >= 0xC0 && c <= 0xDE && c != 0xD7 ? static_cast<unsigned char>(c + 0x20) : FoldAscii(c);
}

template <unsigned char (*Fold)(unsigned char)>
bool SameFolded(const std::string &A, const std::string &B)
{
    if (A.size() != B.size())
        return false;
    for (size_t i = 0; i < A.size(); ++i)
        if (Fold(static_cast<unsigned char>(A[i])) != Fold(static_cast<unsigned char>(B[i])))
            return false;
    return true;
}

} // namespace

QString ToQ(const std::string &latin1)
{
    return QString::fromLatin1(latin1.data(), static_cast<qsizetype>(latin1.size()));
}

std::string FromQ(const QString &text)
{
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

QString FileNameToQ(const std::string &name)
{
    return QFile::decodeName(QByteArray(name.data(), static_cast<qsizetype>(name.size())));
}

std::string FileNameFromQ(const QString &name)
{
    const QByteArray bytes = QFile::encodeName(name);
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

std::string FileNameText(const std::string &Name)
{
    return FromQ(FileNameToQ(Name));
}

bool SameTextAscii(const std::string &A, const std::string &B)
{
    return SameFolded<FoldAscii>(A, B);
}

bool SameTextLatin1(const std::string &A, const std::string &B)
{
    return SameFolded<FoldLatin1>(A, B);
}

std::string UpperCaseAscii(std::string Text)
{
    for (char &c : Text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 0x20);
    return Text;
}
