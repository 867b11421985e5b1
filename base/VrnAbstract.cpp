#include "base/VrnAbstract.h"

#include "base/VrnStrings.h"
#include "platform/Exceptions.h"
#include "platform/IntText.h"

#include <cmath>
#include <cstdio>

std::string KeySection(const std::string &Key)
{
    return GetToken(Key, "\r", 1);
}

std::string KeyIdent(const std::string &Key)
{
    return GetToken(Key, "\r", 2);
}

std::string KeyDefault(const std::string &Key)
{
    return GetToken(Key, "\r", 3);
}

std::int64_t TSettings::ReadInt64(const std::string &Key)
{
    // The hexadecimal forms "0x1F" and "$1F" both convert.
    std::int64_t value = 0;
    if (TryTextToInt64(ReadString(Key), value))
        return value;
    if (TryTextToInt64(KeyDefault(Key), value))
        return value;
    return 0;
}

bool TSettings::ReadBool(const std::string &Key)
{
    return ReadInteger(Key) != 0;
}

TDateTime TSettings::ReadDate(const std::string &Key)
{
    return StrToDateTimeMask("YYYY-MM-DD", ReadString(Key));
}

double TSettings::ReadFloat(const std::string &Key)
{
    return DecStrToFloat(ReadString(Key), '.', 0);
}

std::string TSettings::ReadScrambled(const std::string &Key, const std::string &XorKey, std::uint8_t Mode)
{
    return Mode == 1 ? HexXorDecode(ReadString(Key), XorKey) : ReadString(Key);
}

void TSettings::WriteInt64(const std::string &Key, std::int64_t Value)
{
    WriteString(Key, std::to_string(Value));
}

void TSettings::WriteBool(const std::string &Key, bool Value)
{
    WriteInteger(Key, IfThenInt(Value, 1, 0));
}

void TSettings::WriteDate(const std::string &Key, TDateTime Value)
{
    // The day of the count (the fraction is the time of day), years 1 to 9999.
    const double day = std::trunc(Value);
    if (!(day >= -693593.0 && day <= 2958465.0))
        throw EConvertError("Invalid argument to date encode");
    // Days from 1 March of the year 0 (day 0 is 30 December 1899), then the
    // civil date of that count.
    const long long z = static_cast<long long>(day) + 693899;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const long long d = doy - (153 * mp + 2) / 5 + 1;
    const long long m = mp < 10 ? mp + 3 : mp - 9;
    const long long y = yoe + era * 400 + (m <= 2 ? 1 : 0);
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld", y, m, d);
    WriteString(Key, text);
}

void TSettings::WriteFloat(const std::string &Key, double Value)
{
    WriteString(Key, FloatToDecStrTrim(Value, 10, '.'));
}

void TSettings::WriteScrambled(const std::string &Key, const std::string &XorKey, const std::string &Value, std::uint8_t Mode)
{
    WriteString(Key, Mode == 1 ? HexXorEncode(Value, XorKey) : Value);
}

void EstimateTotal(int Position, int Maximum, double &Estimate, double StartValue, double NowValue)
{
    const double d = NowValue - StartValue;
    if (d > 0 && Position > 0)
        Estimate = d * Maximum / Position;
    else
        Estimate = 0;
}

void TProgress::Start(std::uint8_t Options, const std::string &Caption, int Max)
{
    Add(CreateNode(Options, Caption, Max));
}

void TProgress::Stop()
{
    if (Last)
        Delete(Last);
}

void TProgress::StopAll()
{
    Clear();
}
