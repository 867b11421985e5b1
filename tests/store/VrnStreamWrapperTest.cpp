#include "store/VrnStreamWrapper.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using TBytes = std::vector<std::uint8_t>;

TBytes ReadAll(const std::string &Name)
{
    std::ifstream in(Name, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string &Name, const std::string &Content)
{
    std::ofstream(Name, std::ios::binary) << Content;
}

std::int32_t I32(const TBytes &B, std::size_t At)
{
    return static_cast<std::int32_t>(B.at(At) | B.at(At + 1) << 8 | B.at(At + 2) << 16 | std::uint32_t(B.at(At + 3)) << 24);
}

bool AllZero(const TBytes &B, std::size_t From, std::size_t Count)
{
    for (std::size_t i = From; i < From + Count; ++i)
        if (B.at(i) != 0)
            return false;
    return true;
}

QStringList Entries(const QTemporaryDir &Dir)
{
    return QDir(Dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// A node as the node layer drives it: its header, its footer and the size of
// its own data (a record and an empty long string).
struct TFakeNode {
    TBlockHeader Header;
    TBlockFooter Footer;
    std::int32_t RecordSize = 0;
    std::vector<TFakeNode> Children;

    TFakeNode(TClassKind Kind, const char *ClassName, std::int32_t Size) : RecordSize(Size)
    {
        TStreamWrapper::InitBlockHeader(Header);
        TStreamWrapper::InitBlockFooter(Footer);
        Header.ClassKind = Kind;
        Header.ClassName = ClassName;
        Header.ID = TStreamWrapper::MakeNodeID(ClassName);
    }

    void Save(TStreamWrapper &W)
    {
        Header.Count = static_cast<std::int32_t>(Children.size());
        W.BeginBlock(Header, Footer, false);
        const std::vector<std::uint8_t> record(static_cast<std::size_t>(RecordSize), 0x5A);
        W.WriteBuffer(record.data(), RecordSize);
        WriteLongString(W, "");
        for (auto &child : Children)
            child.Save(W);
        W.EndBlock(Header, Footer, false);
    }
};

TFakeNode Project(int Variations)
{
    TFakeNode p(ckList, "TArvilo", 512);
    for (int i = 0; i < Variations; ++i)
        p.Children.emplace_back(ckNode, "TArvilo_Var", 436);
    return p;
}

// One complete save without compression.
bool SaveTree(const std::string &Name, TFakeNode &Root, std::uint8_t WriteMode = 3)
{
    TStreamWrappers list(nullptr, false, nullptr);
    auto *w = new TFile_StreamWrapper(1, WriteMode, Name);
    list.Add(w);
    w->Open(false);
    Root.Save(*w);
    return w->Close(false, true);
}

void ExpectBlock(const TBytes &B, std::int32_t At, std::int32_t DataSize, std::int32_t Footer, std::int32_t Prev, std::int32_t Next,
                 std::int32_t Count)
{
    SCOPED_TRACE("block at " + std::to_string(At));
    EXPECT_EQ(I32(B, At + 209), DataSize);
    EXPECT_EQ(I32(B, At + 217), Count);
    EXPECT_EQ(I32(B, At + 221), At);
    EXPECT_EQ(I32(B, At + 225), Next);
    EXPECT_EQ(I32(B, At + 229), Prev);
    EXPECT_EQ(I32(B, At + 233), 0);
    EXPECT_EQ(I32(B, At + 237), 0);
    EXPECT_EQ(I32(B, At + 241), 150);
    EXPECT_EQ(I32(B, At + 245), Footer);
    EXPECT_EQ(I32(B, Footer), 20);
    EXPECT_EQ(I32(B, Footer + 4), At);
    EXPECT_TRUE(AllZero(B, Footer + 8, 12));
}

void ExpectStreamHeader(const TBytes &B, const std::string &Name, std::int32_t Size, std::int32_t Lists, std::int32_t Nodes)
{
    ASSERT_EQ(static_cast<std::int32_t>(B.size()), Size);
    EXPECT_EQ(B[0], 5);
    EXPECT_EQ(std::string(B.begin() + 1, B.begin() + 6), "0.0.1");
    EXPECT_EQ(std::string(B.begin() + 14, B.begin() + 19), "0.0.1");
    EXPECT_EQ(B[26], 0);
    EXPECT_EQ(B[47], stFile);
    EXPECT_EQ(B[48], Name.size());
    EXPECT_EQ(std::string(B.begin() + 49, B.begin() + 49 + static_cast<long>(Name.size())), Name);
    EXPECT_TRUE(AllZero(B, 49 + Name.size(), 255 - Name.size()));
    EXPECT_EQ(B[304], 1);
    EXPECT_EQ(B[305], 1);
    EXPECT_EQ(I32(B, 306), Size);
    EXPECT_EQ(I32(B, 310), Lists);
    EXPECT_EQ(I32(B, 314), Nodes);
    EXPECT_EQ(I32(B, 318), Lists + Nodes);
    EXPECT_EQ(I32(B, 322), 400);
    EXPECT_EQ(I32(B, 326), Size - 20);
    EXPECT_TRUE(AllZero(B, 330, 70));
    EXPECT_EQ(I32(B, Size - 20), 20);
    EXPECT_EQ(I32(B, Size - 16), 0);
    EXPECT_TRUE(AllZero(B, static_cast<std::size_t>(Size - 12), 12));
}

// A directory per test with one container file in it.
class StreamFile : public ::testing::Test {
protected:
    // Saves Root into the file and reads it back as bytes.
    TBytes Save(TFakeNode &Root, std::uint8_t WriteMode = 3)
    {
        EXPECT_TRUE(SaveTree(name, Root, WriteMode));
        return ReadAll(name);
    }
    // A wrapper that has opened the file for a load.
    TStreamWrapper &Load()
    {
        auto *w = new TFile_StreamWrapper(0, 0, name);
        loads.Add(w);
        w->Open(true);
        return *w;
    }
    // A load that has read the root's header and that of its first child at 1166.
    TStreamWrapper &LoadFirstChild(TBlockHeader &Root, TBlockFooter &RootFooter, TBlockHeader &Child, TBlockFooter &ChildFooter)
    {
        TStreamWrapper &w = Load();
        EXPECT_TRUE(w.BeginBlock(Root, RootFooter, true));
        w.Seek(1166, soBeginning);
        EXPECT_TRUE(w.BeginBlock(Child, ChildFooter, true));
        return w;
    }

    QTemporaryDir dir;
    const std::string name = dir.filePath("p.arv").toStdString();
    TStreamWrappers loads{nullptr, false, nullptr};
};

using StreamContainer = StreamFile;
using StreamWrapper = StreamFile;

} // namespace

TEST_F(StreamContainer, ProjectWithoutVariations)
{
    TFakeNode p = Project(0);
    const TBytes b = Save(p);
    ExpectStreamHeader(b, name, 1206, 1, 0);
    ExpectBlock(b, 400, 766, 1166, 0, 0, 0);
    EXPECT_EQ(b[400 + 187], ckList);
    EXPECT_TRUE(AllZero(b, 400 + 250 + 512, 4)); // the empty comment
    // The node's header holds what the file holds.
    EXPECT_EQ(p.Header.DataSize, 766);
    EXPECT_EQ(p.Header.Offsetfooter, 1166);
    EXPECT_EQ(p.Footer.HeaderOffset, 400);
    EXPECT_EQ(Entries(dir), QStringList{"p.arv"});
}

TEST_F(StreamContainer, ProjectWithTwoVariations)
{
    TFakeNode p = Project(2);
    const TBytes b = Save(p);
    ExpectStreamHeader(b, name, 2626, 1, 2);
    ExpectBlock(b, 400, 2186, 2586, 0, 1166, 2);
    ExpectBlock(b, 1166, 690, 1856, 400, 1876, 0);
    ExpectBlock(b, 1876, 690, 2566, 1166, 0, 0);
    EXPECT_EQ(b[1166 + 187], ckNode);
    // A list's header is read back at its end, with the link its first child patched in.
    EXPECT_EQ(p.Header.OffsetNext_Block, 1166);
}

TEST_F(StreamContainer, ReadsBackBlockByBlock)
{
    TFakeNode saved = Project(2);
    saved.Header.LastCaption = "A caption much longer than twenty";
    ASSERT_TRUE(SaveTree(name, saved));

    auto *w = new TFile_StreamWrapper(0, 0, name);
    loads.Add(w);
    ASSERT_TRUE(w->Open(true));
    EXPECT_EQ(w->Position(), 400);
    EXPECT_TRUE(w->Header.WriteBlockHeaders);
    EXPECT_EQ(w->Header.DataSize, 2626);
    EXPECT_EQ(w->Header.Name, name);

    TBlockHeader root;
    TBlockFooter rootFooter;
    ASSERT_TRUE(w->BeginBlock(root, rootFooter, true));
    EXPECT_EQ(root.ID, saved.Header.ID);
    EXPECT_EQ(root.LastCaption, "A caption much longe");
    EXPECT_EQ(root.Count, 2);
    EXPECT_EQ(w->Position(), 650);
    // The root reads only part of its data; EndBlocks below realign.
    std::uint8_t record[512];
    ASSERT_TRUE(w->ReadBuffer(record, 100));
    w->Seek(400 + 250 + 512 + 4, soBeginning);
    for (int i = 0; i < root.Count; ++i) {
        TBlockHeader h;
        TBlockFooter f;
        ASSERT_TRUE(w->BeginBlock(h, f, true));
        EXPECT_EQ(h.ClassName, "TArvilo_Var");
        EXPECT_EQ(h.ID, saved.Children[static_cast<std::size_t>(i)].Header.ID);
        std::string comment = "x";
        ASSERT_TRUE(w->ReadBuffer(record, 436));
        ReadLongString(*w, comment);
        EXPECT_EQ(comment, "");
        ASSERT_TRUE(w->EndBlock(h, f, true));
        EXPECT_EQ(f.HeaderOffset, h.Offset);
        EXPECT_EQ(w->Position(), h.Offsetfooter + 20);
    }
    ASSERT_TRUE(w->EndBlock(root, rootFooter, true));
    EXPECT_EQ(w->Position(), 2606);
    EXPECT_TRUE(w->Close(true, true));
    loads.Delete(w);
    EXPECT_EQ(ReadAll(name).size(), 2626u); // a load leaves the file alone
}

// Links that a save computes must not survive from an earlier save or a load.
TEST_F(StreamContainer, SecondSaveRecomputesLinks)
{
    TFakeNode p = Project(2);
    ASSERT_TRUE(SaveTree(name, p));
    ASSERT_EQ(p.Header.OffsetNext_Block, 1166);
    p.Children.clear();
    p.Header.OffsetNext_Node = 4711;
    p.Header.MySize = 999;
    p.Footer.FooterSize = 0;
    const TBytes b = Save(p);
    ExpectStreamHeader(b, name, 1206, 1, 0);
    ExpectBlock(b, 400, 766, 1166, 0, 0, 0);
}

TEST_F(StreamContainer, PatchesPreviousNodeLinkAndFills)
{
    TFakeNode p = Project(2);
    p.Children[1].Header.OffsetPrev_Node = 1166;
    p.Children[0].Header.Spacer = 1000; // a minimum block length beyond its 690 bytes
    const TBytes b = Save(p);
    ExpectStreamHeader(b, name, 2626 + 310, 1, 2);
    EXPECT_EQ(I32(b, 1166 + 233), 2186); // the second variation now begins after the fill
    EXPECT_EQ(I32(b, 1166 + 209), 690);
    EXPECT_EQ(I32(b, 1166 + 245), 2166);
    EXPECT_TRUE(AllZero(b, 1166 + 690, 310));
    EXPECT_EQ(I32(b, 2186 + 237), 1166);
}

TEST_F(StreamContainer, WithoutBlockHeaders)
{
    TFakeNode p = Project(2);
    const TBytes b = Save(p, TStreamWrapper::WriteModeFor(false, true));
    ASSERT_EQ(b.size(), 400u + 516 + 2 * 440 + 20);
    EXPECT_EQ(b[304], 0);
    EXPECT_EQ(b[305], 0);
    EXPECT_EQ(I32(b, 310), 0);
    EXPECT_EQ(I32(b, 318), 0);
    EXPECT_EQ(I32(b, 326), static_cast<std::int32_t>(b.size()) - 20);

    // A reader follows the container's flags, not its own.
    TStreamWrapper *w = &Load();
    TBlockHeader h;
    TBlockFooter f;
    EXPECT_TRUE(w->BeginBlock(h, f, true));
    EXPECT_TRUE(w->EndBlock(h, f, true));
    EXPECT_EQ(w->Position(), 400);
    EXPECT_TRUE(h.ClassName.empty());
}

TEST_F(StreamContainer, HeadersWithoutFootersReadBack)
{
    TFakeNode p = Project(1);
    p.Children[0].Header.Offsetfooter = 12345; // left from somewhere else
    const TBytes b = Save(p, TStreamWrapper::WriteModeFor(true, false));
    ASSERT_EQ(b.size(), 400u + 766 + 690 + 20);
    EXPECT_EQ(I32(b, 1166 + 245), 0);

    TBlockHeader root, child;
    TBlockFooter rf, cf;
    TStreamWrapper *w = &LoadFirstChild(root, rf, child, cf);
    EXPECT_EQ(child.ClassName, "TArvilo_Var");
    ASSERT_TRUE(w->EndBlock(child, cf, true));
    EXPECT_EQ(w->Position(), 1856);
    ASSERT_TRUE(w->EndBlock(root, rf, true));
    EXPECT_EQ(w->Position(), 1856);
}

TEST(StreamRecords, LayoutAndShortStrings)
{
    TBlockHeader h;
    TStreamWrapper::InitBlockHeader(h);
    EXPECT_EQ(h.MySize, 150);
    EXPECT_EQ(h.ClassKind, ckUnknown);
    h.ClassName = "TAVeryLongClassNameIndeed";
    h.Objectversion = "1.0.1";
    h.ID_Ref = "a much longer text first";
    h.ID_Ref = "ab"; // nothing of the longer text may remain
    h.Count = -2;
    h.IsLinked = true;
    const auto b = h.Pack();
    EXPECT_EQ(b[188], 20);
    EXPECT_EQ(std::string(b.begin() + 189, b.begin() + 209), "TAVeryLongClassNameI");
    EXPECT_EQ(b[102], 2);
    EXPECT_TRUE(std::all_of(b.begin() + 105, b.begin() + 153, [](std::uint8_t c) { return c == 0; }));
    EXPECT_EQ(b[174], 5);
    EXPECT_EQ(b[217], 0xFE);
    EXPECT_EQ(b[220], 0xFF);
    EXPECT_EQ(b[241], 150);
    EXPECT_EQ(b[249], 1);

    auto damaged = b;
    damaged[0] = 200;   // a length byte beyond the capacity
    damaged[249] = 7;   // any non-zero byte is True
    TBlockHeader r;
    r.Unpack(damaged);
    EXPECT_EQ(r.ID.size(), 50u);
    EXPECT_TRUE(r.IsLinked);
    EXPECT_EQ(r.ClassName, h.ClassName);
    EXPECT_EQ(r.Count, -2);

    TStreamHeader s;
    EXPECT_EQ(s.StreamVersion, "0.0.1");
    EXPECT_EQ(s.MySize, 400);
    EXPECT_FALSE(s.WriteBlockHeaders);
    TBlockFooter f;
    TStreamWrapper::InitBlockFooter(f);
    EXPECT_EQ(f.FooterSize, 20);
    EXPECT_EQ(f.HeaderOffset, 0);
}

TEST(StreamRecords, NodeIDs)
{
    EXPECT_EQ(NodeIDDateNumber(1, 1, 1), 1);
    EXPECT_EQ(NodeIDDateNumber(1899, 12, 30), 693594);
    EXPECT_EQ(FormatNodeID("TArvilo_Var", NodeIDDateNumber(2004, 1, 1), 45296789, 3), "TArvilo_Var_731581:45296789_3");
    const std::string a = TStreamWrapper::MakeNodeID("TArvilo_Var");
    const std::string b = TStreamWrapper::MakeNodeID("TArvilo_Var");
    EXPECT_NE(a, b);
    EXPECT_EQ(a.rfind("TArvilo_Var_", 0), 0u);
    EXPECT_EQ(TStreamWrapper::MakeNodeID(std::string(60, 'C')).size(), 50u);
}

TEST_F(StreamWrapper, ConstructorModes)
{
    const std::string existing = dir.filePath("old.arv").toStdString();
    const std::string missing = dir.filePath("new.arv").toStdString();
    WriteAll(existing, "old content");

    auto message = [](auto make) {
        try {
            make();
        } catch (const EVrnStreamWrapCreate &e) {
            const auto cr = e.Message.find('\r');
            EXPECT_NE(cr, std::string::npos) << "the system's error is appended";
            return e.Message.substr(0, cr);
        }
        return std::string("no exception");
    };
    EXPECT_EQ(message([&] { TFile_StreamWrapper(0, 3, missing); }), SStreamWrapSilly);
    EXPECT_EQ(message([&] { TFile_StreamWrapper(0, 1, existing); }), SStreamWrapSilly);
    EXPECT_EQ(message([&] { TFile_StreamWrapper(0, 0, missing); }), SStreamWrapNotExists);
    EXPECT_EQ(message([&] { TFile_StreamWrapper(2, 0, missing); }), SStreamWrapNotExists);
    EXPECT_EQ(message([&] { TFile_StreamWrapper(2, 3, missing); }), SStreamWrapNotExists);
    EXPECT_EQ(message([&] { TFile_StreamWrapper(1, 0, missing); }), "File_StreamWrapper_create: can\xB4t open a not existing file");
    EXPECT_EQ(message([&] { TFile_StreamWrapper(1, 3, ""); }), SStreamWrapInvalidName);
    EXPECT_EQ(message([&] { TFile_StreamWrapper(1, 3, dir.path().toStdString()); }), SStreamWrapInvalidName);
    EXPECT_EQ(message([&] { TFile_StreamWrapper(0, 0, existing + "/x"); }), SStreamWrapInvalidName);
    EXPECT_EQ(message([&] { TFile_StreamWrapper(1, 3, dir.filePath("no/such.arv").toStdString()); }), SStreamWrapCreate);
    if (geteuid() != 0) {
        const std::string locked = dir.filePath("locked").toStdString();
        QDir().mkdir(QString::fromStdString(locked));
        WriteAll(locked + "/p.arv", "x");
        chmod(locked.c_str(), 0500);
        EXPECT_EQ(message([&] { TFile_StreamWrapper(1, 3, locked + "/p.arv"); }), SStreamWrapInvalidName);
        chmod(locked.c_str(), 0700);
    }

    EXPECT_EQ(TStreamWrapper::WriteModeFor(false, true), 1);
    EXPECT_EQ(TStreamWrapper::WriteModeFor(false, false), 1);
    EXPECT_EQ(TStreamWrapper::WriteModeFor(true, false), 2);
    EXPECT_EQ(TStreamWrapper::WriteModeFor(true, true), 3);

    // Creating for a save neither deletes nor empties the old file.
    for (std::uint8_t writeMode : {0, 1, 2, 3}) {
        auto w = StreamWrapperClasses[stFile](1, writeMode, existing);
        EXPECT_EQ(w->IsWriting(), writeMode != 0);
        EXPECT_EQ(w->IsUpdate(), writeMode == 0);
        EXPECT_EQ(w->Header.WriteBlockHeaders, writeMode >= 2);
        EXPECT_EQ(w->Header.WriteBlockFooters, writeMode == 3);
        EXPECT_EQ(ReadAll(existing), TBytes({'o', 'l', 'd', ' ', 'c', 'o', 'n', 't', 'e', 'n', 't'}));
    }
    {
        TFile_StreamWrapper r(0, 0, existing);
        EXPECT_FALSE(r.IsWriting());
        EXPECT_FALSE(r.IsUpdate());
        TFile_StreamWrapper u(2, 0, existing);
        EXPECT_TRUE(u.IsUpdate());
        EXPECT_EQ(u.Size(), 11);
    }
    QStringList expected{"old.arv"};
    if (geteuid() != 0)
        expected.prepend("locked");
    EXPECT_EQ(Entries(dir), expected);
}

TEST_F(StreamWrapper, BufferOperations)
{
    TFile_StreamWrapper w(1, 3, name);
    std::uint8_t buf[400] = {1, 2, 3};
    EXPECT_FALSE(w.WriteBuffer(buf, 0));
    EXPECT_FALSE(w.WriteBuffer(buf, -1));
    EXPECT_EQ(w.Size(), 0);
    ASSERT_TRUE(w.WritePadded(buf, 330, 400));
    EXPECT_EQ(w.Position(), 400);
    ASSERT_TRUE(w.WritePadded(buf, 250, 150));
    EXPECT_EQ(w.Position(), 650);
    ASSERT_TRUE(w.WritePadded(buf, 8, 20));
    EXPECT_EQ(w.Size(), 670);

    w.Seek(0, soBeginning);
    EXPECT_FALSE(w.ReadBuffer(buf, 0));
    EXPECT_EQ(w.Position(), 0);
    ASSERT_TRUE(w.ReadPadded(buf, 330, 400));
    EXPECT_EQ(w.Position(), 400);
    ASSERT_TRUE(w.ReadPadded(buf, 250, 150));
    EXPECT_EQ(w.Position(), 650);
    // Across the end: False, and the position behind the bytes that were there.
    EXPECT_FALSE(w.ReadBuffer(buf, 30));
    EXPECT_EQ(w.Position(), 670);
    EXPECT_FALSE(w.ReadPadded(buf, 8, 20));

    std::string s = "keep";
    w.ReadRawString(1, 3, s);
    EXPECT_EQ(s, std::string("\x02\x03\x00", 3));
    w.ReadRawString(660, 1000000, s);
    EXPECT_EQ(s.size(), 10u);
    w.ReadRawString(0, 0, s);
    EXPECT_TRUE(s.empty());
}

TEST_F(StreamWrapper, LongStrings)
{
    TFile_StreamWrapper w(1, 3, name);
    WriteLongString(w, "");
    WriteLongString(w, "abc");
    WriteLongString(w, std::string("\xE4\x00\xFC", 3));
    // A length that the file cannot hold, then a negative one.
    const std::uint8_t huge[] = {0xFF, 0xFF, 0xFF, 0x7F, 'x', 'y'};
    w.WriteBuffer(huge, sizeof huge);
    EXPECT_EQ(w.Size(), 4 + 7 + 7 + 6);

    w.Seek(0, soBeginning);
    std::string s = "old";
    ReadLongString(w, s);
    EXPECT_EQ(s, "");
    EXPECT_EQ(w.Position(), 4);
    ReadLongString(w, s);
    EXPECT_EQ(s, "abc");
    ReadLongString(w, s);
    EXPECT_EQ(s, std::string("\xE4\x00\xFC", 3));
    ReadLongString(w, s);
    EXPECT_EQ(s, "xy");
    EXPECT_EQ(w.Position(), w.Size());
    ReadLongString(w, s); // nothing left to read
    EXPECT_EQ(s, "");

    const std::uint8_t negative[] = {0xFE, 0xFF, 0xFF, 0xFF};
    w.WriteBuffer(negative, 4);
    w.Seek(-4, soEnd);
    s = "old";
    ReadLongString(w, s);
    EXPECT_EQ(s, "");
}

// A damaged footer offset fails the block end instead of sending the reader off.
TEST_F(StreamWrapper, DamagedFooterOffsets)
{
    TFakeNode p = Project(1);
    ASSERT_TRUE(SaveTree(name, p));

    TBlockHeader root, child;
    TBlockFooter rf, cf;
    TStreamWrapper *w = &LoadFirstChild(root, rf, child, cf);
    for (std::int32_t bad : {-20, 100000, 1000, 1166 + 100, 1916 - 10}) {
        TBlockHeader h = child;
        h.Offsetfooter = bad;
        w->Seek(1500, soBeginning);
        EXPECT_FALSE(w->EndBlock(h, cf, true)) << bad;
        EXPECT_EQ(w->Position(), 1500);
    }
    EXPECT_TRUE(w->EndBlock(child, cf, true));
    EXPECT_EQ(w->Position(), 1876);
    // A block header cut off by the end of the file is no block.
    w->Seek(1900, soBeginning);
    TBlockHeader h;
    EXPECT_FALSE(w->BeginBlock(h, cf, true));
}

TEST_F(StreamWrapper, FailedSaveKeepsTheOldFile)
{
    TFakeNode first = Project(1);
    ASSERT_TRUE(SaveTree(name, first));
    const TBytes before = ReadAll(name);

    {   // the node layer reports a failed step
        TStreamWrappers list(nullptr, false, nullptr);
        auto *w = new TFile_StreamWrapper(1, 3, name);
        list.Add(w);
        w->Open(false);
        TFakeNode p = Project(3);
        p.Save(*w);
        EXPECT_FALSE(w->Close(false, false));
        EXPECT_FALSE(w->Close(false, true)); // closed once only
    }
    EXPECT_EQ(ReadAll(name), before);
    EXPECT_EQ(Entries(dir), QStringList{"p.arv"});

    {   // the wrapper is freed without Close, as after an exception in Open
        TStreamWrappers list(nullptr, false, nullptr);
        auto *w = new TFile_StreamWrapper(1, 3, name);
        list.Add(w);
        w->Open(false);
        EXPECT_EQ(Entries(dir).size(), 2);
    }
    EXPECT_EQ(ReadAll(name), before);
    EXPECT_EQ(Entries(dir), QStringList{"p.arv"});

    {   // a write fails on the way: Close refuses to put the container in place
        TStreamWrappers list(nullptr, false, nullptr);
        auto *w = new TFile_StreamWrapper(1, 3, name);
        list.Add(w);
        w->Open(false);
        TFakeNode p = Project(0);
        p.Header.Count = 0;
        w->BeginBlock(p.Header, p.Footer, false);
        auto good = std::move(w->Stream);
        w->Stream = std::make_unique<TFileStream>(name, fmOpenRead);
        EXPECT_FALSE(w->WriteBuffer("data", 4));
        w->Stream = std::move(good);
        w->EndBlock(p.Header, p.Footer, false);
        EXPECT_FALSE(w->Close(false, true));
    }
    EXPECT_EQ(ReadAll(name), before);
    EXPECT_EQ(Entries(dir), QStringList{"p.arv"});
}
