#include "tests/common/TestLocale.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// An empty text when both took the locale Wanted, else what is wrong.
std::string WrongLocale(const char *Wanted)
{
    const std::string wanted = Wanted;
    const char *c = std::setlocale(LC_NUMERIC, nullptr);
    if (!c || c != wanted)
        return "the C library's number locale is \"" + std::string(c ? c : "?") + "\", not \"" + wanted
               + "\" (is it installed? scripts/deps.sh generates it)";
    const std::string qt = QLocale::system().name().toStdString();
    if (qt != wanted.substr(0, wanted.find('.')))
        return "the toolkit's locale is \"" + qt + "\", not \"" + wanted + "\"";
    if (wanted.rfind("de_", 0) == 0 && (*std::localeconv()->decimal_point != ','
                                        || QLocale::system().decimalPoint() != QStringLiteral(",")))
        return "the decimal separator of \"" + wanted + "\" is not ','";
    return std::string();
}

} // namespace

int RunAllTestsInTheirLocale()
{
    if (const char *wanted = std::getenv("ARV_TEST_LOCALE"); wanted && *wanted) {
        const std::string wrong = WrongLocale(wanted);
        if (!wrong.empty()) {
            std::fprintf(stderr, "This test run must run in the locale %s, but %s.\n", wanted, wrong.c_str());
            return 1;
        }
    }
    return RUN_ALL_TESTS();
}
