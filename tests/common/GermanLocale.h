#pragma once
// The C library's locale switched to German for one scope, as a German
// desktop has it once the application object exists: ',' as decimal point.
// UTF-8 unless another German locale is named.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

class TGermanCLocale {
public:
    explicit TGermanCLocale(const char *Name = "de_DE.UTF-8")
    {
        const char *old = std::setlocale(LC_ALL, nullptr);
        Old = old ? old : "C";
        Active = std::setlocale(LC_ALL, Name) != nullptr;
        EXPECT_TRUE(Active) << "the locale " << Name << " is not installed (scripts/deps.sh installs it)";
        if (Active) {
            EXPECT_EQ(*std::localeconv()->decimal_point, ',');
        }
    }
    ~TGermanCLocale() { std::setlocale(LC_ALL, Old.c_str()); }
    TGermanCLocale(const TGermanCLocale &) = delete;
    TGermanCLocale &operator=(const TGermanCLocale &) = delete;

    bool Active = false;

private:
    std::string Old;
};
