#include "profiler/LibArvilo.h"

#include "base/VrnFiles.h"
#include "base/VrnHome.h"
#include "platform/Dialogs.h"
#include "platform/Shell.h"
#include "tests/common/ContainerCheck.h"
#include "tests/common/OneVariation.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace containertest;

namespace {

TArvilo_Var *AddVar(TArvilo &P, const std::string &Title = "default")
{
    auto *v = new TArvilo_Var(&P);
    v->Params.Title = Title;
    P.AddChild(v);
    return v;
}

TArvilo_Var *Var(TArvilo &P, int Index)
{
    return dynamic_cast<TArvilo_Var *>(P.GetItem(Index));
}

double DoubleAt(const TBytes &B, std::size_t At)
{
    std::uint64_t u = 0;
    for (int i = 7; i >= 0; --i)
        u = u << 8 | B.at(At + static_cast<std::size_t>(i));
    double d;
    std::memcpy(&d, &u, 8);
    return d;
}

class ArviloFile : public ::testing::Test {
protected:
    // A save without the outer coding: the container itself.
    TBytes SavePlain(TArvilo &P)
    {
        TStreamSettings s;
        s.FileName = name;
        s.Compress = false;
        P.SetFileInfoAndSettings(ProjectFileInfo, s);
        EXPECT_TRUE(P.Save());
        return ReadAll(name);
    }
    QStringList Entries() const { return FolderEntries(dir.path()); }

    // A project that loaded True must be whole: variations only, owned and
    // registered, and it must save into a sound container that loads again.
    void ExpectSane(TArvilo &P)
    {
        ASSERT_EQ(P.Registry.size(), static_cast<std::size_t>(1 + P.Count));
        for (TListNode *c = P.First; c; c = c->Next) {
            auto *v = dynamic_cast<TArvilo_Var *>(c);
            ASSERT_TRUE(v);
            EXPECT_EQ(v->OwnerNode, &P);
            EXPECT_EQ(v->Owner, &P);
        }
        const std::string again = dir.filePath("again.arv").toStdString();
        ASSERT_TRUE(P.SaveToFile(again));
        std::vector<TBlock> blocks;
        ASSERT_TRUE(IsSoundContainer(Decode(ReadAll(again)), blocks));
        EXPECT_EQ(blocks.size(), static_cast<std::size_t>(1 + P.Count));
        TArvilo q(nullptr);
        ASSERT_TRUE(q.LoadFromFile(again));
        EXPECT_EQ(q.Count, P.Count);
    }

    QTemporaryDir dir;
    const std::string name = dir.filePath("p.arv").toStdString();
};

void ExpectBlockTable(const std::vector<TBlock> &Blocks, std::size_t I, std::int32_t Offset, std::int32_t DataSize, std::int32_t Footer,
                      std::int32_t Prev, std::int32_t Next, std::int32_t Count)
{
    SCOPED_TRACE("block " + std::to_string(I));
    const TBlockHeader &h = Blocks.at(I).H;
    EXPECT_EQ(h.Offset, Offset);
    EXPECT_EQ(h.DataSize, DataSize);
    EXPECT_EQ(h.Offsetfooter, Footer);
    EXPECT_EQ(h.OffsetPrev_Block, Prev);
    EXPECT_EQ(h.OffsetNext_Block, Next);
    EXPECT_EQ(h.Count, Count);
}

} // namespace

// ---- the container of a project ----

TEST_F(ArviloFile, ProjectWithoutVariations)
{
    TArvilo p(nullptr);
    const TBytes b = SavePlain(p);
    ASSERT_EQ(b.size(), 1206u);
    std::vector<TBlock> blocks;
    ASSERT_TRUE(IsSoundContainer(b, blocks));
    ASSERT_EQ(blocks.size(), 1u);
    ExpectBlockTable(blocks, 0, 400, 766, 1166, 0, 0, 0);
    EXPECT_EQ(I32(b, 306), 1206);
    EXPECT_EQ(I32(b, 326), 1186);
    EXPECT_EQ(I32(b, 318), 1);
    EXPECT_EQ(I32(b, 310), 1);
    EXPECT_EQ(I32(b, 314), 0);
    EXPECT_EQ(std::string(b.begin() + 49, b.begin() + 49 + b[48]), name);
    const TBlockHeader &h = blocks[0].H;
    EXPECT_EQ(h.ID, p.GetID());
    EXPECT_EQ(h.ClassName, "TArvilo");
    EXPECT_EQ(h.ClassKind, ckList);
    EXPECT_EQ(h.Objectversion, "1.0.1");
    EXPECT_TRUE(h.LastCaption.empty());
    EXPECT_FALSE(h.IsLinked);

    // A new project's data: "unknown", zeros, and the empty comment.
    EXPECT_EQ(std::string(b.begin() + 650, b.begin() + 658), "\x07unknown");
    EXPECT_TRUE(AllZero(b, 658, 512 - 8));
    EXPECT_TRUE(AllZero(b, 1162, 4));

    // Coded, the same container.
    ASSERT_TRUE(p.SaveToFile(name));
    const TBytes coded = ReadAll(name);
    EXPECT_LT(coded.size(), b.size());
    EXPECT_EQ(Decode(coded), b);
}

TEST_F(ArviloFile, ProjectWithTwoVariations)
{
    TArvilo p(nullptr);
    TArvilo_Var *v1 = AddVar(p);
    AddVar(p);
    const TBytes b = SavePlain(p);
    ASSERT_EQ(b.size(), 2626u);
    std::vector<TBlock> blocks;
    ASSERT_TRUE(IsSoundContainer(b, blocks));
    ASSERT_EQ(blocks.size(), 3u);
    ExpectBlockTable(blocks, 0, 400, 2186, 2586, 0, 1166, 2);
    ExpectBlockTable(blocks, 1, 1166, 690, 1856, 400, 1876, 0);
    ExpectBlockTable(blocks, 2, 1876, 690, 2566, 1166, 0, 0);
    EXPECT_EQ(I32(b, 306), 2626);
    EXPECT_EQ(I32(b, 326), 2606);
    EXPECT_EQ(I32(b, 318), 3);
    EXPECT_EQ(I32(b, 310), 1);
    EXPECT_EQ(I32(b, 314), 2);
    for (std::size_t i : {1u, 2u}) {
        const TBlockHeader &h = blocks[i].H;
        EXPECT_EQ(h.ClassName, "TArvilo_Var");
        EXPECT_EQ(h.ClassKind, ckNode);
        EXPECT_EQ(h.Objectversion, "0.0.1");
        EXPECT_EQ(h.ID_owner, p.GetID());
        EXPECT_TRUE(h.IsLinked);
        EXPECT_EQ(h.LastCaption, "Var" + std::to_string(i) + " default");
    }
    EXPECT_EQ(blocks[1].H.ID, v1->GetID());

    // A new variation's parameters.
    const std::size_t params = 1166 + 250;
    EXPECT_EQ(std::string(b.begin() + params, b.begin() + params + 8), "\x07" "default");
    EXPECT_TRUE(AllZero(b, params + 8, 256 - 8));
    EXPECT_EQ(b[params + 256], 8);
    EXPECT_EQ(TBytes(b.begin() + params + 257, b.begin() + params + 265), (TBytes{0, 0, 0, 0, 0, 0x40, 0x8F, 0x40}));
    const std::vector<std::pair<std::size_t, double>> doubles{{265, 50.0}, {273, 43.4}, {281, 29.56}, {289, 30.0}, {297, 28.0},
                                                              {305, 50.0}, {313, 30.0}, {335, 100.0}, {343, 10.0}, {351, 5.0},
                                                              {359, 3.0},  {367, 1000.0}, {375, 1000.0}};
    for (const auto &[at, value] : doubles)
        EXPECT_EQ(DoubleAt(b, params + at), value) << "at " << at;
    EXPECT_EQ(I32(b, params + 321), 3);
    EXPECT_EQ(b[params + 325], 1);
    EXPECT_EQ(b[params + 326], 1);
    EXPECT_EQ(I32(b, params + 327), 355);
    EXPECT_EQ(I32(b, params + 331), 300);
    EXPECT_TRUE(AllZero(b, params + 383, 436 - 383));
    EXPECT_TRUE(AllZero(b, params + 436, 4)) << "the empty comment";

    ASSERT_TRUE(p.SaveToFile(name));
    EXPECT_EQ(Decode(ReadAll(name)), b);
}

TEST_F(ArviloFile, RoundTripKeepsEverything)
{
    TArvilo p(nullptr);
    p.Block.Title = "Pasteur \xFC" "ber alles";
    p.Block.CultureStock = "G. stearothermophilus";
    p.Comment = std::string("line 1\r\nline \xE4\0", 15);
    for (int i = 0; i < 3; ++i) {
        TArvilo_Var *v = AddVar(p, "v" + std::to_string(i));
        v->Params.Profile = static_cast<std::uint8_t>(i);
        v->Params.Da = 1.0 / (i + 3);
        v->Params.Resolution = -i;
        v->Params.View3D = i == 1;
        v->Params.Reserved[10] = 0x5A; // carried through unread
        v->Comment = std::string(static_cast<std::size_t>(i) * 1000, static_cast<char>('a' + i));
    }
    ASSERT_TRUE(p.SaveToFile(name));
    const TBytes coded = ReadAll(name);
    std::vector<TBlock> blocks;
    ASSERT_TRUE(IsSoundContainer(Decode(coded), blocks));

    TArvilo q(nullptr);
    AddVar(q, "replaced by the load");
    ASSERT_TRUE(q.LoadFromFile(name));
    EXPECT_EQ(q.GetID(), p.GetID());
    EXPECT_EQ(q.Block.Title, p.Block.Title);
    EXPECT_EQ(q.Block.CultureStock, p.Block.CultureStock);
    EXPECT_EQ(q.Comment, p.Comment);
    EXPECT_EQ(q.LoadedVersion, "1.0.1");
    ASSERT_EQ(q.Count, 3);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        TArvilo_Var *a = Var(p, i);
        TArvilo_Var *b = Var(q, i);
        EXPECT_EQ(b->GetID(), a->GetID());
        EXPECT_EQ(blocks[static_cast<std::size_t>(i) + 1].H.ID_owner, p.GetID());
        EXPECT_EQ(b->OwnerNode, &q);
        EXPECT_EQ(b->Params.Title, a->Params.Title);
        EXPECT_EQ(b->Params.Profile, a->Params.Profile);
        EXPECT_EQ(b->Params.Da, a->Params.Da);
        EXPECT_EQ(b->Params.Resolution, a->Params.Resolution);
        EXPECT_EQ(b->Params.View3D, a->Params.View3D);
        EXPECT_EQ(b->Params.Reserved, a->Params.Reserved);
        EXPECT_EQ(b->Comment, a->Comment);
        EXPECT_EQ(b->LoadedVersion, "0.0.1");
    }

    // The same name, the same file: IDs and every byte survive.
    ASSERT_TRUE(q.SaveToFile(name));
    EXPECT_EQ(ReadAll(name), coded);
    EXPECT_EQ(Entries(), QStringList{"p.arv"});
}

TEST_F(ArviloFile, SavesAfterEditsHoldTheirOwnValues)
{
    TArvilo p(nullptr);
    AddVar(p, std::string(200, 'T'));
    AddVar(p);
    p.Block.Title = std::string(255, 'x');
    SavePlain(p);
    p.Delete(p.Last);
    Var(p, 0)->Params.Title = "ab";
    p.Block.Title = "s";
    const TBytes b = SavePlain(p);
    ASSERT_EQ(b.size(), 1916u);
    std::vector<TBlock> blocks;
    ASSERT_TRUE(IsSoundContainer(b, blocks));
    EXPECT_EQ(blocks[1].H.OffsetNext_Block, 0) << "no longer followed by a block";
    EXPECT_FALSE(blocks[1].H.IsLinked);
    EXPECT_EQ(blocks[1].H.LastCaption, "Var1 ab");
    EXPECT_EQ(std::string(b.begin() + 650, b.begin() + 652), "\x01s");
    EXPECT_TRUE(AllZero(b, 652, 254)) << "no remnant of the longer title";
    EXPECT_EQ(std::string(b.begin() + 1416, b.begin() + 1419), "\x02" "ab");
    EXPECT_TRUE(AllZero(b, 1419, 253));

    // Loaded and saved plain again: the same container.
    WriteAll(name, Code(b));
    TArvilo q(nullptr);
    ASSERT_TRUE(q.LoadFromFile(name));
    EXPECT_EQ(SavePlain(q), b);
}

// ---- damaged and foreign files ----

TEST_F(ArviloFile, DamagedFilesLoadFalse)
{
    TArvilo p(nullptr);
    AddVar(p);
    AddVar(p);
    const TBytes container = SavePlain(p);
    const TBytes coded = Code(container);
    ASSERT_GT(coded.size(), 20u);

    std::vector<std::pair<std::string, TBytes>> cases;
    cases.emplace_back("empty file", TBytes{});
    cases.emplace_back("one byte", TBytes{0});
    cases.emplace_back("truncated table", TBytes(coded.begin(), coded.begin() + 12));
    TBytes longTable = coded;
    PutI32(longTable, 1, 1493);
    cases.emplace_back("table length beyond 1492", longTable);
    // Four 2-bit codes; the data's last byte holds only 1 valid bit.
    cases.emplace_back("bit stream ending inside a code",
                       TBytes{1, 12, 0, 0, 0, 0, 2, 0x00, 1, 2, 0x40, 2, 2, 0x80, 3, 2, 0xC0, 0x1B, 0x00});
    cases.emplace_back("bit stream cut in half", TBytes(coded.begin(), coded.begin() + static_cast<long>(coded.size() / 2)));
    cases.emplace_back("PNG", TBytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'});
    const std::string text = "Title=Kettle 3\nComment=none\n";
    cases.emplace_back("text", TBytes(text.begin(), text.end()));
    cases.emplace_back("coded empty container", Code(TBytes{}));
    cases.emplace_back("coded container cut inside the stream header", Code(TBytes(container.begin(), container.begin() + 300)));
    cases.emplace_back("coded container cut inside the second variation",
                       Code(TBytes(container.begin(), container.begin() + 1876 + 250 + 100)));

    TBytes comment = container;
    PutI32(comment, 1162, 0x7FFFFFFF);
    cases.emplace_back("comment longer than the file", Code(comment));
    TArvilo empty(nullptr);
    TBytes lastComment = SavePlain(empty);
    PutI32(lastComment, 1162, 0x7FFFFFFF);
    cases.emplace_back("comment of the only block longer than the file", Code(lastComment));
    TBytes negative = container;
    PutI32(negative, 1166 + 250 + 436, -5);
    cases.emplace_back("negative comment length", Code(negative));
    TBytes count = container;
    PutI32(count, 400 + bhCount, 0x7FFFFFFF);
    cases.emplace_back("child count 2^31-1", Code(count));
    PutI32(count, 400 + bhCount, -1);
    cases.emplace_back("negative child count", Code(count));
    for (std::size_t block : {400u, 1876u}) {
        TBytes noID = container;
        noID[block + bhID] = 0;
        cases.emplace_back("a block without ID at " + std::to_string(block), Code(noID));
    }
    TBytes footer = container;
    PutI32(footer, 400 + bhOffsetfooter, 100000);
    cases.emplace_back("footer beyond the end", Code(footer));

    for (const auto &[what, bytes] : cases) {
        SCOPED_TRACE(what);
        WriteAll(name, bytes);
        TArvilo q(nullptr);
        EXPECT_FALSE(q.LoadFromFile(name));
        EXPECT_EQ(q.Wrappers, nullptr);
        EXPECT_EQ(q.Registry.size(), static_cast<std::size_t>(1 + q.Count));
    }

    // A project whose load failed at its first block keeps its own ID.
    WriteAll(name, cases[cases.size() - 3].second);
    TArvilo kept(nullptr);
    const std::string keptID = kept.GetID();
    EXPECT_FALSE(kept.LoadFromFile(name));
    EXPECT_EQ(kept.GetID(), keptID);

    // The variation cut off in its data keeps what it read; none follows it.
    WriteAll(name, Code(TBytes(container.begin(), container.begin() + 1876 + 250 + 100)));
    TArvilo q(nullptr);
    EXPECT_FALSE(q.LoadFromFile(name));
    ASSERT_EQ(q.Count, 2);
    EXPECT_EQ(Var(q, 1)->Params.Title, "default");
    EXPECT_EQ(Var(q, 1)->GetID(), Var(p, 1)->GetID());

    // A missing file raises, and the project has no variations any more.
    EXPECT_THROW(q.LoadFromFile(dir.filePath("missing.arv").toStdString()), EVrnStreamWrapCreate);
    EXPECT_EQ(q.Count, 0);
    EXPECT_EQ(q.Wrappers, nullptr);
}

TEST_F(ArviloFile, EveryFlippedByteLoadsSafely)
{
    TArvilo p(nullptr);
    p.Comment = "c";
    AddVar(p)->Comment = "vc";
    const TBytes container = SavePlain(p);
    const TBytes coded = Code(container);

    int loadedTrue = 0;
    auto tryLoad = [&](const TBytes &Bytes, const std::string &What) {
        SCOPED_TRACE(What);
        WriteAll(name, Bytes);
        TArvilo q(nullptr);
        if (q.LoadFromFile(name)) {
            ++loadedTrue;
            ExpectSane(q);
        } else {
            EXPECT_EQ(q.Registry.size(), static_cast<std::size_t>(1 + q.Count));
        }
    };
    // The coded file: the coder's table and bit stream.
    for (std::size_t i = 0; i < coded.size(); ++i) {
        TBytes b = coded;
        b[i] ^= 0xFF;
        tryLoad(b, "coded byte " + std::to_string(i));
        if (HasFatalFailure() || HasFailure())
            return;
    }
    // The container, coded correctly: every header field, data byte and footer.
    for (std::size_t i = 0; i < container.size(); ++i) {
        for (std::uint8_t mask : {0xFF, 0x01}) {
            TBytes b = container;
            b[i] ^= mask;
            tryLoad(Code(b), "container byte " + std::to_string(i) + " ^ " + std::to_string(mask));
            if (HasFatalFailure() || HasFailure())
                return;
        }
    }
    EXPECT_GT(loadedTrue, 0);
}

TEST_F(ArviloFile, StoredClassNames)
{
    TArvilo p(nullptr);
    for (int i = 0; i < 3; ++i)
        AddVar(p, "v" + std::to_string(i));
    TBytes b = SavePlain(p);
    std::vector<TBlock> blocks;
    ASSERT_TRUE(IsSoundContainer(b, blocks));

    // Letter case does not matter; the name is kept as stored.
    for (std::size_t i = 1; i <= 3; ++i)
        std::memcpy(&b[static_cast<std::size_t>(blocks[i].H.Offset) + bhClassName + 1], "tarvilo_var", 11);
    WriteAll(name, Code(b));
    TArvilo q(nullptr);
    ASSERT_TRUE(q.LoadFromFile(name));
    ASSERT_EQ(q.Count, 3);
    EXPECT_EQ(Var(q, 2)->Params.Title, "v2");
    EXPECT_EQ(SavePlain(q), b);

    // An unknown class in the middle ends the load there.
    std::memcpy(&b[static_cast<std::size_t>(blocks[2].H.Offset) + bhClassName + 1], "TArvilo_Xyz", 11);
    WriteAll(name, Code(b));
    TArvilo r(nullptr);
    EXPECT_FALSE(r.LoadFromFile(name));
    ASSERT_EQ(r.Count, 1);
    EXPECT_EQ(Var(r, 0)->GetID(), blocks[1].H.ID);
    EXPECT_EQ(Var(r, 0)->Params.Title, "v0");
}

// A kind byte or minimum length damaged in a file does not reach the next save.
TEST_F(ArviloFile, SavesWriteTheClassesOwnKindAndLength)
{
    TArvilo p(nullptr);
    AddVar(p);
    AddVar(p);
    TBytes b = SavePlain(p);
    b[400 + bhClassKind] = ckNode;
    b[1166 + bhClassKind] = ckList;
    PutI32(b, 1876 + bhSpacer, 3000);
    PutI32(b, 1876 + bhIDRef, 0x41414103); // "AAA" in a block that is no reference
    WriteAll(name, Code(b));
    TArvilo q(nullptr);
    ASSERT_TRUE(q.LoadFromFile(name));
    const TBytes again = SavePlain(q);
    ASSERT_EQ(again.size(), 2626u);
    std::vector<TBlock> blocks;
    EXPECT_TRUE(IsSoundContainer(again, blocks));
    EXPECT_EQ(again, SavePlain(p));
}

// ---- failing saves ----

TEST_F(ArviloFile, FailedSaveKeepsTheOldFile)
{
    TArvilo p(nullptr);
    AddVar(p);
    ASSERT_TRUE(p.SaveToFile(name));
    const TBytes before = ReadAll(name);
    AddVar(p)->Comment = std::string(300000, 'z');
    for (int i = 0; i < 200; ++i)
        Var(p, 1)->Comment[static_cast<std::size_t>(i) * 1000] = static_cast<char>(i);

    // The file system refuses to take more than a few kilobytes.
    struct sigaction ignore {}, old {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &old);
    rlimit limit{}, saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    limit = saved;
    limit.rlim_cur = 20000;
    setrlimit(RLIMIT_FSIZE, &limit);
    const bool ok = p.SaveToFile(name);
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &old, nullptr);
    EXPECT_FALSE(ok);
    EXPECT_EQ(ReadAll(name), before);
    EXPECT_EQ(Entries(), QStringList{"p.arv"});

    if (geteuid() != 0) { // the superuser writes into read-only directories
        const std::string ro = dir.path().toStdString();
        chmod(ro.c_str(), 0500);
        EXPECT_THROW(p.SaveToFile(name), EVrnStreamWrapCreate);
        chmod(ro.c_str(), 0700);
        EXPECT_EQ(ReadAll(name), before);
    }
    EXPECT_EQ(p.Wrappers, nullptr);
    EXPECT_TRUE(p.SaveToFile(name));
    TArvilo q(nullptr);
    ASSERT_TRUE(q.LoadFromFile(name));
    EXPECT_EQ(Var(q, 1)->Comment, Var(p, 1)->Comment);
}

// A container without block headers cannot say how many variations follow
// the project's data: a project with variations is not saved so (the old file
// stays), one without them is, and it loads back with its title.
TEST_F(ArviloFile, SavesWithoutBlockHeaders)
{
    TArvilo p(nullptr);
    p.Block.Title = "first";
    p.Comment = "a comment";
    AddVar(p);
    ASSERT_TRUE(p.SaveToFile(name));
    const TBytes before = ReadAll(name);
    TStreamSettings headerless;
    headerless.FileName = name;
    headerless.WriteBlockHeaders = false;
    p.SetFileInfoAndSettings(ProjectFileInfo, headerless);
    EXPECT_FALSE(p.Save());
    EXPECT_EQ(ReadAll(name), before);

    p.ClearChildren();
    p.SetFileInfoAndSettings(ProjectFileInfo, headerless);
    ASSERT_TRUE(p.Save());
    TArvilo q(nullptr);
    ASSERT_TRUE(q.LoadFromFile(name));
    EXPECT_EQ(q.Block.Title, "first");
    EXPECT_EQ(q.Comment, "a comment");
    EXPECT_EQ(q.Count, 0);
}

// ---- the model ----

TEST(ArviloModel, CaptionsAndImages)
{
    TArvilo p(nullptr);
    EXPECT_EQ(p.GetCaption(), "");
    EXPECT_EQ(p.GetImageIndex(), 0);
    EXPECT_EQ(p.GetSelectedIndex(), 0);
    TArvilo_Var *first = AddVar(p);
    AddVar(p, "x");
    TArvilo_Var *third = AddVar(p, "abc");
    EXPECT_EQ(first->GetCaption(), "Var1 default");
    EXPECT_EQ(third->GetCaption(), "Var3 abc");
    EXPECT_EQ(third->GetImageIndex(), 2);
    EXPECT_EQ(third->GetSelectedIndex(), 1);
    p.Delete(first);
    EXPECT_EQ(third->GetCaption(), "Var2 abc");
    TArvilo_Var loose(&p);
    EXPECT_EQ(loose.GetCaption(), "") << "in no list";
    EXPECT_EQ(loose.Params.ZMaxBo, 1000.0);
    EXPECT_EQ(loose.FileInfo.Objectversion, "0.0.1");
    EXPECT_EQ(loose.FileInfo.FileMask, "*.Arw");
}

TEST(ArviloModel, ListOperationsOnAVariation)
{
    TArvilo p(nullptr);
    TArvilo_Var *v = AddVar(p, "kept");
    const std::string id = v->GetID();
    EXPECT_THROW(v->ClearChildren(), EVrnStreamNodeLinkList);
    auto stray = std::make_unique<TArvilo_Var>(&p);
    EXPECT_THROW(v->AddChild(stray.get()), EVrnStreamNodeLinkList);
    EXPECT_EQ(stray->Owner, nullptr);
    EXPECT_EQ(p.First, v);
    EXPECT_EQ(v->GetID(), id);
    EXPECT_EQ(v->Params.Title, "kept");

    EXPECT_EQ(p.FindClass("tarvilo_var"), &TArvilo_Var::Class);
    EXPECT_EQ(p.FindClass("TArvilo"), nullptr);
    auto *head = new TArvilo_Var(&p);
    p.InsertChild(nullptr, head);
    EXPECT_EQ(p.First, head);
    EXPECT_EQ(v->GetCaption(), "Var2 kept");

    stray.reset();
    p.ClearChildren();
    EXPECT_EQ(p.Count, 0);
    EXPECT_EQ(p.Registry.size(), 1u);
}

TEST(ArviloModel, EnumerateVariations)
{
    TArvilo p(nullptr);
    TProjectScope scope(&p);
    std::vector<TArvilo_Var *> seen;
    p.OnVariationLoaded = [&](TArvilo_Var *V) { seen.push_back(V); };
    p.Current = AddVar(p);
    p.ClearChildren();
    p.EnumerateVariations();
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(p.Current, nullptr);

    QTemporaryDir dir;
    const std::string name = dir.filePath("p.arv").toStdString();
    TArvilo source(nullptr);
    for (const char *t : {"a", "b", "c"})
        AddVar(source, t);
    ASSERT_TRUE(source.SaveToFile(name));
    ASSERT_TRUE(p.LoadFromFile(name));
    p.Current = Var(p, 1);
    p.EnumerateVariations();
    EXPECT_EQ(p.Current, nullptr);
    ASSERT_EQ(seen.size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(seen[static_cast<std::size_t>(i)], Var(p, i));
    EXPECT_EQ(seen[2]->Params.Title, "c");

    TArvilo_Var orphan(nullptr);
    EXPECT_THROW(TArvilo::RaiseVariationLoaded(&orphan), EConvertError);
}

TEST(ArviloModel, DialogsAndHomePage)
{
    QTemporaryDir app;
    const std::string oldAppDir = AppDir;
    AppDir = app.path().toStdString() + "/";
    TArvilo p(nullptr);
    TFileDialogRequest open, save;
    p.AttachOpenDialog(open);
    p.AttachSaveDialog(save);
    AppDir = oldAppDir;
    EXPECT_EQ(open.Filter, "Arvilos|*.Arv");
    EXPECT_EQ(open.DefaultExt, "Arv"); // a name typed without extension gets ".Arv"
    EXPECT_EQ(save.DefaultExt, "Arv");
    EXPECT_EQ(open.InitialDir, app.path().toStdString() + "/Arvilos");
    EXPECT_TRUE(QFileInfo(app.filePath("Arvilos")).isDir());
    EXPECT_EQ(save.Filter, "Arvilos|*.Arv");
    EXPECT_EQ(save.InitialDir, open.InitialDir);

    TStreamFileInfo bare = ProjectFileInfo;
    bare.SubDirectory = "";
    p.SetFileInfo(bare);
    TFileDialogRequest plain;
    AppDir = app.path().toStdString() + "/";
    p.AttachOpenDialog(plain);
    AppDir = oldAppDir;
    EXPECT_EQ(plain.InitialDir, app.path().toStdString() + "/");

    std::vector<std::string> opened;
    SetShellOpenHook([&](const std::string &Target) { opened.push_back(Target); });
    OpenHomePage(nullptr);
    SetShellOpenHook({});
    EXPECT_EQ(opened, std::vector<std::string>{VarnekHomePage});
}
