#include "base/VrnAbstract.h"

#include "base/VrnStrings.h"
#include "platform/IntText.h"

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
    const std::chrono::year_month_day date = DecodeDate(Value);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()));
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
