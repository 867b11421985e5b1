#include "platform/LocaleInfo.h"
#include "platform/Latin1.h"

#include <QLocale>

char SystemDecimalSeparator()
{
    const QString sep = QLocale::system().decimalPoint();
    if (sep.size() != 1 || sep.at(0).unicode() > 0xFF)
        return '.';
    return static_cast<char>(sep.at(0).unicode());
}

std::string SystemShortDateFormat()
{
    return FromQ(QLocale::system().dateFormat(QLocale::ShortFormat));
}
