#include "platform/LocaleInfo.h"
#include "platform/SystemText.h"

#include <QLocale>
#include <optional>

namespace {
std::optional<QLocale> &Override()
{
    static std::optional<QLocale> locale;
    return locale;
}

QLocale UserLocale()
{
    return Override() ? *Override() : QLocale::system();
}
} // namespace

char SystemDecimalSeparator()
{
    const QString sep = UserLocale().decimalPoint();
    if (sep.size() != 1 || sep.at(0).unicode() > 0xFF)
        return '.';
    return static_cast<char>(sep.at(0).unicode());
}

std::string SystemShortDateFormat()
{
    return FromQ(UserLocale().dateFormat(QLocale::ShortFormat));
}

void SetUserLocale(const QLocale &locale)
{
    Override() = locale;
}

void ResetUserLocale()
{
    Override().reset();
}
