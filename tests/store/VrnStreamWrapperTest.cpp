#include "store/VrnStreamWrapper.h"

#include "store/VrnHuffFuncs.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "tests/common/TestFiles.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

QStringList Entries(const QTemporaryDir &Dir) { return FolderEntries(Dir.path()); }

// A node as the node layer drives it; its own data are a record of RecordSize
// bytes and an empty long string.
struct TFakeNode {
    TBlockHeader Header;
    TBlockFooter Footer;
    std::int32_t RecordSize;
    std::vector<TFakeNode> Children;

    TFakeNode(TClassKind Kind, const char *ClassName, std::int32_t Size) : RecordSize(Size)
    {
        Header.ClassKind = Kind;
        Header.ClassName = ClassName;
        Header.ID = TStreamWrapper::MakeNodeID(ClassName);
    }

    void Save(TStreamWrapper &W)
    {
        Header.Count = static_cast<std::int32_t>(Children.size());
        W.BeginBlock(Header, Footer, false);
        const TBytes record(static_cast<std::size_t>(RecordSize), 0x5A);
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

void ExpectBlock(const TBytes &B, std::int32_t At, std::int32_t DataSize, std::int32_t Footer, std::int32_t Prev, std::int32_t Next,
                 std::int32_t Count)
{
    SCOPED_TRACE("block at " + std::to_string(At));
    const std::vector<std::int32_t> fields{DataSize, 0, Count, At, Next, Prev, 0, 0, 150, Footer};
    for (std::size_t i = 0; i < fields.size(); ++i)
        EXPECT_EQ(I32(B, static_cast<std::size_t>(At) + 209 + 4 * i), fields[i]) << "field at " << 209 + 4 * i;
    EXPECT_EQ(I32(B, Footer), 20);
    EXPECT_EQ(I32(B, Footer + 4), At);
    EXPECT_TRUE(AllZero(B, Footer + 8, 12));
}

void ExpectStreamHeader(const TBytes &B, const std::string &Name, std::int32_t Size, std::int32_t Lists, std::int32_t Nodes)
{
    ASSERT_EQ(static_cast<std::int32_t>(B.size()), Size);
    EXPECT_EQ(std::string(B.begin(), B.begin() + 27), std::string("\x05" "0.0.1\0\0\0\0\0\0\0\x05" "0.0.1\0\0\0\0\0\0\0\0", 27));
    EXPECT_EQ(B[47], stFile);
    EXPECT_EQ(B[48], Name.size());
    EXPECT_EQ(std::string(B.begin() + 49, B.begin() + 49 + static_cast<long>(Name.size())), Name);
    EXPECT_TRUE(AllZero(B, 49 + Name.size(), 255 - Name.size()));
    EXPECT_EQ(B[304], 1);
    EXPECT_EQ(B[305], 1);
    const std::vector<std::int32_t> fields{Size, Lists, Nodes, Lists + Nodes, 400, Size - 20};
    for (std::size_t i = 0; i < fields.size(); ++i)
        EXPECT_EQ(I32(B, 306 + 4 * i), fields[i]) << "field at " << 306 + 4 * i;
    EXPECT_TRUE(AllZero(B, 330, 70));
    EXPECT_EQ(I32(B, Size - 20), 20);
    EXPECT_TRUE(AllZero(B, static_cast<std::size_t>(Size - 16), 16));
}

// A directory per test with one container file in it.
class StreamFile : public ::testing::Test {
protected:
    // One save: Close commits when Commit is true. Its result.
    bool SaveTree(TFakeNode &Root, std::uint8_t WriteMode = 3, bool Compress = false, bool Commit = true)
    {
        TStreamWrappers list(nullptr, Compress, nullptr);
        auto *w = new TFile_StreamWrapper(1, WriteMode, name);
        list.Add(w);
        w->Open(false);
        Root.Save(*w);
        return w->Close(false, Commit);
    }
    TBytes Save(TFakeNode &Root, std::uint8_t WriteMode = 3)
    {
        EXPECT_TRUE(SaveTree(Root, WriteMode));
        return ReadAll(name);
    }
    // A wrapper that has opened the file for a load.
    TStreamWrapper &Load(bool Compress = false)
    {
        auto *list = new TStreamWrappers(nullptr, Compress, nullptr);
        loads.Add(list);
        auto *w = new TFile_StreamWrapper(0, 0, name);
        list->Add(w);
        EXPECT_TRUE(w->Open(true));
        return *w;
    }
    // Reads a saved Project(n) back as the node layer does and checks what it meets.
    void ExpectProject(TStreamWrapper &W, const TFakeNode &Saved)
    {
        TBlockHeader root;
        TBlockFooter rootFooter;
        ASSERT_TRUE(W.BeginBlock(root, rootFooter, true));
        EXPECT_EQ(root.ID, Saved.Header.ID);
        EXPECT_EQ(root.Count, static_cast<std::int32_t>(Saved.Children.size()));
        TBytes record(512);
        ASSERT_TRUE(W.ReadBuffer(record.data(), 100)); // the rest is passed over by the block end
        W.Seek(400 + 250 + 512 + 4, soBeginning);
        for (const TFakeNode &child : Saved.Children) {
            TBlockHeader h;
            TBlockFooter f;
            ASSERT_TRUE(W.BeginBlock(h, f, true));
            EXPECT_EQ(h.ID, child.Header.ID);
            EXPECT_EQ(h.ClassName, "TArvilo_Var");
            std::string comment = "x";
            ASSERT_TRUE(W.ReadBuffer(record.data(), 436));
            ReadLongString(W, comment);
            EXPECT_EQ(comment, "");
            ASSERT_TRUE(W.EndBlock(h, f, true));
            EXPECT_EQ(f.HeaderOffset, h.Offset);
            EXPECT_EQ(W.Position(), h.Offsetfooter + 20);
        }
        ASSERT_TRUE(W.EndBlock(root, rootFooter, true));
        EXPECT_EQ(W.Position(), W.Header.Offsetfooter);
    }

    QTemporaryDir dir;
    const std::string name = dir.filePath("p.arv").toStdString();
    TLinkList loads;
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
    EXPECT_EQ(Entries(dir), QStringList{"p.arv"});
}

TEST_F(StreamContainer, ProjectWithTwoVariationsReadsBack)
{
    TFakeNode p = Project(2);
    p.Header.LastCaption = "A caption much longer than twenty";
    const TBytes b = Save(p);
    ExpectStreamHeader(b, name, 2626, 1, 2);
    ExpectBlock(b, 400, 2186, 2586, 0, 1166, 2);
    ExpectBlock(b, 1166, 690, 1856, 400, 1876, 0);
    ExpectBlock(b, 1876, 690, 2566, 1166, 0, 0);
    EXPECT_EQ(b[1166 + 187], ckNode);
    // A list's header is read back at its end, with the link its first child patched in.
    EXPECT_EQ(p.Header.OffsetNext_Block, 1166);
    EXPECT_EQ(p.Header.Offsetfooter, 2586);

    TStreamWrapper &w = Load();
    EXPECT_EQ(w.Position(), 400);
    EXPECT_EQ(w.Header.DataSize, 2626);
    ExpectProject(w, p);
    EXPECT_EQ(ReadAll(name), b);
}

// Links that a save computes must not survive from an earlier save or a load.
TEST_F(StreamContainer, SecondSaveRecomputesLinks)
{
    TFakeNode p = Project(2);
    Save(p);
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
    EXPECT_EQ(I32(b, 1166 + 209), 690);
    EXPECT_EQ(I32(b, 1166 + 245), 2166);
    EXPECT_TRUE(AllZero(b, 1166 + 690, 310));
    EXPECT_EQ(I32(b, 1166 + 233), 2186); // the second variation begins after the fill
    EXPECT_EQ(I32(b, 2186 + 237), 1166);
}

TEST_F(StreamContainer, WithoutBlockHeadersOrFooters)
{
    TFakeNode p = Project(2);
    TBytes b = Save(p, TStreamWrapper::WriteModeFor(false, true));
    ASSERT_EQ(b.size(), 400u + 516 + 2 * 440 + 20);
    EXPECT_EQ(b[304] + b[305] + I32(b, 310) + I32(b, 318), 0);
    EXPECT_EQ(I32(b, 326), static_cast<std::int32_t>(b.size()) - 20);
    // A reader follows the container's flags, not its own.
    TBlockHeader h;
    TBlockFooter f;
    TStreamWrapper &plain = Load();
    EXPECT_TRUE(plain.BeginBlock(h, f, true));
    EXPECT_TRUE(plain.EndBlock(h, f, true));
    EXPECT_EQ(plain.Position(), 400);

    // Headers without footers: a block ends after its data.
    p.Children.pop_back();
    p.Children[0].Header.Offsetfooter = 12345;
    b = Save(p, TStreamWrapper::WriteModeFor(true, false));
    ASSERT_EQ(b.size(), 400u + 766 + 690 + 20);
    EXPECT_EQ(I32(b, 1166 + 245), 0);
    TStreamWrapper &headed = Load();
    ASSERT_TRUE(headed.BeginBlock(h, f, true));
    headed.Seek(1166, soBeginning);
    TBlockHeader child;
    ASSERT_TRUE(headed.BeginBlock(child, f, true));
    ASSERT_TRUE(headed.EndBlock(child, f, true));
    EXPECT_EQ(headed.Position(), 1856);
    ASSERT_TRUE(headed.EndBlock(h, f, true));
    EXPECT_EQ(headed.Position(), 1856);
}

TEST(StreamRecords, ShortStringsAndDamagedBytes)
{
    TBlockHeader h;
    h.ClassName = "TAVeryLongClassNameIndeed";
    h.ID_Ref = "a much longer text first";
    h.ID_Ref = "ab"; // nothing of the longer text may remain
    h.Count = -2;
    h.IsLinked = true;
    auto b = h.Pack();
    EXPECT_EQ(std::string(b.begin() + 188, b.begin() + 209), "\x14TAVeryLongClassNameI");
    EXPECT_EQ(std::string(b.begin() + 102, b.begin() + 105), "\x02" "ab");
    EXPECT_TRUE(std::all_of(b.begin() + 105, b.begin() + 153, [](auto c) { return c == 0; }));
    EXPECT_EQ(b[249], 1);

    b[0] = 200; // a length byte beyond the capacity
    b[249] = 7; // any non-zero byte is True
    TBlockHeader r;
    r.Unpack(b);
    EXPECT_EQ(r.ID.size(), 50u);
    EXPECT_TRUE(r.IsLinked);
    EXPECT_EQ(r.Count, -2);
}

TEST(StreamRecords, NodeIDs)
{
    EXPECT_EQ(NodeIDDateNumber(1, 1, 1), 1);
    EXPECT_EQ(FormatNodeID("TArvilo_Var", NodeIDDateNumber(2004, 1, 1), 45296789, 3), "TArvilo_Var_731581:45296789_3");
    const std::string a = TStreamWrapper::MakeNodeID("TArvilo_Var");
    EXPECT_NE(a, TStreamWrapper::MakeNodeID("TArvilo_Var"));
    EXPECT_EQ(a.rfind("TArvilo_Var_", 0), 0u);
    EXPECT_EQ(TStreamWrapper::MakeNodeID(std::string(60, 'C')).size(), 50u);
}

TEST_F(StreamWrapper, ConstructorModes)
{
    const std::string existing = dir.filePath("old.arv").toStdString();
    const std::string missing = dir.filePath("new.arv").toStdString();
    std::ofstream(existing) << "old";

    auto message = [](std::uint8_t Mode, std::uint8_t WriteMode, const std::string &Name) {
        try {
            TFile_StreamWrapper w(Mode, WriteMode, Name);
        } catch (const EVrnStreamWrapCreate &e) {
            const auto cr = e.Message.find('\r');
            EXPECT_NE(cr, std::string::npos) << "the system's error is appended";
            return e.Message.substr(0, cr);
        }
        return std::string("opened");
    };
    EXPECT_EQ(message(0, 3, missing), SStreamWrapSilly);
    EXPECT_EQ(message(0, 1, existing), SStreamWrapSilly);
    EXPECT_EQ(message(0, 0, missing), SStreamWrapNotExists);
    EXPECT_EQ(message(2, 0, missing), SStreamWrapNotExists);
    EXPECT_EQ(message(2, 3, missing), SStreamWrapNotExists);
    EXPECT_EQ(message(1, 0, missing), "File_StreamWrapper_create: can\xB4t open a not existing file");
    EXPECT_EQ(message(1, 3, ""), SStreamWrapInvalidName);
    EXPECT_EQ(message(1, 3, dir.path().toStdString()), SStreamWrapInvalidName);
    EXPECT_EQ(message(0, 0, existing + "/x"), SStreamWrapInvalidName);
    EXPECT_EQ(message(1, 3, dir.filePath("no/such.arv").toStdString()), SStreamWrapCreate);
    for (std::uint8_t mode : {0, 1, 2})
        EXPECT_EQ(message(mode, 0, existing), "opened");
    EXPECT_EQ(message(1, 3, missing), "opened");
    if (geteuid() != 0) { // the old file could not be deleted there
        const std::string locked = dir.filePath("locked").toStdString();
        QDir().mkdir(QString::fromStdString(locked));
        std::ofstream(locked + "/p.arv") << "x";
        chmod(locked.c_str(), 0500);
        EXPECT_EQ(message(1, 3, locked + "/p.arv"), SStreamWrapInvalidName);
        chmod(locked.c_str(), 0700);
        QDir(QString::fromStdString(locked)).removeRecursively();
    }
    // Creating a wrapper for a save neither deletes nor empties the old file.
    EXPECT_EQ(ReadAll(existing), TBytes({'o', 'l', 'd'}));
    EXPECT_EQ(Entries(dir), QStringList{"old.arv"});

    EXPECT_EQ(TStreamWrapper::WriteModeFor(false, true), 1);
    EXPECT_EQ(TStreamWrapper::WriteModeFor(true, false), 2);
    EXPECT_EQ(TStreamWrapper::WriteModeFor(true, true), 3);
    auto w = StreamWrapperClasses[stFile](2, 0, existing);
    EXPECT_TRUE(w->IsUpdate());
    EXPECT_FALSE(w->IsWriting());
    EXPECT_EQ(w->Size(), 3); // an update works on a copy of the old file
}

TEST_F(StreamWrapper, BufferOperations)
{
    TFile_StreamWrapper w(1, 3, name);
    std::uint8_t buf[400] = {1, 2, 3};
    EXPECT_FALSE(w.WriteBuffer(buf, 0));
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

    std::string s;
    w.ReadRawString(1, 3, s);
    EXPECT_EQ(s, std::string("\x02\x03\x00", 3));
    w.ReadRawString(660, 1000000, s);
    EXPECT_EQ(s.size(), 10u);
}

TEST_F(StreamWrapper, LongStrings)
{
    TFile_StreamWrapper w(1, 3, name);
    WriteLongString(w, "");
    WriteLongString(w, std::string("\xE4\x00\xFC", 3));
    // A length that the file cannot hold.
    const std::uint8_t damaged[] = {0xFF, 0xFF, 0xFF, 0x7F, 'x', 'y'};
    w.WriteBuffer(damaged, sizeof damaged);
    EXPECT_EQ(w.Size(), 4 + 7 + 6);

    w.Seek(0, soBeginning);
    std::string s = "old";
    EXPECT_TRUE(ReadLongString(w, s));
    EXPECT_EQ(s, "");
    EXPECT_EQ(w.Position(), 4);
    EXPECT_TRUE(ReadLongString(w, s));
    EXPECT_EQ(s, std::string("\xE4\x00\xFC", 3));
    EXPECT_FALSE(ReadLongString(w, s)) << "the text is not all there";
    EXPECT_EQ(s, "xy");
    EXPECT_EQ(w.Position(), w.Size());
    s = "old";
    EXPECT_FALSE(ReadLongString(w, s)); // nothing left to read
    EXPECT_EQ(s, "");
}

// A damaged footer offset fails the block end instead of sending the reader off.
TEST_F(StreamWrapper, DamagedFooterOffsets)
{
    TFakeNode p = Project(1);
    Save(p);
    TStreamWrapper &w = Load();
    TBlockHeader root, child;
    TBlockFooter f;
    ASSERT_TRUE(w.BeginBlock(root, f, true));
    w.Seek(1166, soBeginning);
    ASSERT_TRUE(w.BeginBlock(child, f, true));
    for (std::int32_t bad : {-20, 100000, 1000, 1166 + 100, 1916 - 10}) {
        TBlockHeader h = child;
        h.Offsetfooter = bad;
        w.Seek(1500, soBeginning);
        EXPECT_FALSE(w.EndBlock(h, f, true)) << bad;
        EXPECT_EQ(w.Position(), 1500);
    }
    EXPECT_TRUE(w.EndBlock(child, f, true));
    EXPECT_EQ(w.Position(), 1876);
    // A block header cut off by the end of the file is no block.
    w.Seek(1900, soBeginning);
    EXPECT_FALSE(w.BeginBlock(root, f, true));
}

TEST_F(StreamWrapper, FailedSaveKeepsTheOldFile)
{
    TFakeNode first = Project(1);
    const TBytes before = Save(first);

    TFakeNode p = Project(3);
    EXPECT_FALSE(SaveTree(p, 3, false, false)); // the node layer reports a failed step
    EXPECT_EQ(ReadAll(name), before);
    EXPECT_EQ(Entries(dir), QStringList{"p.arv"});

    {   // the wrapper is freed without Close, as after an exception in Open
        TStreamWrappers list(nullptr, false, nullptr);
        auto *w = new TFile_StreamWrapper(1, 3, name);
        list.Add(w);
        w->Open(false);
        // The new version has no name while it is written.
        EXPECT_EQ(Entries(dir), QStringList{"p.arv"});
    }
    EXPECT_EQ(ReadAll(name), before);
    EXPECT_EQ(Entries(dir), QStringList{"p.arv"});

    {   // a write fails on the way: Close refuses to put the container in place
        TStreamWrappers list(nullptr, false, nullptr);
        auto *w = new TFile_StreamWrapper(1, 3, name);
        list.Add(w);
        w->Open(false);
        w->BeginBlock(p.Header, p.Footer, false);
        auto good = std::move(w->Stream);
        w->Stream = std::make_unique<TFileStream>(name, fmOpenRead);
        EXPECT_FALSE(w->WriteBuffer("data", 4));
        w->Stream = std::move(good);
        w->EndBlock(p.Header, p.Footer, false);
        EXPECT_FALSE(w->Close(false, true));
        EXPECT_FALSE(w->Close(false, true)); // closed once only
    }
    EXPECT_EQ(ReadAll(name), before);
    EXPECT_EQ(Entries(dir), QStringList{"p.arv"});
}

namespace {

// Scratch files go to a directory of the test's own, to see that none stays.
class CompressedStreamFile : public StreamFile {
protected:
    void SetUp() override
    {
        const char *old = std::getenv("TMPDIR");
        oldTmp = old != nullptr ? old : "";
        setenv("TMPDIR", scratch.path().toLocal8Bit().constData(), 1);
    }
    void TearDown() override
    {
        if (oldTmp.empty())
            unsetenv("TMPDIR");
        else
            setenv("TMPDIR", oldTmp.c_str(), 1);
        EXPECT_TRUE(Entries(scratch).isEmpty()) << Entries(scratch).join(' ').toStdString();
        EXPECT_EQ(Entries(dir), QStringList{"p.arv"});
    }

    QTemporaryDir scratch;
    std::string oldTmp;
};

} // namespace

TEST_F(CompressedStreamFile, RoundTrip)
{
    TFakeNode p = Project(2);
    const TBytes plain = Save(p);
    ASSERT_TRUE(SaveTree(p, 3, true));
    const TBytes coded = ReadAll(name);
    EXPECT_LT(coded.size(), plain.size());

    // Coded or not, the container is the same.
    TMemoryStream decoded;
    {
        TFileStream in(name, fmOpenRead);
        HuffReset();
        ASSERT_TRUE(HuffSetInput(in) && HuffSetOutput(decoded));
        HuffDecompress();
    }
    EXPECT_EQ(decoded.Bytes(), plain);

    TStreamWrapper &w = Load(true);
    EXPECT_EQ(w.Header.DataSize, 2626);
    ExpectProject(w, p);
    EXPECT_TRUE(w.Close(true, true));
    EXPECT_EQ(ReadAll(name), coded);
}

TEST_F(CompressedStreamFile, FailuresKeepTheOldFile)
{
    TFakeNode p = Project(1);
    ASSERT_TRUE(SaveTree(p, 3, true));
    const TBytes before = ReadAll(name);
    TFakeNode bigger = Project(4);
    EXPECT_FALSE(SaveTree(bigger, 3, true, false));
    EXPECT_EQ(ReadAll(name), before);

    // A file that is no coded container: decoding raises, and nothing is left behind.
    std::ofstream(name, std::ios::binary) << std::string(100, '\xFF');
    {
        TStreamWrappers list(nullptr, true, nullptr);
        auto *w = new TFile_StreamWrapper(0, 0, name);
        list.Add(w);
        EXPECT_THROW(w->Open(true), EHuffError);
    }
    {
        TStreamWrappers list(nullptr, true, nullptr);
        auto *w = new TFile_StreamWrapper(1, 3, name);
        list.Add(w);
        EXPECT_TRUE(w->Open(false));
        EXPECT_TRUE(Entries(scratch).isEmpty()) << "the scratch file has no name";
    }
    EXPECT_EQ(ReadAll(name), TBytes(100, 0xFF));
}

// A load decodes the container that the stream header announces and no more:
// what a file holds behind it is neither expanded nor read.
TEST_F(CompressedStreamFile, DecodingStopsAtTheContainersEnd)
{
    TFakeNode p = Project(2);
    ASSERT_TRUE(SaveTree(p, 3, true));
    {
        std::ofstream tail(name, std::ios::binary | std::ios::app);
        std::uint32_t x = 12345;
        for (int i = 0; i < (1 << 20); ++i) {
            x = x * 1103515245u + 12345u;
            tail.put(static_cast<char>(x >> 24));
        }
    }
    TStreamWrapper &w = Load(true);
    EXPECT_EQ(w.Size(), 2626);
    ExpectProject(w, p);
    EXPECT_TRUE(w.Close(true, true));
}
