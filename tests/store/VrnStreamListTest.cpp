#include "store/VrnStreamList.h"

#include "store/VrnStreamSpy.h"
#include "tests/common/ContainerCheck.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <csignal>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace containertest;

namespace {

const TStreamFileInfo TestNodeInfo = {"1.2.3", "*.Tnd", "", "", 0};
const TStreamFileInfo TestListInfo = {"2.0.0", "*.Tst", "Tests\\Sub", "Test files", 0};

// A node with a text and a marker byte; it can be told to fail its write, and
// a stored marker 0xEE fails its read after the data was taken.
class TTestNode : public TStreamNode {
public:
    static constexpr std::uint8_t FailMarker = 0xEE;
    explicit TTestNode(TStreamNode *Owner) : TStreamNode(Owner, "TTestNode", ckNode) { SetFileInfo(TestNodeInfo); }
    static const TStreamNodeClass Class;

    std::string GetCaption() const override { return Text; }
    bool WriteData(TStreamWrapper &W) override
    {
        if (ThrowOnWrite)
            throw EWriteError("disk on fire");
        if (FailWrite)
            return false;
        WriteLongString(W, Text);
        return W.WriteBuffer(&Marker, 1);
    }
    bool ReadData(TStreamWrapper &W) override
    {
        VersionsSeen.push_back(LoadedVersion);
        ReadLongString(W, Text);
        return W.ReadBuffer(&Marker, 1) && Marker != FailMarker;
    }
    void Assign(TStreamNode *Source) override
    {
        TStreamNode::Assign(Source);
        if (auto *s = dynamic_cast<TTestNode *>(Source))
            Text = s->Text;
    }

    std::string Text;
    std::uint8_t Marker = 0;
    bool FailWrite = false;
    bool ThrowOnWrite = false;
    static std::vector<std::string> VersionsSeen;
};
std::vector<std::string> TTestNode::VersionsSeen;

// A list that may hold test nodes, references and lists of its own kind.
class TTestList : public TStreamList {
public:
    explicit TTestList(TStreamNode *Owner) : TStreamList(Owner, "TTestList") { SetFileInfo(TestListInfo); }
    static const TStreamNodeClass Class;

    std::string GetCaption() const override { return Text; }
    bool WriteData(TStreamWrapper &W) override
    {
        WriteLongString(W, Text);
        return W.WriteBuffer(&Tag, 4);
    }
    bool ReadData(TStreamWrapper &W) override
    {
        ReadLongString(W, Text);
        return W.ReadBuffer(&Tag, 4);
    }
    void GetClassMap(TClassMaps &Map) const override
    {
        AddToClassMap(Map, TTestNode::Class);
        AddToClassMap(Map, TStreamNodeRef::Class);
        AddToClassMap(Map, TTestList::Class);
    }

    TTestNode *Node(const std::string &Text)
    {
        auto *n = new TTestNode(this);
        n->Text = Text;
        AddChild(n);
        return n;
    }
    TStreamNodeRef *Ref(TStreamNode *Target)
    {
        auto *r = new TStreamNodeRef(this);
        r->SetRef(Target);
        AddChild(r);
        return r;
    }

    std::string Text;
    std::int32_t Tag = 0;
};

// A class that no list's class map holds.
class TOtherNode : public TStreamNode {
public:
    explicit TOtherNode(TStreamNode *Owner, const char *Name = "TOtherNode") : TStreamNode(Owner, Name, ckNode) {}
    bool WriteData(TStreamWrapper &) override { return true; }
    bool ReadData(TStreamWrapper &) override { return true; }
};

const TStreamNodeClass TTestNode::Class = {"TTestNode", [](TStreamNode *O) -> TStreamNode * { return new TTestNode(O); }};
const TStreamNodeClass TTestList::Class = {"TTestList", [](TStreamNode *O) -> TStreamNode * { return new TTestList(O); }};

template <class T>
T *Child(TStreamNode &List, int Index)
{
    return dynamic_cast<T *>(List.GetItem(Index));
}

bool StartsWith(const std::string &S, const std::string &Prefix)
{
    return S.rfind(Prefix, 0) == 0;
}

class StreamList : public ::testing::Test {
protected:
    // A save without the outer coding, so that the container can be read.
    bool SavePlain(TStreamNode &Node)
    {
        TStreamSettings s;
        s.FileName = name;
        s.Compress = false;
        Node.SetFileInfoAndSettings(Node.FileInfo, s);
        return Node.Save();
    }
    QStringList Entries() const { return FolderEntries(dir.path()); }

    QTemporaryDir dir;
    const std::string name = dir.filePath("tree.tst").toStdString();
};

} // namespace

// ---- registry, IDs and references ----

TEST(StreamNodeRegistry, RootsOwnersAndIDs)
{
    TTestList root(nullptr);
    EXPECT_EQ(root.Root, &root);
    EXPECT_EQ(root.OwnerNode, nullptr);
    ASSERT_EQ(root.Registry.size(), 1u);
    EXPECT_EQ(root.Registry.front(), &root);

    auto *sub = new TTestList(&root);
    root.AddChild(sub);
    TTestNode *leaf = sub->Node("leaf");
    auto unlinked = std::make_unique<TTestNode>(&root); // created with an owner, never linked
    EXPECT_EQ(leaf->Root, &root);
    EXPECT_EQ(leaf->OwnerNode, sub);
    EXPECT_TRUE(sub->Registry.empty()) << "only the root's registry is used";
    EXPECT_EQ(std::vector<TStreamNode *>(root.Registry.begin(), root.Registry.end()),
              (std::vector<TStreamNode *>{&root, sub, leaf, unlinked.get()}));
    unlinked.reset();
    root.Delete(sub); // the whole subtree leaves the registry
    EXPECT_EQ(root.Registry.size(), 1u);

    // IDs: class name first; made back to back they still differ.
    TTestNode *a = root.Node("a");
    TTestNode *b = root.Node("b");
    EXPECT_TRUE(StartsWith(a->GetID(), "TTestNode_"));
    EXPECT_NE(a->GetID(), b->GetID());
    EXPECT_EQ(root.Header.ClassName, "TTestList");
    EXPECT_EQ(root.Header.ClassKind, ckList);
    EXPECT_EQ(a->Header.ClassKind, ckNode);
    TOtherNode longName(nullptr, "TAClassNameOfMoreThanTwentyCharacters");
    EXPECT_EQ(longName.Header.ClassName, "TAClassNameOfMoreTha");
    EXPECT_LE(longName.GetID().size(), 50u);
}

TEST(StreamNodeRegistry, FindByID)
{
    TTestList root(nullptr);
    TTestNode *a = root.Node("a");
    auto *sub = new TTestList(&root);
    root.AddChild(sub);
    TTestNode *deep = sub->Node("deep");

    EXPECT_EQ(root.FindByID(""), nullptr);
    EXPECT_EQ(root.FindByID("no such node"), nullptr);
    EXPECT_EQ(root.FindByID(root.GetID()), &root);
    EXPECT_EQ(a->FindByID(deep->GetID()), deep) << "any node searches the whole tree";
    std::string lower = a->GetID();
    for (char &c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(deep->FindByID(lower), a);

    deep->Header.ID = std::string(50, 'Q');
    EXPECT_EQ(root.FindByID(std::string(50, 'q') + "anything after fifty"), deep);
    EXPECT_EQ(root.FindByID(std::string(49, 'Q')), nullptr);
}

TEST(StreamNodeRef, DestroyedTargetsAndResolving)
{
    TTestList root(nullptr);
    TTestNode *target = root.Node("target");
    TTestNode *other = root.Node("other");
    TStreamNodeRef *r1 = root.Ref(target);
    TStreamNodeRef *r2 = root.Ref(target);
    TStreamNodeRef *r3 = root.Ref(other);
    EXPECT_EQ(r1->Header.ID_Ref, target->GetID());
    EXPECT_EQ(r1->FileInfo.Objectversion, "0.0.1");
    EXPECT_EQ(r1->GetClassKind(), ckRefCarrier);

    root.Delete(target);
    EXPECT_EQ(r1->Ref, nullptr);
    EXPECT_EQ(r2->Ref, nullptr);
    EXPECT_TRUE(r1->Header.ID_Ref.empty());
    EXPECT_TRUE(r2->Header.ID_Ref.empty());
    EXPECT_EQ(r3->Ref, other);
    EXPECT_EQ(r3->Header.ID_Ref, other->GetID());

    // Resolving binds by the stored ID, whatever the pointer said.
    std::string lower = other->GetID();
    for (char &c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    r1->Header.ID_Ref = lower;
    r2->Ref = other;
    r2->Header.ID_Ref = "gone";
    root.ResolveRefs();
    EXPECT_EQ(r1->Ref, other);
    EXPECT_EQ(r1->Header.ID_Ref, other->GetID()) << "takes the target's exact ID";
    EXPECT_EQ(r2->Ref, nullptr);
    EXPECT_TRUE(r2->Header.ID_Ref.empty());

    // A reference that is destroyed before its target, and a root destroyed
    // with references in it: nothing dangles (checked by the sanitizer build).
    root.Delete(r3);
    auto tree = std::make_unique<TTestList>(nullptr);
    TTestNode *n = tree->Node("n");
    tree->Ref(n);
    tree->Ref(tree.get());
    tree.reset();
}

// ---- guarded list operations and class maps ----

TEST(StreamNodeLists, OperationsOnNodesThatAreNoLists)
{
    TTestList root(nullptr);
    TTestNode *a = root.Node("a");
    TStreamNodeRef *r = root.Ref(a);
    const std::string id = a->GetID();
    for (TStreamNode *node : {static_cast<TStreamNode *>(a), static_cast<TStreamNode *>(r)}) {
        auto expectGuard = [](auto &&Call) {
            try {
                Call();
                ADD_FAILURE() << "no exception";
            } catch (const EVrnStreamNodeLinkList &e) {
                EXPECT_TRUE(StartsWith(e.Message, "StreamNode_LinkList: list methods are not available for this classkind\r"));
            }
        };
        TStreamNode *cursor = nullptr;
        expectGuard([&] { node->ClearChildren(); });
        expectGuard([&] { node->StartIteration(cursor); });
        expectGuard([&] { node->NextNode(cursor); });
        expectGuard([&] { node->Compare(nullptr, nullptr); });
        auto orphan = std::make_unique<TTestNode>(&root);
        expectGuard([&] { node->AddChild(orphan.get()); });
        expectGuard([&] { node->InsertChild(nullptr, orphan.get()); });
        EXPECT_EQ(orphan->Owner, nullptr) << "nothing was linked";
    }
    EXPECT_EQ(root.Count, 2);
    EXPECT_EQ(root.First, a);
    EXPECT_EQ(a->GetID(), id);
    EXPECT_EQ(a->Text, "a");
}

TEST(StreamNodeLists, InsertIterateClearAndClassMaps)
{
    TTestList root(nullptr);
    TTestNode *b = root.Node("b");
    auto *a = new TTestNode(&root);
    root.InsertChild(nullptr, a);
    auto *c = new TTestNode(&root);
    root.InsertChild(b, c);
    std::vector<TStreamNode *> order;
    TStreamNode *cursor;
    root.StartIteration(cursor);
    while (root.NextNode(cursor))
        order.push_back(cursor);
    EXPECT_EQ(order, (std::vector<TStreamNode *>{a, b, c}));
    EXPECT_EQ(root.Compare(a, b), 0);

    EXPECT_EQ(root.FindClass("ttestnode"), &TTestNode::Class);
    EXPECT_EQ(root.FindClass("TSTREAMNODEREF"), &TStreamNodeRef::Class);
    EXPECT_EQ(root.FindClass("TOtherNode"), nullptr);
    EXPECT_EQ(root.FindClass(""), nullptr);

    // A class outside the map: linked first, then refused.
    auto *stranger = new TOtherNode(&root);
    try {
        root.AddChild(stranger);
        ADD_FAILURE() << "no exception";
    } catch (const EVrnStreamListClassMap &e) {
        EXPECT_TRUE(StartsWith(e.Message, "CheckMap_failed\r"));
    }
    EXPECT_EQ(root.Last, stranger);
    EXPECT_THROW(root.InsertChild(nullptr, new TOtherNode(&root)), EVrnStreamListClassMap);
    EXPECT_EQ(root.Count, 5);
    EXPECT_FALSE(root.IsInClassMap(stranger));
    EXPECT_TRUE(root.IsInClassMap(a));

    root.ClearChildren();
    EXPECT_EQ(root.Count, 0);
    EXPECT_EQ(root.Registry.size(), 1u);
}

TEST(StreamNodeSettings, FileInfoAndSettings)
{
    TTestList root(nullptr);
    TStreamSettings odd;
    odd.Append = true;
    odd.FileName = "old";
    odd.WriteBlockHeaders = odd.WriteBlockFooters = odd.Compress = false;
    odd.SpyMask = 0xFF;
    TStreamFileInfo info = TestListInfo;
    info.Spacer = 77;
    root.SetFileInfoAndSettings(info, odd);
    EXPECT_EQ(root.Header.Spacer, 77);
    EXPECT_TRUE(root.Settings.Append);

    const std::string longName = "/" + std::string(300, 'n');
    root.SetFileName(longName);
    EXPECT_EQ(root.FileInfo.Spacer, 77);
    EXPECT_FALSE(root.Settings.Append);
    EXPECT_TRUE(root.Settings.WriteBlockHeaders && root.Settings.WriteBlockFooters && root.Settings.Compress);
    EXPECT_EQ(root.Settings.SpyMask, 0);
    EXPECT_EQ(root.Settings.StreamType, stFile);
    EXPECT_EQ(root.Settings.FileName, longName) << "the whole name still names the file";

    root.SetFileInfo(TestNodeInfo);
    EXPECT_EQ(root.Settings.FileName, "");
    EXPECT_EQ(root.Header.Spacer, 0);
    EXPECT_EQ(root.FileInfo.Objectversion, "1.2.3");
}

// ---- copies ----

TEST(StreamNodeAssign, ListsAppendCopies)
{
    TTestList target(nullptr);
    TTestNode *own = target.Node("own");
    TTestList source(nullptr);
    source.SetFileInfo(TestNodeInfo);
    source.ViewState.Expanded = false;
    TTestNode *s1 = source.Node("one");
    auto *s2 = new TTestList(&source);
    source.AddChild(s2);
    s2->Node("inner");

    target.Assign(&source);
    ASSERT_EQ(target.Count, 3);
    EXPECT_EQ(target.First, own);
    auto *c1 = Child<TTestNode>(target, 1);
    auto *c2 = Child<TTestList>(target, 2);
    ASSERT_TRUE(c1 && c2);
    EXPECT_EQ(c1->Text, "one");
    EXPECT_NE(c1->GetID(), s1->GetID());
    EXPECT_EQ(c1->OwnerNode, &target);
    EXPECT_EQ(c1->Root, &target);
    EXPECT_EQ(c2->Count, 1) << "a list copy copies its children";
    EXPECT_EQ(Child<TTestNode>(*c2, 0)->Text, "inner");
    EXPECT_EQ(target.FileInfo.Objectversion, "1.2.3");
    EXPECT_FALSE(target.ViewState.Expanded);
    EXPECT_EQ(target.Registry.size(), 5u);
    EXPECT_EQ(source.Count, 2) << "the source is untouched";
}

TEST(StreamNodeAssign, RefusedCopies)
{
    TTestList list(nullptr);
    TTestNode *node = list.Node("n");
    TStreamNodeRef *ref = list.Ref(node);
    ref->RefData[0] = 9;
    EXPECT_THROW(list.Assign(node), EVrnAssign);
    EXPECT_EQ(list.FileInfo.Objectversion, "1.2.3") << "a list takes the file info before it refuses";

    TStreamNodeRef *copy = list.Ref(nullptr);
    const TStreamFileInfo before = copy->FileInfo;
    EXPECT_THROW(copy->Assign(node), EVrnAssign);
    EXPECT_EQ(copy->Ref, nullptr);
    EXPECT_EQ(copy->FileInfo.Objectversion, before.Objectversion);
    copy->Assign(ref);
    EXPECT_EQ(copy->Ref, node);
    EXPECT_EQ(copy->RefData[0], 9);
    EXPECT_TRUE(copy->Header.ID_Ref.empty()) << "the next resolve binds a copy by its own ID_Ref";

    // A source child whose class the source cannot name: the copies made so far stay.
    TTestList source(nullptr);
    source.Node("first");
    EXPECT_THROW(source.AddChild(new TOtherNode(&source)), EVrnStreamListClassMap);
    source.Node("after");
    TTestList target(nullptr);
    try {
        target.Assign(&source);
        ADD_FAILURE() << "no exception";
    } catch (const EVrnStreamListClassMap &e) {
        EXPECT_TRUE(StartsWith(e.Message, "_ClassMap: can\xB4t assign class TOtherNode\r"));
    }
    EXPECT_EQ(target.Count, 1);
}

// ---- load and save ----

namespace {

// root "R" { node "n1", list "inner" { node "deep" }, ref -> deep, node "n3" }
std::unique_ptr<TTestList> MakeTree()
{
    auto root = std::make_unique<TTestList>(nullptr);
    root->Text = "R";
    root->Tag = -5;
    root->Node("n1");
    auto *inner = new TTestList(root.get());
    inner->Text = "inner";
    root->AddChild(inner);
    TTestNode *deep = inner->Node(std::string("d\xE9" "ep\0x", 6));
    TStreamNodeRef *ref = root->Ref(deep);
    for (std::size_t i = 0; i < ref->RefData.size(); ++i)
        ref->RefData[i] = static_cast<std::uint8_t>(i + 1);
    root->Node("n3")->Marker = 7;
    return root;
}

} // namespace

TEST_F(StreamList, TreeRoundTrip)
{
    auto tree = MakeTree();
    ASSERT_TRUE(tree->SaveToFile(name));
    EXPECT_EQ(tree->Wrappers, nullptr);
    const TBytes coded = ReadAll(name);
    const TBytes container = Decode(coded);
    std::vector<TBlock> blocks;
    ASSERT_TRUE(IsSoundContainer(container, blocks));
    ASSERT_EQ(blocks.size(), 6u);
    EXPECT_EQ(I32(container, 310), 2);
    EXPECT_EQ(I32(container, 314), 4);
    const std::vector<std::string> classes{"TTestList", "TTestNode", "TTestList", "TTestNode", "TStreamNodeRef", "TTestNode"};
    const std::vector<int> depths{0, 1, 1, 2, 1, 1};
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        EXPECT_EQ(blocks[i].H.ClassName, classes[i]);
        EXPECT_EQ(blocks[i].Depth, depths[i]);
    }
    EXPECT_EQ(blocks[0].H.Objectversion, "2.0.0");
    EXPECT_EQ(blocks[1].H.Objectversion, "1.2.3");
    EXPECT_EQ(blocks[4].H.ClassKind, ckRefCarrier);
    EXPECT_EQ(blocks[4].H.ID_Ref, blocks[3].H.ID);
    EXPECT_EQ(blocks[3].H.LastCaption, std::string("d\xE9" "ep\0x", 6));

    TTestList loaded(nullptr);
    loaded.Node("dropped by the load");
    ASSERT_TRUE(loaded.LoadFromFile(name));
    EXPECT_EQ(loaded.Wrappers, nullptr);
    EXPECT_EQ(loaded.GetID(), tree->GetID());
    EXPECT_EQ(loaded.Text, "R");
    EXPECT_EQ(loaded.Tag, -5);
    ASSERT_EQ(loaded.Count, 4);
    EXPECT_EQ(loaded.Registry.size(), 6u);
    auto *inner = Child<TTestList>(loaded, 1);
    auto *ref = Child<TStreamNodeRef>(loaded, 2);
    ASSERT_TRUE(inner && ref && inner->Count == 1);
    auto *deep = Child<TTestNode>(*inner, 0);
    EXPECT_EQ(deep->Text, std::string("d\xE9" "ep\0x", 6));
    EXPECT_EQ(deep->GetID(), blocks[3].H.ID);
    EXPECT_EQ(deep->OwnerNode, inner);
    EXPECT_EQ(ref->Ref, deep) << "a loaded reference is bound";
    EXPECT_EQ(ref->RefData[10], 11);
    EXPECT_EQ(Child<TTestNode>(loaded, 3)->Marker, 7);
    EXPECT_EQ(loaded.Settings.FileName, name);

    // Saved again under the same name: the same container, except that a
    // reference re-created by its class name has no file-type record of its
    // own, so its block carries no object version.
    EXPECT_TRUE(ref->FileInfo.Objectversion.empty());
    ASSERT_TRUE(loaded.SaveToFile(name));
    TBytes expected = container;
    std::fill_n(expected.begin() + blocks[4].H.Offset + bhObjectversion, 13, 0);
    EXPECT_EQ(Decode(ReadAll(name)), expected);
    ref->SetFileInfo(RefFileInfo);
    ASSERT_TRUE(loaded.SaveToFile(name));
    EXPECT_EQ(ReadAll(name), coded);
    ASSERT_TRUE(loaded.SaveToFile(name));
    EXPECT_EQ(ReadAll(name), coded);
    EXPECT_EQ(Entries(), QStringList{"tree.tst"});
}

TEST_F(StreamList, HeadersAfterEdits)
{
    auto tree = MakeTree();
    ASSERT_TRUE(SavePlain(*tree));
    TTestNode *n1 = Child<TTestNode>(*tree, 0);
    n1->Text = std::string(40, 'L');
    ASSERT_TRUE(SavePlain(*tree));
    n1->Text = "s";
    tree->Delete(tree->Last); // the block that was last before
    tree->Ref(nullptr)->Header.ID_Ref = "a target that is gone";
    ASSERT_TRUE(SavePlain(*tree));
    const TBytes b = ReadAll(name);
    std::vector<TBlock> blocks;
    ASSERT_TRUE(IsSoundContainer(b, blocks)) << "no field of the earlier saves remains";
    ASSERT_EQ(blocks.size(), 6u);
    EXPECT_EQ(blocks[1].H.LastCaption, "s");
    EXPECT_EQ(blocks[5].H.ClassKind, ckRefCarrier);
    EXPECT_TRUE(blocks[5].H.ID_Ref.empty());
    EXPECT_EQ(blocks[5].H.OffsetNext_Block, 0);
    // A caption longer than 20 characters is cut.
    n1->Text = "0123456789abcdefghijKLMN";
    ASSERT_TRUE(SavePlain(*tree));
    EXPECT_EQ(HeaderAt(ReadAll(name), 400 + 250 + 5 + 4).LastCaption, "0123456789abcdefghij");
    EXPECT_EQ(n1->Header.LastCaption, "0123456789abcdefghij");
}

TEST_F(StreamList, LoadedVersions)
{
    auto tree = MakeTree();
    for (TListNode *c = tree->First; c; c = c->Next)
        if (auto *n = dynamic_cast<TTestNode *>(c)) {
            TStreamFileInfo old = TestNodeInfo;
            old.Objectversion = "0.9";
            n->SetFileInfo(old);
        }
    ASSERT_TRUE(tree->SaveToFile(name));
    EXPECT_EQ(Child<TTestNode>(*tree, 0)->LoadedVersion, "0.9") << "after a save: the class's own";
    TTestNode::VersionsSeen.clear();
    TTestList loaded(nullptr);
    EXPECT_TRUE(loaded.LoadedVersion.empty());
    ASSERT_TRUE(loaded.LoadFromFile(name));
    EXPECT_EQ(TTestNode::VersionsSeen, (std::vector<std::string>{"0.9", "1.2.3", "0.9"}));
    EXPECT_EQ(Child<TTestNode>(loaded, 0)->LoadedVersion, "1.2.3");
    EXPECT_EQ(loaded.LoadedVersion, "2.0.0");
}

TEST_F(StreamList, ChildrenThatCannotBeLoaded)
{
    TTestList tree(nullptr);
    tree.Node("first");
    tree.Node("broken")->Marker = TTestNode::FailMarker;
    tree.Node("never");
    ASSERT_TRUE(SavePlain(tree));
    const TBytes plain = ReadAll(name);
    WriteAll(name, Code(plain));

    TTestList loaded(nullptr);
    EXPECT_FALSE(loaded.LoadFromFile(name));
    ASSERT_EQ(loaded.Count, 2) << "the failing child stays, no further child is read";
    EXPECT_EQ(Child<TTestNode>(loaded, 1)->Text, "broken");
    EXPECT_EQ(loaded.Registry.size(), 3u);

    // A class name that the map lacks, in the middle.
    std::vector<TBlock> blocks;
    ASSERT_TRUE(IsSoundContainer(plain, blocks));
    TBytes patched = plain;
    patched[static_cast<std::size_t>(blocks[2].H.Offset) + bhClassName + 1] = 'X';
    patched[static_cast<std::size_t>(blocks[1].H.Offset) + bhClassName + 1] = 't'; // letter case does not matter
    patched[static_cast<std::size_t>(blocks[1].H.Offset) + bhClassName + 2] = 't';
    WriteAll(name, Code(patched));
    EXPECT_FALSE(loaded.LoadFromFile(name));
    ASSERT_EQ(loaded.Count, 1);
    EXPECT_EQ(Child<TTestNode>(loaded, 0)->GetID(), blocks[1].H.ID);
}

TEST_F(StreamList, FailedSavesKeepTheOldFile)
{
    TTestList tree(nullptr);
    tree.Node("a");
    ASSERT_TRUE(tree.SaveToFile(name));
    const TBytes before = ReadAll(name);

    TTestNode *b = tree.Node("b");
    TTestNode *c = tree.Node("c");
    b->FailWrite = true;
    EXPECT_FALSE(tree.SaveToFile(name));
    EXPECT_EQ(ReadAll(name), before);
    EXPECT_FALSE(SavePlain(tree));
    EXPECT_EQ(ReadAll(name), before);

    b->FailWrite = false;
    c->ThrowOnWrite = true;
    EXPECT_THROW(tree.SaveToFile(name), EWriteError);
    EXPECT_EQ(tree.Wrappers, nullptr);
    EXPECT_EQ(ReadAll(name), before);
    EXPECT_EQ(Entries(), QStringList{"tree.tst"});

    // The node saves again once its data can be written.
    c->ThrowOnWrite = false;
    EXPECT_TRUE(tree.SaveToFile(name));
    TTestList loaded(nullptr);
    EXPECT_TRUE(loaded.LoadFromFile(name));
    EXPECT_EQ(loaded.Count, 3);
}

// The reason of a failed save is the node's whichever step failed: here the
// first write of an uncoded save, which happens while the file is opened.
TEST_F(StreamList, AFailedSaveSaysWhy)
{
    TTestList tree(nullptr);
    tree.Node("a");
    const std::string file = name;
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{};
            limit.rlim_cur = limit.rlim_max = 100; // less than the stream header
            setrlimit(RLIMIT_FSIZE, &limit);
            TStreamSettings s;
            s.FileName = file;
            s.Compress = false;
            tree.SetFileInfoAndSettings(tree.FileInfo, s);
            const bool saved = tree.Save();
            std::_Exit(!saved && tree.FailReason.find(SysErrorText(EFBIG)) != std::string::npos ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");

    // A save refused before it starts has no reason of an earlier one.
    tree.FailReason = "earlier";
    TStreamSettings bare;
    bare.FileName = name;
    bare.WriteBlockHeaders = false;
    tree.SetFileInfoAndSettings(tree.FileInfo, bare);
    EXPECT_FALSE(tree.Save());
    EXPECT_EQ(tree.FailReason, "");
}

TEST_F(StreamList, SettingsOfALoadOrSave)
{
    TTestList tree(nullptr);
    tree.Node("a");
    TStreamSettings odd;
    odd.Append = true;
    odd.WriteBlockHeaders = odd.WriteBlockFooters = odd.Compress = false;
    odd.SpyMask = 1;
    tree.SetFileInfoAndSettings(tree.FileInfo, odd);
    ASSERT_TRUE(tree.SaveToFile(name));
    EXPECT_FALSE(tree.Settings.Append);
    EXPECT_EQ(tree.Settings.SpyMask, 0);
    EXPECT_TRUE(tree.Settings.Compress && tree.Settings.WriteBlockHeaders && tree.Settings.WriteBlockFooters);
    ASSERT_TRUE(IsSoundContainer(Decode(ReadAll(name)))) << "coded, with headers and footers";

    TTestList loaded(nullptr);
    loaded.SetFileInfoAndSettings(loaded.FileInfo, odd);
    ASSERT_TRUE(loaded.LoadFromFile(name));
    EXPECT_EQ(loaded.Settings.SpyMask, 0);
    EXPECT_TRUE(loaded.Settings.Compress);

    // A load with the spy switched on reads the same.
    TStreamSettings spying;
    spying.FileName = name;
    spying.SpyMask = 1;
    loaded.SetFileInfoAndSettings(loaded.FileInfo, spying);
    ASSERT_TRUE(loaded.Load());
    EXPECT_EQ(loaded.Count, 1);

    EXPECT_THROW(loaded.LoadFromFile(dir.filePath("missing.tst").toStdString()), EVrnStreamWrapCreate);
    EXPECT_EQ(loaded.Count, 0);
    EXPECT_EQ(loaded.Wrappers, nullptr);
}

// A load decodes the container as it reads it, a window of 256 KB at a time:
// data, block ends and long strings that cross the windows read back whole.
TEST_F(StreamList, LoadsContainersLargerThanADecodingWindow)
{
    TTestList tree(nullptr);
    tree.Text = std::string(600000, 'R'); // one text over three windows
    std::mt19937 rng(3);
    for (int i = 0; i < 300; ++i) {
        std::string text(static_cast<std::size_t>(rng() % 9000), ' ');
        for (char &c : text)
            c = static_cast<char>(rng() % 40 + 'A');
        tree.Node(text)->Marker = static_cast<std::uint8_t>(i % 200); // 0xEE would fail its read
    }
    auto *inner = new TTestList(&tree);
    tree.AddChild(inner);
    inner->Node(std::string(300000, 'i'));
    ASSERT_TRUE(tree.SaveToFile(name));
    TTestList loaded(nullptr);
    ASSERT_TRUE(loaded.LoadFromFile(name));
    ASSERT_EQ(loaded.Count, tree.Count);
    EXPECT_EQ(loaded.Text, tree.Text);
    for (int i = 0; i < 300; ++i) {
        EXPECT_EQ(Child<TTestNode>(loaded, i)->Text, Child<TTestNode>(tree, i)->Text) << i;
        EXPECT_EQ(Child<TTestNode>(loaded, i)->Marker, i % 200);
    }
    EXPECT_EQ(Child<TTestNode>(*Child<TTestList>(loaded, 300), 0)->Text, std::string(300000, 'i'));
}

// Without block headers nothing in a container says how many children a list
// holds or of which class they are: a tree with children is not saved so, a
// tree without them is, and loads back whole.
TEST_F(StreamList, WithoutBlockHeadersOnlyAChildlessTreeIsSaved)
{
    TStreamSettings headerless;
    headerless.FileName = name;
    headerless.WriteBlockHeaders = headerless.WriteBlockFooters = false;
    for (bool compress : {true, false}) {
        SCOPED_TRACE(compress ? "coded" : "plain");
        headerless.Compress = compress;
        TTestList tree(nullptr);
        tree.Text = "R";
        tree.Tag = 42;
        tree.Node("child");
        ASSERT_TRUE(tree.SaveToFile(name));
        const TBytes before = ReadAll(name);
        tree.SetFileInfoAndSettings(tree.FileInfo, headerless);
        EXPECT_FALSE(tree.Save());
        EXPECT_EQ(ReadAll(name), before);
        EXPECT_EQ(Entries(), QStringList{"tree.tst"});

        tree.ClearChildren();
        tree.SetFileInfoAndSettings(tree.FileInfo, headerless);
        ASSERT_TRUE(tree.Save());
        const TBytes container = compress ? Decode(ReadAll(name)) : ReadAll(name);
        EXPECT_EQ(container.size(), 400u + 4 + 1 + 4 + 20);
        TTestList loaded(nullptr);
        loaded.Node("old");
        loaded.SetFileInfoAndSettings(loaded.FileInfo, headerless);
        EXPECT_TRUE(loaded.Load());
        EXPECT_EQ(loaded.Text, "R");
        EXPECT_EQ(loaded.Tag, 42);
        EXPECT_EQ(loaded.Count, 0);
        // The container's flags count, not the loading node's header switches.
        if (compress) {
            EXPECT_TRUE(loaded.LoadFromFile(name));
            EXPECT_EQ(loaded.Text, "R");
        }
    }
}

// A container without block headers that holds more than its root's data
// (as a save without headers once wrote for a tree with children) reads its
// root but does not pass for complete.
TEST_F(StreamList, WithoutBlockHeadersChildrenDoNotPassForLoaded)
{
    TTestList tree(nullptr);
    tree.Text = "R";
    tree.Node("lost");
    {
        TStreamWrappers list(&tree, false, nullptr);
        auto *w = new TFile_StreamWrapper(1, TStreamWrapper::WriteModeFor(false, false), name);
        list.Add(w);
        ASSERT_TRUE(w->Open(false));
        ASSERT_TRUE(tree.SaveNode(*w));
        ASSERT_TRUE(w->Close(false, true));
    }
    TTestList loaded(nullptr);
    TStreamSettings plain;
    plain.FileName = name;
    plain.Compress = false;
    loaded.SetFileInfoAndSettings(loaded.FileInfo, plain);
    EXPECT_FALSE(loaded.Load());
    EXPECT_EQ(loaded.Text, "R");
    EXPECT_EQ(loaded.Count, 0);
}

namespace {

// The process's address space in bytes.
std::uint64_t AddressSpace()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmSize:", 0) == 0) {
            std::uint64_t kib = 0;
            const char *p = line.c_str() + 7;
            while (*p == ' ' || *p == '\t')
                ++p;
            std::from_chars(p, line.c_str() + line.size(), kib);
            return kib * 1024;
        }
    return 0;
}

// Runs Step with an address space of only Spare bytes more than now, in a
// child process: its exit code.
void ExpectExitWithLittleMemory(const std::function<int()> &Step, std::uint64_t Spare)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            rlimit limit{};
            limit.rlim_cur = limit.rlim_max = AddressSpace() + Spare;
            setrlimit(RLIMIT_AS, &limit);
            std::_Exit(Step());
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace

// A load or save that runs out of memory is a failure with a message that
// names the file, not a bare std::bad_alloc; a load leaves the list empty, a
// save leaves the file as it was.
TEST_F(StreamList, RunningOutOfMemory)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator cannot work under a limit of the address space";
#endif
    // A coded file whose codes are the bytes themselves (8 bits each), so
    // that its data are the container: a root whose text claims 900 MB, and
    // that many zero bytes after it, stored sparse.
    TBytes coded{0, 0, 3, 0, 0};
    for (int v = 0; v < 256; ++v)
        coded.insert(coded.end(), {static_cast<std::uint8_t>(v), 8, static_cast<std::uint8_t>(v)});
    TStreamHeader header;
    header.WriteBlockHeaders = header.WriteBlockFooters = true;
    header.DataSize = 1 << 30;
    const auto fields = header.Pack();
    coded.insert(coded.end(), fields.begin(), fields.end());
    coded.resize(coded.size() + 70);
    TBlockHeader root;
    root.ID = "root";
    root.ClassName = "TTestList";
    const auto rootFields = root.Pack();
    coded.insert(coded.end(), rootFields.begin(), rootFields.end());
    coded.insert(coded.end(), {0, 0, 0x40, 0x38}); // the text's length: 0x38400000 bytes
    WriteAll(name, coded);
    ASSERT_EQ(truncate(name.c_str(), static_cast<off_t>(coded.size()) + (1 << 30)), 0);
    const std::string file = name;
    ExpectExitWithLittleMemory(
        [&] {
            TTestList loaded(nullptr);
            loaded.Node("old");
            try {
                loaded.LoadFromFile(file);
            } catch (const EVrnStreamOutOfMemory &e) {
                return e.Message == "There is not enough memory to load the file \"" + file + "\"." && loaded.Count == 0 ? 0 : 1;
            } catch (...) {
                return 2;
            }
            return 3;
        },
        256 << 20);

    TTestList small(nullptr);
    small.Node("a");
    ASSERT_TRUE(small.SaveToFile(name));
    const TBytes before = ReadAll(name);
    TTestList big(nullptr);
    big.Node(std::string(128 << 20, 'x'));
    ExpectExitWithLittleMemory(
        [&] {
            try {
                big.SaveToFile(file);
            } catch (const EVrnStreamOutOfMemory &e) {
                return e.Message.find(file) != std::string::npos ? 0 : 1;
            } catch (...) {
                return 2;
            }
            return 3;
        },
        32 << 20);
    EXPECT_EQ(ReadAll(name), before);
    EXPECT_EQ(Entries(), QStringList{"tree.tst"});

    // The room a save keeps for the next one is given back when memory runs out.
    TTestList medium(nullptr);
    medium.Node(std::string(20 << 20, 'y'));
    const std::string other = dir.filePath("medium.tst").toStdString();
    ExpectExitWithLittleMemory(
        [&] {
            const std::uint64_t start = AddressSpace();
            if (!medium.SaveToFile(other))
                return 4;
            const std::uint64_t kept = AddressSpace();
            if (kept < start + (16 << 20))
                return 5; // the save kept no room to give back
            try {
                big.SaveToFile(file);
            } catch (const EVrnStreamOutOfMemory &) {
                return AddressSpace() + (16 << 20) < kept ? 0 : 1;
            } catch (...) {
                return 2;
            }
            return 3;
        },
        64 << 20);
}

// A stream header whose length no save writes (here 0, shorter than the
// header itself) marks a damaged file: the load fails at once instead of
// decoding everything the file would expand to. Neither that load nor a big
// save keeps more room for the next run than MaxKeptRoom.
TEST_F(StreamList, AHeaderNoSaveWritesIsDamageAndLittleRoomIsKept)
{
    // One-bit codes for the values 0 and 1, then 16 MB of zero bits stored
    // sparse: 128 MB of zeros, beginning with a stream header of length 0.
    WriteAll(name, TBytes{0, 6, 0, 0, 0, 0, 1, 0, 1, 1, 0x80});
    ASSERT_EQ(truncate(name.c_str(), 11 + (16 << 20)), 0);
#if !defined(__SANITIZE_ADDRESS__) // its allocator cannot work under a limit of the address space
    const std::string file = name;
    ExpectExitWithLittleMemory(
        [&] {
            TTestList loaded(nullptr);
            try {
                return loaded.LoadFromFile(file) ? 1 : 0;
            } catch (...) {
                return 2;
            }
        },
        32 << 20);
#endif
    TTestList loaded(nullptr);
    loaded.Node("old");
    EXPECT_FALSE(loaded.LoadFromFile(name));
    EXPECT_EQ(loaded.Count, 0);
    EXPECT_LE(TMemoryStream::KeptRoom(), TMemoryStream::MaxKeptRoom);

    TTestList big(nullptr);
    big.Node(std::string(80 << 20, 'x'));
    ASSERT_TRUE(big.SaveToFile(name));
    EXPECT_LE(TMemoryStream::KeptRoom(), TMemoryStream::MaxKeptRoom);
}

// ---- the spy ----

TEST_F(StreamList, SpyCapturesTheHeadersOfALoad)
{
    TTestList tree(nullptr);
    tree.Node("Var1 default");
    tree.Node("Var2 default");
    ASSERT_TRUE(SavePlain(tree));

    TStreamSpy spy;
    spy.SetCaptureOff(true);
    TTestList loaded(nullptr);
    {
        TStreamWrappers wrappers(&loaded, false, &spy);
        auto *w = new TFile_StreamWrapper(0, 0, name);
        wrappers.Add(w);
        ASSERT_TRUE(w->Open(true));
        ASSERT_TRUE(loaded.LoadRoot(*w));
        w->Close(true, false);
    }
    EXPECT_EQ(loaded.Count, 2);
    ASSERT_EQ(spy.Count, 1);
    auto *main = dynamic_cast<tStreamSpyNode *>(spy.First);
    ASSERT_TRUE(main);
    EXPECT_EQ(spy.CurrentMain, main);
    EXPECT_EQ(main->Kind, skMain);
    EXPECT_EQ(main->Spy, &spy);
    EXPECT_EQ(main->GetCaption(), "skMain");
    EXPECT_EQ(main->GetImageIndex(), 0);
    EXPECT_EQ(main->GetSelectedIndex(), 1);
    const auto mainCaptions = main->GetColumnCaptions();
    const auto mainValues = main->GetColumnValues();
    ASSERT_EQ(mainCaptions.size(), 16u);
    ASSERT_EQ(mainValues.size(), 15u);
    EXPECT_EQ(mainValues[6], name);
    EXPECT_EQ(mainValues[9], std::to_string(ReadAll(name).size()));
    EXPECT_EQ(mainValues[12], "3");

    ASSERT_EQ(main->Count, 3) << "block headers in file order, flat";
    EXPECT_EQ(spy.CurrentBlock, main->Last);
    std::vector<int> images, selected;
    for (TListNode *c = main->First; c; c = c->Next) {
        auto *block = static_cast<tStreamSpyNode *>(c);
        EXPECT_EQ(block->Kind, skBlock);
        images.push_back(block->GetImageIndex());
        selected.push_back(block->GetSelectedIndex());
    }
    EXPECT_EQ(images, (std::vector<int>{2, 4, 4}));
    EXPECT_EQ(selected, (std::vector<int>{3, 5, 5}));
    auto *second = static_cast<tStreamSpyNode *>(main->Last);
    EXPECT_EQ(second->GetCaption(), "Var2 default");
    spy.ShowClassKind = true;
    EXPECT_EQ(second->GetCaption(), "Var2 default/ckNode");
    spy.ShowID = true;
    EXPECT_EQ(second->GetCaption(), "Var2 default/ckNode/" + Child<TTestNode>(loaded, 1)->GetID());
    const auto captions = second->GetColumnCaptions();
    const auto values = second->GetColumnValues();
    ASSERT_EQ(captions.size(), 19u);
    ASSERT_EQ(values.size(), 18u);
    EXPECT_EQ(captions[12], "OffsetNext_Node");
    EXPECT_EQ(captions[14], "OffsetNext_Block");
    EXPECT_EQ(values[5], "ckNode");
    EXPECT_EQ(values[6], "TTestNode");
    EXPECT_EQ(values[10], std::to_string(second->BlockHeader.Offset));
    EXPECT_EQ(values[13], "0") << "the last block has no successor";
    EXPECT_EQ(values[14], std::to_string(static_cast<tStreamSpyNode *>(second->Prev)->BlockHeader.Offset));
    EXPECT_EQ(values[17], "TRUE");

    TBlockHeader h;
    for (TClassKind kind : {ckUnknown, ckRefCarrier}) {
        h.ClassKind = kind;
        std::unique_ptr<tStreamSpyNode> node(tStreamSpyNode::CreateBlock(h));
        EXPECT_EQ(node->GetImageIndex(), kind == ckUnknown ? -1 : 6);
        EXPECT_EQ(node->GetSelectedIndex(), kind == ckUnknown ? -1 : 7);
        EXPECT_EQ(node->GetCaption(), "") << "without a spy no switches apply";
    }
    spy.SetCaptureOff(true);
    EXPECT_EQ(spy.Count, 0);
    EXPECT_EQ(spy.CurrentMain, nullptr);
}
