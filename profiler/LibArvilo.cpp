#include "profiler/LibArvilo.h"

#include "base/VrnHome.h"
#include "platform/Shell.h"

#include "model/UntBodenstein.h"
#include "platform/FpGuard.h"
#include "platform/SystemText.h"
#include "platform/WorkerPool.h"

#include <QComboBox>

#include <algorithm>
#include <atomic>
#include <bit>
#include <charconv>
#include <cfenv>
#include <cstring>
#include <limits>
#include <mutex>
#include <vector>

TArvilo *Project = nullptr;

const TStreamFileInfo ProjectFileInfo = {"1.0.1", "*.Arv", "Arvilos", "Arvilos", 0};
const TStreamFileInfo VariationFileInfo = {"0.0.1", "*.Arw", "Arvilo\\Vars", "Arvilo Simulation Var", 0};

namespace {

// Field by field, little-endian, at fixed offsets.
class TPacker {
public:
    explicit TPacker(std::uint8_t *Bytes) : P(Bytes) {}
    template <std::size_t N>
    void Str(const ShortString<N> &S)
    {
        S.Store(P);
        P += N + 1;
    }
    void Byte(std::uint8_t V) { *P++ = V; }
    void Int(std::int32_t V) { Raw(static_cast<std::uint64_t>(static_cast<std::uint32_t>(V)), 4); }
    void Dbl(double V) { Raw(std::bit_cast<std::uint64_t>(V), 8); }

private:
    void Raw(std::uint64_t V, int N)
    {
        for (int i = 0; i < N; ++i)
            *P++ = static_cast<std::uint8_t>(V >> (8 * i));
    }
    std::uint8_t *P;
};

class TUnpacker {
public:
    explicit TUnpacker(const std::uint8_t *Bytes) : P(Bytes) {}
    template <std::size_t N>
    void Str(ShortString<N> &S)
    {
        S.Load(P);
        P += N + 1;
    }
    std::uint8_t Byte() { return *P++; }
    std::int32_t Int() { return static_cast<std::int32_t>(static_cast<std::uint32_t>(Raw(4))); }
    double Dbl() { return std::bit_cast<double>(Raw(8)); }

private:
    std::uint64_t Raw(int N)
    {
        std::uint64_t v = 0;
        for (int i = 0; i < N; ++i)
            v |= static_cast<std::uint64_t>(*P++) << (8 * i);
        return v;
    }
    const std::uint8_t *P;
};

} // namespace

TArviloBlock::TBytes TArviloBlock::Pack() const
{
    TBytes bytes{};
    TPacker p(bytes.data());
    p.Str(Title);
    p.Str(CultureStock);
    return bytes;
}

void TArviloBlock::Unpack(const TBytes &Bytes)
{
    TUnpacker u(Bytes.data());
    u.Str(Title);
    u.Str(CultureStock);
}

TArviloVarParams::TBytes TArviloVarParams::Pack() const
{
    TBytes bytes{};
    TPacker p(bytes.data());
    p.Str(Title);
    p.Byte(Profile);
    for (double v : {ZMaxBo, ZMaxS, Da, S, DaMin, SMin, DaMax, SMax})
        p.Dbl(v);
    p.Int(Resolution);
    p.Byte(View3D ? 1 : 0);
    p.Byte(ShowPoints ? 1 : 0);
    p.Int(Elevation);
    p.Int(Rotation);
    for (double v : {Bo, N, BoMin, NMin, BoMax, NMax})
        p.Dbl(v);
    std::memcpy(bytes.data() + ReservedOffset, Reserved.data(), Reserved.size());
    return bytes;
}

void TArviloVarParams::Unpack(const TBytes &Bytes)
{
    TUnpacker u(Bytes.data());
    u.Str(Title);
    Profile = u.Byte();
    for (double *v : {&ZMaxBo, &ZMaxS, &Da, &S, &DaMin, &SMin, &DaMax, &SMax})
        *v = u.Dbl();
    Resolution = u.Int();
    View3D = u.Byte() != 0;
    ShowPoints = u.Byte() != 0;
    Elevation = u.Int();
    Rotation = u.Int();
    for (double *v : {&Bo, &N, &BoMin, &NMin, &BoMax, &NMax})
        *v = u.Dbl();
    std::memcpy(Reserved.data(), Bytes.data() + ReservedOffset, Reserved.size());
}

void DefaultVarParams(TArviloVarParams &Params)
{
    Params = TArviloVarParams();
    Params.Title = "default";
    Params.Profile = 8;
    Params.ZMaxBo = 1000.0;
    Params.ZMaxS = 50.0;
    Params.Da = 43.4;
    Params.S = 29.56;
    Params.DaMin = 30.0;
    Params.SMin = 28.0;
    Params.DaMax = 50.0;
    Params.SMax = 30.0;
    Params.Resolution = 3;
    Params.View3D = true;
    Params.ShowPoints = true;
    Params.Elevation = 355;
    Params.Rotation = 300;
    Params.Bo = 100.0;
    Params.N = 10.0;
    Params.BoMin = 5.0;
    Params.NMin = 3.0;
    Params.BoMax = 1000.0;
    Params.NMax = 1000.0;
}

namespace {

// A record read through the wrapper: a short read leaves what was there over
// the current values and reports False.
template <class TRecord>
bool ReadRecord(TStreamWrapper &Wrapper, TRecord &Record)
{
    typename TRecord::TBytes bytes = Record.Pack();
    const bool ok = Wrapper.ReadBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    Record.Unpack(bytes);
    return ok;
}

template <class TRecord>
bool WriteRecord(TStreamWrapper &Wrapper, const TRecord &Record)
{
    const typename TRecord::TBytes bytes = Record.Pack();
    return Wrapper.WriteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
}

} // namespace

// ---- TArvilo ----

const TStreamNodeClass TArvilo::Class = {"TArvilo", [](TStreamNode *Owner) -> TStreamNode * { return new TArvilo(Owner); }};

TArvilo::TArvilo(TStreamNode *Owner)
    : TStreamList(Owner, "TArvilo")
{
    SetFileInfo(ProjectFileInfo);
    TArvilo::BeforeLoad(); // the texts of a new project
}

void TArvilo::BeforeLoad()
{
    Block = TArviloBlock();
    Block.Title = "unknown";
    Comment.clear();
}

bool TArvilo::ReadData(TStreamWrapper &Wrapper)
{
    const bool ok = ReadRecord(Wrapper, Block);
    // A comment that is not all there is damage too, not a loaded project.
    const bool commentOk = ReadLongString(Wrapper, Comment);
    return ok && commentOk;
}

bool TArvilo::WriteData(TStreamWrapper &Wrapper)
{
    const bool ok = WriteRecord(Wrapper, Block);
    WriteLongString(Wrapper, Comment);
    return ok;
}

void TArvilo::GetClassMap(TClassMaps &Map) const
{
    AddToClassMap(Map, TArvilo_Var::Class);
}

void TArvilo::MarkSaved(const TArviloBlock &ShownBlock, const std::string &ShownComment)
{
    SavedBlock = ShownBlock.Pack();
    SavedComment = ShownComment;
    SavedOrder.clear();
    SavedOrder.reserve(static_cast<std::size_t>(Count));
    // Every child is a variation (the class map has no other class).
    for (TListNode *node = First; node; node = node->Next) {
        auto *v = static_cast<TArvilo_Var *>(node);
        SavedOrder.push_back(v->Serial);
        v->Saved.reset();
    }
}

bool TArvilo::DiffersFromSaved(const TArviloBlock &ShownBlock, const std::string &ShownComment) const
{
    if (ShownBlock.Pack() != SavedBlock || ShownComment != SavedComment)
        return true;
    std::size_t i = 0;
    for (const TListNode *node = First; node; node = node->Next) {
        const auto *v = static_cast<const TArvilo_Var *>(node);
        if (i >= SavedOrder.size() || SavedOrder[i++] != v->Serial || v->DiffersFromSaved())
            return true;
    }
    return i != SavedOrder.size();
}

void TArvilo::EnumerateVariations()
{
    if (Project)
        Project->Current = nullptr;
    TStreamNode *cursor;
    StartIteration(cursor);
    while (NextNode(cursor))
        RaiseVariationLoaded(static_cast<TArvilo_Var *>(cursor));
}

void TArvilo::RaiseVariationLoaded(TArvilo_Var *Variation)
{
    auto *owner = dynamic_cast<TArvilo *>(Variation->OwnerNode);
    if (!owner)
        throw EConvertError("Invalid class typecast");
    if (owner->OnVariationLoaded)
        owner->OnVariationLoaded(Variation);
}

// ---- TArvilo_Var ----

const TStreamNodeClass TArvilo_Var::Class = {"TArvilo_Var",
                                             [](TStreamNode *Owner) -> TStreamNode * { return new TArvilo_Var(Owner); }};

namespace {
std::atomic<std::uint64_t> LastSerial{0};
} // namespace

TArvilo_Var::TArvilo_Var(TStreamNode *Owner)
    : TStreamNode(Owner, "TArvilo_Var", ckNode), Serial(++LastSerial)
{
    SetFileInfo(VariationFileInfo);
    DefaultVarParams(Params);
}

std::string TArvilo_Var::GetCaption() const
{
    std::string caption;
    AppendCaption(caption);
    return caption;
}

void TArvilo_Var::AppendCaption(std::string &Out) const
{
    if (!Owner)
        return;
    char number[16];
    const auto end = std::to_chars(number, number + sizeof number, Owner->IndexOf(this) + 1).ptr;
    Out.append("Var").append(number, end).append(1, ' ').append(Params.Title.str());
}

void TArvilo_Var::KeepSaved()
{
    if (!Saved)
        Saved.reset(new TSavedContent{Params.Pack(), Comment});
}

bool TArvilo_Var::DiffersFromSaved() const
{
    return Saved && (Saved->Comment != Comment || Saved->Params != Params.Pack());
}

bool TArvilo_Var::ReadData(TStreamWrapper &Wrapper)
{
    const bool ok = ReadRecord(Wrapper, Params);
    const bool commentOk = ReadLongString(Wrapper, Comment);
    return ok && commentOk;
}

bool TArvilo_Var::WriteData(TStreamWrapper &Wrapper)
{
    const bool ok = WriteRecord(Wrapper, Params);
    WriteLongString(Wrapper, Comment);
    return ok;
}

void OpenHomePage(QWidget *)
{
    ShellOpen(VarnekHomePage);
}

// ---- profiles ----

const char *const VarNames[4] = {"Da", "S", "Bo", "n"};

const char *const ProfileNames[ProfileCount] = {
    "Bo [Da, S]", "Bo (Da)[S]", "Bo (S)[Da]", "Bo (n)[Da]", "S [Bo](Da)", "S [Da](Bo)", "S [Da](n)",
    "S [n] (Da)", "Bo (Da, S)", "Bo (S, Da)", "Bo (n, Da)", "S (Da, Bo)", "S (Da, n)"};

const std::uint8_t ProfileChartKind[ProfileCount] = {0, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2};

const bool ProfileFixEnabled[ProfileCount][4] = {
    {1, 1, 0, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {1, 0, 0, 0}, {0, 0, 1, 0}, {1, 0, 0, 0}, {1, 0, 0, 0},
    {0, 0, 0, 1}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}};

const bool ProfileRangeEnabled[ProfileCount][4] = {
    {0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 0, 1}, {1, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1},
    {1, 0, 0, 0}, {1, 1, 0, 0}, {1, 1, 0, 0}, {1, 0, 0, 1}, {1, 0, 1, 0}, {1, 0, 0, 1}};

const std::uint8_t ProfileAxes[ProfileCount][3] = {
    {qBo, qBo, qBo}, {qDa, qDa, qBo}, {qS, qS, qBo}, {qN, qS, qBo}, {qDa, qDa, qS}, {qBo, qBo, qS}, {qN, qN, qS},
    {qDa, qDa, qS}, {qDa, qS, qBo}, {qS, qDa, qBo}, {qN, qDa, qBo}, {qDa, qBo, qS}, {qDa, qN, qS}};

void FillProfileCombo(QComboBox *Combo)
{
    Combo->clear();
    Combo->setEditable(false);
    for (int i = 0; i < ProfileCount; ++i)
        Combo->addItem(ToQ(ProfileNames[i]), i);
    if (Combo->count() > 0)
        Combo->setCurrentIndex(0);
}

double SolveBo(double Da, double S, double BoStart)
{
    const double start = BoStart == 0.0 ? 50.0 : BoStart;
    // The profiler's iteration ends once Bo exceeds 1000; the solver then finds the true root.
    const TBoSolution solution = SolveBoForS(Da, S, 50, 1000.0, start);
    switch (solution.Kind) {
    case TBoRootKind::Root:
        return solution.Bo;
    case TBoRootKind::AboveRange:
        return std::numeric_limits<double>::infinity();
    default:
        return -1.0;
    }
}

namespace {

// The range of a quantity in the parameters.
void RangeOf(const TArviloVarParams &P, std::uint8_t Quantity, double &Min, double &Max)
{
    switch (Quantity) {
    case qDa: Min = P.DaMin; Max = P.DaMax; break;
    case qS: Min = P.SMin; Max = P.SMax; break;
    case qBo: Min = P.BoMin; Max = P.BoMax; break;
    default: Min = P.NMin; Max = P.NMax; break;
    }
}

} // namespace

namespace {

// A profile byte beyond the table, as a damaged file may hold, counts as profile 0.
int ProfileIndexOf(const TArviloVarParams &Params)
{
    return Params.Profile < ProfileCount ? Params.Profile : 0;
}

} // namespace

int TArvilo_Var::ProfileIndex() const
{
    return ProfileIndexOf(Params);
}

namespace {

// The point routines for one set of step counters: the variation's own, or
// those of one point of a run computed on another thread.
class TPointEvaluator {
public:
    TPointEvaluator(const TArviloVarParams &P, std::int32_t X, std::int32_t Series, std::int32_t S)
        : Params(P), XStep(X), SeriesStep(Series), Steps(S),
          Profile(ProfileIndexOf(P))
    {
    }

    double StepValue(bool Series, double Min, double Max) const
    {
        const int i = Series ? SeriesStep : XStep;
        const int steps = Steps;
        return FpGuarded([&]<class Fp>(Fp) {
            const long double offset = Fp::Div(Fp::Mul(i - 1, Fp::Sub(Max, Min)), steps);
            return Fp::Round(Fp::Add(Min, offset));
        });
    }

    void Point2DBo(double &Z, double &X) const
    {
        double Da = Params.Da, S = Params.S, min = 0, max = 0;
        const std::uint8_t xq = ProfileAxes[Profile][axX];
        RangeOf(Params, xq, min, max);
        switch (xq) {
        case qDa: Da = X = StepValue(false, min, max); break;
        case qS: S = X = StepValue(false, min, max); break;
        case qN: X = StepValue(false, min, max); S = STanks(X, Params.Da); break;
        default: break;
        }
        Z = SolveBo(Da, S, 0);
    }

    void Point3DBo(double &Z, double &X, double &Y) const
    {
        double Da = Params.Da, S = Params.S, min = 0, max = 0;
        const std::uint8_t xq = ProfileAxes[Profile][axX];
        const std::uint8_t yq = ProfileAxes[Profile][axY];
        // The same steps for both axes, X first; n is stepped against Da,
        // which then takes the other axis.
        for (const bool series : {false, true}) {
            double &out = series ? Y : X, &other = series ? X : Y;
            const std::uint8_t q = series ? yq : xq;
            RangeOf(Params, q, min, max);
            switch (q) {
            case qDa: Da = out = StepValue(series, min, max); break;
            case qS: S = out = StepValue(series, min, max); break;
            case qN: {
                double dmin, dmax;
                RangeOf(Params, qDa, dmin, dmax);
                Da = other = StepValue(!series, dmin, dmax);
                out = StepValue(series, min, max);
                S = STanks(out, Da);
                break;
            }
            default: break;
            }
        }
        Z = SolveBo(Da, S, 0);
    }

    void Point2DS(double &Z, double &X) const
    {
        double Da = Params.Da, min = 0, max = 0;
        double Bo = ProfileFixEnabled[Profile][qN] ? KindToBo(1, Params.N) : Params.Bo;
        const std::uint8_t xq = ProfileAxes[Profile][axX];
        RangeOf(Params, xq, min, max);
        switch (xq) {
        case qDa: Da = X = StepValue(false, min, max); break;
        case qBo: Bo = X = StepValue(false, min, max); break;
        case qN: X = StepValue(false, min, max); Bo = KindToBo(1, X); break;
        default: break;
        }
        Z = NN0ToKind(0, NN0Dispersion(Da, Bo));
    }

    void Point3DS(double &Z, double &X, double &Y) const
    {
        double Da = Params.Da, Bo = Params.Bo, min = 0, max = 0;
        // The same steps for both axes, X first.
        for (const bool series : {false, true}) {
            const std::uint8_t q = ProfileAxes[Profile][series ? axY : axX];
            double &out = series ? Y : X;
            RangeOf(Params, q, min, max);
            switch (q) {
            case qDa: Da = out = StepValue(series, min, max); break;
            case qBo: Bo = out = StepValue(series, min, max); break;
            case qN: out = StepValue(series, min, max); Bo = KindToBo(1, out); break;
            default: break;
            }
        }
        Z = NN0ToKind(0, NN0Dispersion(Da, Bo));
    }

    void SeriesValue(double &Y) const
    {
        double min = 0, max = 0;
        RangeOf(Params, ProfileAxes[Profile][axY], min, max);
        Y = StepValue(true, min, max);
    }

private:
    const TArviloVarParams &Params;
    const std::int32_t XStep, SeriesStep, Steps;
    const int Profile;
};

} // namespace

double TArvilo_Var::StepValue(bool Series, double Min, double Max) const
{
    return TPointEvaluator(Params, XStep, SeriesStep, Steps).StepValue(Series, Min, Max);
}

double TArvilo_Var::SingleBo() const
{
    return SolveBo(Params.Da, Params.S, 0);
}

void TArvilo_Var::Point2DBo(double &Z, double &X) const
{
    TPointEvaluator(Params, XStep, SeriesStep, Steps).Point2DBo(Z, X);
}

void TArvilo_Var::Point3DBo(double &Z, double &X, double &Y) const
{
    TPointEvaluator(Params, XStep, SeriesStep, Steps).Point3DBo(Z, X, Y);
}

void TArvilo_Var::Point2DS(double &Z, double &X) const
{
    TPointEvaluator(Params, XStep, SeriesStep, Steps).Point2DS(Z, X);
}

void TArvilo_Var::Point3DS(double &Z, double &X, double &Y) const
{
    TPointEvaluator(Params, XStep, SeriesStep, Steps).Point3DS(Z, X, Y);
}

void TArvilo_Var::SeriesValue(double &Y) const
{
    TPointEvaluator(Params, XStep, SeriesStep, Steps).SeriesValue(Y);
}

// ---- the points of a profile run ----

namespace {

// Points handed to a thread at a time: few enough to keep the threads evenly
// busy, many enough that taking them costs nothing.
constexpr std::size_t PointsPerTake = 16;
// Fewer points than this per thread do not pay for starting it.
constexpr std::size_t PointsPerThread = 64;

class TPointRun {
public:
    TPointRun(const TArviloVarParams &Params, std::int32_t Steps, TProfilePoints &Result)
        : Params(Params), Steps(Steps), Result(Result), Kind(ProfileChartKind[ProfileIndexOf(Params)]),
          OutputBo(ProfileAxes[ProfileIndexOf(Params)][axZ] == qBo)
    {
        std::fegetenv(&Environment);
    }

    // Takes points until none is left or a fault ends the run before them.
    void Work()
    {
        // Control words are per thread: compute with those of the thread that started the run.
        std::fesetenv(&Environment);
        const std::size_t count = Result.Points.size();
        for (;;) {
            const std::size_t begin = Next.fetch_add(PointsPerTake, std::memory_order_relaxed);
            const std::size_t end = std::min(begin + PointsPerTake, count);
            for (std::size_t k = begin; k < end; ++k) {
                if (k > FaultAt.load(std::memory_order_relaxed))
                    return;
                try {
                    Evaluate(k);
                } catch (...) {
                    Fault(k, std::current_exception());
                    return;
                }
            }
            if (end == count)
                return;
        }
    }

    void Finish()
    {
        Result.FaultAt = std::min(FaultAt.load(), Result.Points.size());
        Result.Fault = FirstFault;
    }

private:
    void Evaluate(std::size_t k)
    {
        TProfilePoints::TPoint &p = Result.Points[k];
        if (Kind == ck3D) {
            const auto steps = static_cast<std::size_t>(Steps);
            const TPointEvaluator e(Params, static_cast<std::int32_t>(k % steps) + 1,
                                    static_cast<std::int32_t>(k / steps) + 1, Steps);
            if (OutputBo)
                e.Point3DBo(p.Z, p.X, p.Y);
            else
                e.Point3DS(p.Z, p.X, p.Y);
        } else {
            const TPointEvaluator e(Params, static_cast<std::int32_t>(k) + 1, 0, Steps);
            if (OutputBo)
                e.Point2DBo(p.Z, p.X);
            else
                e.Point2DS(p.Z, p.X);
        }
    }

    void Fault(std::size_t k, std::exception_ptr e)
    {
        const std::lock_guard lock(FaultMutex);
        if (k < FaultAt.load()) {
            FirstFault = std::move(e);
            FaultAt.store(k);
        }
    }

    const TArviloVarParams &Params;
    const std::int32_t Steps;
    TProfilePoints &Result;
    const std::uint8_t Kind;
    const bool OutputBo;
    std::fenv_t Environment;
    std::atomic<std::size_t> Next{0};
    std::atomic<std::size_t> FaultAt{std::numeric_limits<std::size_t>::max()};
    std::mutex FaultMutex;
    std::exception_ptr FirstFault;
};

} // namespace

TProfilePoints ComputeProfilePoints(const TArvilo_Var &Var, std::int32_t Steps, int Threads)
{
    TProfilePoints result;
    const std::uint8_t kind = ProfileChartKind[Var.ProfileIndex()];
    if (Steps <= 0 || kind == ckSingleValue)
        return result;
    const auto steps = static_cast<std::size_t>(Steps);
    result.Points.resize(kind == ck3D ? steps * steps : steps);
    TPointRun run(Var.Params, Steps, result);
    if (Threads <= 0)
        Threads = ProcessorCount();
    const std::size_t useful = (result.Points.size() + PointsPerThread - 1) / PointsPerThread;
    RunOnThreads([&run] { run.Work(); }, static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(Threads), useful)));
    run.Finish();
    return result;
}
