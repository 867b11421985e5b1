#pragma once
// Abstract services of the base library: a key/value settings store whose
// typed readers and writers are built once on eight storage operations, and
// the stack of running long operations (progress entries).
#include "base/VrnDateTime.h"
#include "base/VrnLinkList.h"

#include <cstdint>
#include <string>

class TStrings;

// A settings key: section, identifier and default text joined by carriage
// returns ("Section\rIdent" or "Section\rIdent\rDefault"). Integer defaults are
// decimal or hexadecimal after '$' or 0x; a default that does not convert is 0.
// The typed readers write a default back through the reader they use, so a
// key's default must be written in the stored form of its type.
class TSettings {
public:
    TSettings() = default;
    virtual ~TSettings() = default;
    TSettings(const TSettings &) = delete;
    TSettings &operator=(const TSettings &) = delete;

    bool AutoFlush = false;     // every write ends with Flush
    bool WriteDefaults = true;  // a read that gives the key's default writes it back
    std::string FormsSection = "Forms";

    // The storage operations.
    virtual void Flush() = 0;
    virtual int ReadInteger(const std::string &Key) = 0;
    virtual std::string ReadString(const std::string &Key) = 0;
    // Section's entries "1".."Count" into List; Default (lines ending in CR LF)
    // when there are none.
    virtual void ReadStrings(const std::string &Section, TStrings &List, const std::string &Default) = 0;
    virtual void WriteInteger(const std::string &Key, int Value) = 0;
    virtual void WriteString(const std::string &Key, const std::string &Value) = 0;
    // List as "Count" and "1".."Count", dense also when empty items are skipped;
    // Quote encloses each item in single quotes (inner ones doubled).
    virtual void WriteStrings(const std::string &Section, TStrings &List, bool SkipEmpty, bool Quote) = 0;
    // The section names when the key's section is blank, else that section's identifiers.
    virtual void ReadKeys(const std::string &Key, TStrings &List) = 0;

    // Typed operations on top of the storage operations.
    virtual std::int64_t ReadInt64(const std::string &Key);
    virtual bool ReadBool(const std::string &Key);
    // Raises EConvertError for a stored date that does not exist.
    virtual TDateTime ReadDate(const std::string &Key);
    virtual double ReadFloat(const std::string &Key);
    // Mode 1 stores the text scrambled with XorKey; other modes store it plain.
    virtual std::string ReadScrambled(const std::string &Key, const std::string &XorKey, std::uint8_t Mode);
    virtual void WriteInt64(const std::string &Key, std::int64_t Value);
    virtual void WriteBool(const std::string &Key, bool Value);
    // Only the date is stored, as YYYY-MM-DD.
    virtual void WriteDate(const std::string &Key, TDateTime Value);
    virtual void WriteFloat(const std::string &Key, double Value);
    virtual void WriteScrambled(const std::string &Key, const std::string &XorKey, const std::string &Value, std::uint8_t Mode);
};

// The fields of a settings key.
std::string KeySection(const std::string &Key);
std::string KeyIdent(const std::string &Key);
std::string KeyDefault(const std::string &Key);

// The total that a run reaching Position of Maximum between StartValue and
// NowValue projects; 0 when nothing has elapsed or no position was reached.
void EstimateTotal(int Position, int Maximum, double &Estimate, double StartValue, double NowValue);

// Option bits of a progress entry.
inline constexpr std::uint8_t poHourGlass = 0x01; // the busy cursor while this entry is innermost

class TProgress;

// One running operation.
class TProgressNode : public TListNode {
public:
    TDateTime StartTime = 0;
    std::uint8_t Options = 0;
    std::uint32_t NextTextTick = 0; // text updates are shown only once the tick count passed this
    std::uint32_t NextPosTick = 0;  // the same for position updates
    std::int32_t Max = 0;
    bool CancelFlag = false;

    virtual void SetText(const std::string &Text) = 0;
    virtual void SetPosition(int Position, int Maximum) = 0;
    virtual void Refresh() = 0;
    virtual bool Cancelled() = 0;
};

// The stack of running operations; the innermost is the last node.
class TProgress : public TLinkList {
public:
    TProgress() = default;

    std::int32_t UpdateInterval = 500; // milliseconds between two updates of one entry's display
    std::string CancelCaption = "Abbrechen";
    std::string StartCaption = "Start";
    std::string ElapsedCaption = "Vergangen";
    std::string DurationCaption = "Dauer";
    std::string EndCaption = "Ende";
    std::string TimeFormat = "HH:NN:SS";

    virtual TProgressNode *CreateNode(std::uint8_t Options, const std::string &Caption, int Max) = 0;
    // Pushes a new innermost entry.
    virtual void Start(std::uint8_t Options, const std::string &Caption, int Max);
    // Removes and frees the innermost entry, if any.
    virtual void Stop();
    virtual void StopAll();
};
