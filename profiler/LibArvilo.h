#pragma once
// The profiler's document: a project (TArvilo) holding any number of
// variations (TArvilo_Var), both persistent nodes of the stream store.
#include "store/VrnStreamList.h"

#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QComboBox;
class QWidget;

// Quantity codes: the axes of the profile table and the names of axes and series.
enum TQuantity : std::uint8_t { qDa = 0, qS = 1, qBo = 2, qN = 3 };
extern const char *const VarNames[4];

// Chart kinds: a single value, a 2D curve, a 3D family of curves.
enum TChartKind : std::uint8_t { ckSingleValue = 0, ck2D = 1, ck3D = 2 };

constexpr int ProfileCount = 13;
extern const char *const ProfileNames[ProfileCount];
extern const std::uint8_t ProfileChartKind[ProfileCount];
// Per profile and quantity (Da, S, Bo, n): the fixed-value edit, the range edits are enabled.
extern const bool ProfileFixEnabled[ProfileCount][4];
extern const bool ProfileRangeEnabled[ProfileCount][4];
// Per profile: the X quantity, the series quantity Y and the output Z.
enum TAxis { axX = 0, axY = 1, axZ = 2 };
extern const std::uint8_t ProfileAxes[ProfileCount][3];

// The profile names into a combo box, each item carrying its index; the first selected.
void FillProfileCombo(QComboBox *Combo);

// The Bo whose N/N0 is exp(-S) for this Da (BoStart 0 starts at 50): -1 where
// no Bo gives that much (S <= ln(1 + Da)) or on any fault, positive infinity
// where not even plug flow does (S >= Da).
double SolveBo(double Da, double S, double BoStart);

// The project's record: 512 bytes in the file.
struct TArviloBlock {
    static constexpr int StoredSize = 512;
    using TBytes = std::array<std::uint8_t, StoredSize>;

    ShortString<255> Title;
    ShortString<255> CultureStock;

    TBytes Pack() const;
    void Unpack(const TBytes &Bytes);
};

// A variation's parameters: 436 bytes in the file, little-endian, Doubles as
// 8-byte IEEE values.
struct TArviloVarParams {
    static constexpr int StoredSize = 436;
    static constexpr int ReservedOffset = 383;
    using TBytes = std::array<std::uint8_t, StoredSize>;

    ShortString<255> Title;
    std::uint8_t Profile = 0;
    double ZMaxBo = 0;
    double ZMaxS = 0;
    double Da = 0;
    double S = 0;
    double DaMin = 0;
    double SMin = 0;
    double DaMax = 0;
    double SMax = 0;
    std::int32_t Resolution = 0;
    bool View3D = false;
    bool ShowPoints = false;
    std::int32_t Elevation = 0;
    std::int32_t Rotation = 0;
    double Bo = 0;
    double N = 0;
    double BoMin = 0;
    double NMin = 0;
    double BoMax = 0;
    double NMax = 0;
    // Read by nothing; kept as read so that a loaded file saves back unchanged.
    std::array<std::uint8_t, StoredSize - ReservedOffset> Reserved{};

    TBytes Pack() const;
    void Unpack(const TBytes &Bytes);
};

void DefaultVarParams(TArviloVarParams &Params);

extern const TStreamFileInfo ProjectFileInfo;
extern const TStreamFileInfo VariationFileInfo;

class TArvilo_Var;

class TArvilo : public TStreamList {
public:
    explicit TArvilo(TStreamNode *Owner);
    static const TStreamNodeClass Class;

    int GetImageIndex() const override { return 0; }
    int GetSelectedIndex() const override { return 0; }
    bool ReadData(TStreamWrapper &Wrapper) override;
    bool WriteData(TStreamWrapper &Wrapper) override;
    void GetClassMap(TClassMaps &Map) const override;
    // A load starts from a new project's texts, so that what the file does
    // not hold (all of it, when it cannot be read) is no remnant of the
    // project loaded before.
    void BeforeLoad() override;

    // Clears Current and raises OnVariationLoaded once per variation, in order.
    void EnumerateVariations();
    static void RaiseVariationLoaded(TArvilo_Var *Variation);

    // Remembers the project as it is now, with its texts as Block and
    // Comment give them: the document just begun, opened or saved.
    void MarkSaved(const TArviloBlock &ShownBlock, const std::string &ShownComment);
    // Whether a save would write something else than at the last MarkSaved.
    // No second copy of the project is kept for it: the variations' order as
    // serial numbers, and a variation's record and comment only once it is
    // about to change (TArvilo_Var::KeepSaved).
    bool DiffersFromSaved(const TArviloBlock &ShownBlock, const std::string &ShownComment) const;

    TArviloBlock Block;
    std::string Comment;
    TArvilo_Var *Current = nullptr;
    std::function<void(TArvilo_Var *)> OnVariationLoaded;

private:
    TArviloBlock::TBytes SavedBlock{};
    std::string SavedComment;
    std::vector<std::uint64_t> SavedOrder;
};

class TArvilo_Var : public TStreamNode {
public:
    explicit TArvilo_Var(TStreamNode *Owner);
    static const TStreamNodeClass Class;

    // "Var" + the 1-based position in the project + " " + the title.
    std::string GetCaption() const override;
    void AppendCaption(std::string &Out) const override;
    int GetImageIndex() const override { return 2; }
    int GetSelectedIndex() const override { return 1; }
    bool ReadData(TStreamWrapper &Wrapper) override;
    bool WriteData(TStreamWrapper &Wrapper) override;

    // Params.Profile as an index of the profile table; a value no profile has
    // (a damaged file) counts as the first profile.
    int ProfileIndex() const;
    // One step of a range: Min + (i - 1)(Max - Min)/Steps with i the series or X step.
    double StepValue(bool Series, double Min, double Max) const;
    double SingleBo() const;
    void Point2DBo(double &Z, double &X) const;
    void Point2DS(double &Z, double &X) const;
    void Point3DBo(double &Z, double &X, double &Y) const;
    void Point3DS(double &Z, double &X, double &Y) const;
    void SeriesValue(double &Y) const;

    // Called before Params or Comment change: keeps what they held at the
    // project's last MarkSaved, once, so a change can be told from none.
    void KeepSaved();

    TArviloVarParams Params;
    std::string Comment;
    // Counters of a profile run; not stored.
    std::int32_t XStep = 0;
    std::int32_t SeriesStep = 0;
    std::int32_t Steps = 0;
    // Unique in the process: a variation added in the place of a removed
    // one, with the same values, is still another node in the file.
    const std::uint64_t Serial;

private:
    friend class TArvilo;
    struct TSavedContent {
        TArviloVarParams::TBytes Params;
        std::string Comment;
    };
    bool DiffersFromSaved() const;
    std::unique_ptr<TSavedContent> Saved; // null: unchanged since the last MarkSaved
};

// The points of a profile run of Var with Steps steps: for a 2D profile the
// points XStep = 1..Steps, for a 3D profile the series SeriesStep = 1..Steps
// one after the other, each with its points XStep = 1..Steps. Every point is
// what Point2DBo, Point2DS, Point3DBo or Point3DS give for those counters
// (Y only in 3D); Var's own counters are left alone. The points are computed
// on up to Threads threads (0: one per processor) that start with the
// floating-point control words of the calling thread. A fault ends the run
// where it happens in that order: FaultAt is the index of the first point
// whose evaluation raised, Fault what it raised; points from there on are
// not valid. Without a fault FaultAt is the number of points.
struct TProfilePoints {
    struct TPoint {
        double Z = 0, X = 0, Y = 0;
    };
    std::vector<TPoint> Points;
    std::size_t FaultAt = 0;
    std::exception_ptr Fault;
};
TProfilePoints ComputeProfilePoints(const TArvilo_Var &Var, std::int32_t Steps, int Threads = 0);

// The one project of the program.
extern TArvilo *Project;

// Opens the maker's home page in the web browser; failures are ignored.
void OpenHomePage(QWidget *Form);
