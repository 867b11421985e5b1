#include "platform/SystemText.h"

#include "platform/CodePage.h"

#include <QFile>

namespace {

unsigned char FoldAscii(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 0x20) : c;
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

QString ToQ(const std::string &text)
{
    QString out(static_cast<qsizetype>(text.size()), Qt::Uninitialized);
    QChar *p = out.data();
    for (const char c : text)
        *p++ = QChar(CodePageChar(static_cast<unsigned char>(c)));
    return out;
}

std::string FromQ(const QString &text)
{
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = text[i].unicode();
        // A pair of surrogates is one character, and one '?'.
        if (QChar::isHighSurrogate(c) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        unsigned char byte;
        out += CodePageByte(c, byte) ? static_cast<char>(byte) : '?';
    }
    return out;
}

QString InCodePage(const QString &text)
{
    return ToQ(FromQ(text));
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

bool SameTextCodePage(const std::string &A, const std::string &B)
{
    return SameFolded<CodePageLower>(A, B);
}

std::string UpperCaseAscii(std::string Text)
{
    for (char &c : Text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 0x20);
    return Text;
}
