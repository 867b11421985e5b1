#include "store/VrnStreamList.h"

#include "base/VrnFiles.h"
#include "platform/Dialogs.h"
#include "platform/SystemText.h"
#include "store/VrnHuffFuncs.h"
#include "store/VrnStreamSpy.h"

#include <algorithm>
#include <memory>
#include <new>
#include <set>

namespace {

const char SLinkList[] = "StreamNode_LinkList: list methods are not available for this classkind";
const char SCheckMap[] = "CheckMap_failed";
const char SNotSameClass[] = "_template is not same class";
const char SCantAssignClass[] = "_ClassMap: can\xB4t assign class ";

} // namespace

void InitStreamSettings(TStreamSettings &Settings)
{
    Settings = TStreamSettings();
}

void InitStreamFileInfo(TStreamFileInfo &Info)
{
    Info = TStreamFileInfo();
}

// ---- TStreamNode ----

TStreamNode::TStreamNode(TStreamNode *Owner, const char *AClassName, TClassKind AKind)
    : OwnerNode(Owner), Root(Owner ? Owner->Root : this), FClassName(AClassName), FKind(AKind)
{
    TStreamWrapper::InitBlockHeader(Header);
    TStreamWrapper::InitBlockFooter(Footer);
    Header.ID = TStreamWrapper::MakeNodeID(FClassName);
    Header.ClassKind = FKind;
    Header.ClassName = FClassName;
    Registry.clear();
    Root->Registry.push_back(this);
    RegistryEntry = std::prev(Root->Registry.end());
}

TStreamNode::~TStreamNode()
{
    // References to this node lose their target.
    if (Root->RefNodes > 0)
        for (TStreamNode *node : Root->Registry)
            if (auto *ref = dynamic_cast<TStreamNodeRef *>(node); ref && ref->Ref == this)
                ref->SetRef(nullptr);
    if (Root != this)
        Root->Registry.erase(RegistryEntry);
    // The children leave the registry while it still exists: a root's is freed last.
    TLinkList::Clear();
}

void TStreamNode::SetFileInfoAndSettings(const TStreamFileInfo &Info, const TStreamSettings &ASettings)
{
    FileInfo = Info;
    Settings = ASettings;
    Header.Spacer = Info.Spacer;
}

void TStreamNode::SetFileInfo(const TStreamFileInfo &Info)
{
    SetFileInfoAndSettings(Info, TStreamSettings());
}

void TStreamNode::SetFileName(const std::string &FileName)
{
    TStreamSettings settings;
    settings.FileName = FileName;
    SetFileInfoAndSettings(FileInfo, settings);
}

TStreamNode *TStreamNode::FindByID(const std::string &ID) const
{
    const std::string id = ID.substr(0, 50);
    if (id.empty())
        return nullptr;
    for (TStreamNode *node : Root->Registry)
        if (SameTextAscii(node->GetID(), id))
            return node;
    return nullptr;
}

void TStreamNode::ResolveRefs()
{
    for (TStreamNode *node : Root->Registry)
        if (auto *ref = dynamic_cast<TStreamNodeRef *>(node))
            ref->SetRef(FindByID(ref->Header.ID_Ref));
}

TClassKind TStreamNode::GetClassKind()
{
    Header.ClassKind = FKind;
    return FKind;
}

void TStreamNode::GuardList()
{
    if (GetClassKind() != ckList)
        throw EVrnStreamNodeLinkList(SLinkList);
}

void TStreamNode::AddChild(TStreamNode *Node)
{
    GuardList();
    TLinkList::Add(Node);
    if (Node)
        Node->CheckMap();
}

void TStreamNode::InsertChild(TStreamNode *After, TStreamNode *Node)
{
    GuardList();
    TLinkList::InsertAfter(After, Node);
    if (Node)
        Node->CheckMap();
}

void TStreamNode::ClearChildren()
{
    GuardList();
    TLinkList::Clear();
}

void TStreamNode::StartIteration(TStreamNode *&Cursor)
{
    GuardList();
    Cursor = nullptr;
}

bool TStreamNode::NextNode(TStreamNode *&Cursor)
{
    GuardList();
    return TLinkList::NextNode(Cursor);
}

int TStreamNode::Compare(TListNode *Item1, TListNode *Item2)
{
    GuardList();
    return TLinkList::Compare(Item1, Item2);
}

void TStreamNode::CheckMap()
{
    if (auto *list = dynamic_cast<TStreamList *>(Owner); list && !list->IsInClassMap(this))
        throw EVrnStreamListClassMap(SCheckMap);
}

void TStreamNode::AttachOpenDialog(TFileDialogRequest &Dialog) const
{
    SetupOpenDialog(Dialog, FileInfo);
}

void TStreamNode::AttachSaveDialog(TFileDialogRequest &Dialog) const
{
    SetupSaveDialog(Dialog, FileInfo);
}

void TStreamNode::Assign(TStreamNode *Source)
{
    FileInfo = Source->FileInfo;
    AssignViewState(Source);
}

void TStreamNode::BeforeLoad()
{
}

void TStreamNode::TakeHeader(TStreamNode *Node, const TBlockHeader &AHeader, const TBlockFooter &AFooter)
{
    Node->Header = AHeader;
    Node->Footer = AFooter;
}

void TStreamNode::PrepareHeader()
{
    Header.ID_owner = std::string();
    if (OwnerNode)
        Header.ID_owner = OwnerNode->GetID();
    if (auto *holder = dynamic_cast<TStreamNode *>(Owner))
        Header.ID_owner = holder->GetID();
    // No node-chain links are written. Every sibling clears its own before
    // its block, so no walk back over the earlier siblings is needed.
    Header.OffsetPrev_Node = 0;
    Header.Count = Count;
    Header.IsLinked = Prev != nullptr || Next != nullptr;
    Header.LastCaption = GetCaption();
    Header.Objectversion = FileInfo.Objectversion;
    LoadedVersion = FileInfo.Objectversion;
    // The kind and the minimum block length are the class's own: a damaged
    // header of a loaded file must not reach the next save.
    GetClassKind();
    Header.Spacer = FileInfo.Spacer;
}

bool TStreamNode::SaveChildren(TStreamWrapper &)
{
    return true;
}

bool TStreamNode::LoadChildren(TStreamWrapper &)
{
    return true;
}

bool TStreamNode::LoadFromFile(const std::string &FileName)
{
    SetFileName(FileName);
    return Load();
}

bool TStreamNode::SaveToFile(const std::string &FileName)
{
    SetFileName(FileName);
    return Save();
}

bool TStreamNode::Load()
{
    BeforeLoad();
    return LoadWithType(Settings.StreamType);
}

bool TStreamNode::Save()
{
    return SaveWithType(Settings.StreamType);
}

bool TStreamNode::LoadWithType(TStreamType StreamType)
{
    if (GetClassKind() == ckList)
        ClearChildren();
    return RunWithWrapper(StreamType, true, &TStreamNode::LoadRoot);
}

bool TStreamNode::SaveWithType(TStreamType StreamType)
{
    // Without block headers a container tells a reader neither how many
    // children a list holds nor of which class they are: a tree with children
    // would be written but could not be read back.
    if (!Settings.WriteBlockHeaders && Count > 0) {
        FailReason.clear(); // not an earlier run's
        return false;
    }
    return RunWithWrapper(StreamType, false, &TStreamNode::SaveNode);
}

bool TStreamNode::RunWithWrapper(TStreamType StreamType, bool Loading, TStep Step)
{
    FailReason.clear();
    bool outOfMemory = false;
    bool result = false;
    try {
        result = RunWrapped(StreamType, Loading, Step, outOfMemory);
    } catch (const std::bad_alloc &) {
        outOfMemory = true;
    }
    if (!outOfMemory)
        return result;
    // Whatever a load read is of no use without the rest, and holds memory
    // that the program needs now; so does the scratch room kept for the next run.
    TMemoryStream::DropSpare();
    if (Loading && GetClassKind() == ckList)
        ClearChildren();
    if (Loading)
        throw EVrnStreamOutOfMemory("There is not enough memory to load the file \"" + FileNameText(Settings.FileName) + "\".");
    throw EVrnStreamOutOfMemory("There is not enough memory to save the file \"" + FileNameText(Settings.FileName)
                                + "\"; the file was left as it was.");
}

bool TStreamNode::RunWrapped(TStreamType StreamType, bool Loading, TStep Step, bool &OutOfMemory)
{
    std::unique_ptr<TStreamSpy> spy;
    if (Loading && (Settings.SpyMask & 1)) {
        spy = std::make_unique<TStreamSpy>();
        spy->SetCaptureOff(true);
    }
    auto wrappers = std::make_unique<TStreamWrappers>(this, Settings.Compress, spy.get());
    Wrappers = wrappers.get();
    // Wrappers and the spy are gone when this run ends, however it ends.
    struct TReset {
        TStreamNode *Node;
        ~TReset() { Node->Wrappers = nullptr; }
    } reset{this};

    std::uint8_t mode = 0, writeMode = 0;
    if (Settings.Append) {
        mode = 2;
    } else if (!Loading) {
        mode = 1;
        writeMode = TStreamWrapper::WriteModeFor(Settings.WriteBlockHeaders, Settings.WriteBlockFooters);
    }
    if (StreamType > stFile)
        return false;
    std::unique_ptr<TStreamWrapper> created = StreamWrapperClasses[StreamType](mode, writeMode, Settings.FileName);
    if (!created)
        return false;
    TStreamWrapper *wrapper = created.release();
    wrappers->Add(wrapper); // deleting the collection frees the wrapper
    // Failures that the wrapper turned into False may have been memory
    // running out; their reason is the node's, however the run ends.
    struct TNote {
        TStreamWrapper *Wrapper;
        bool &Flag;
        std::string &Reason;
        ~TNote()
        {
            Flag = Flag || Wrapper->OutOfMemory;
            Reason = Wrapper->FailReason;
        }
    } note{wrapper, OutOfMemory, FailReason};

    if (!Loading)
        ResolveRefs();
    bool opened = false;
    try {
        opened = wrapper->Open(Loading);
    } catch (const EHuffError &) {
        // Not a readable coded file: a failed load like any other damage.
        if (!Loading)
            throw;
        opened = false;
    }
    if (!opened) {
        wrapper->Close(Loading, false);
        if (Loading)
            ResolveRefs();
        return false;
    }

    bool result = false;
    try {
        result = (this->*Step)(*wrapper);
    } catch (...) {
        wrapper->Close(Loading, false);
        if (Loading)
            ResolveRefs();
        throw;
    }
    const bool closed = wrapper->Close(Loading, result);
    if (Loading)
        ResolveRefs();
    // A save counts only when its file was written and replaced the old one.
    return result && (Loading || closed);
}

bool TStreamNode::SaveNode(TStreamWrapper &Wrapper)
{
    PrepareHeader();
    // Only a reference names a target; whatever a loaded header held there is not written.
    if (Header.ClassKind != ckRefCarrier)
        Header.ID_Ref = std::string();
    Wrapper.BeginBlock(Header, Footer, false);
    bool result = false;
    try {
        result = WriteData(Wrapper);
        if (result)
            result = SaveChildren(Wrapper);
    } catch (...) {
        Wrapper.EndBlock(Header, Footer, false);
        throw;
    }
    Wrapper.EndBlock(Header, Footer, false);
    return result;
}

bool TStreamNode::LoadRoot(TStreamWrapper &Wrapper)
{
    if (!Wrapper.Header.WriteBlockHeaders) {
        // The root's data follow the stream header. Such a container holds
        // no children (a save refuses them), so the root's data must end
        // where the stream footer begins; anything between could not be read.
        Header.Count = 0;
        Header.Objectversion = FileInfo.Objectversion;
        const bool loaded = LoadNode(Wrapper);
        try {
            return loaded && Wrapper.Position() == Wrapper.Header.Offsetfooter;
        } catch (...) {
            return false;
        }
    }
    // A container whose first block header cannot be read, or names no node,
    // holds no project; the node keeps its own header then.
    TBlockHeader h;
    TBlockFooter f;
    if (!Wrapper.BeginBlock(h, f, true) || h.ID.empty())
        return false;
    TakeHeader(this, h, f);
    GetClassKind(); // the kind is this node's own, whatever the file said
    return LoadNode(Wrapper);
}

bool TStreamNode::LoadNode(TStreamWrapper &Wrapper)
{
    LoadedVersion = Header.Objectversion;
    bool result = false;
    try {
        result = ReadData(Wrapper);
        if (result)
            result = LoadChildren(Wrapper);
    } catch (...) {
        Wrapper.EndBlock(Header, Footer, true);
        PrepareHeader();
        throw;
    }
    // A block whose end cannot be found leaves the reader nowhere to go on from.
    if (!Wrapper.EndBlock(Header, Footer, true))
        result = false;
    PrepareHeader();
    return result;
}

// ---- TStreamList ----

void TStreamList::AddToClassMap(TClassMaps &Map, const TStreamNodeClass &NodeClass)
{
    Map.push_back(&NodeClass);
}

const TStreamNodeClass *TStreamList::FindClass(const std::string &Name) const
{
    TClassMaps map;
    GetClassMap(map);
    for (const TStreamNodeClass *cls : map)
        if (SameTextAscii(cls->ClassName, Name))
            return cls;
    return nullptr;
}

bool TStreamList::IsInClassMap(const TStreamNode *Node) const
{
    return Node && FindClass(Node->ClassName()) != nullptr;
}

bool TStreamList::SaveChildren(TStreamWrapper &Wrapper)
{
    bool result = true;
    for (TListNode *child = First; child && result; child = child->Next)
        result = static_cast<TStreamNode *>(child)->SaveNode(Wrapper);
    return result;
}

bool TStreamList::LoadChildren(TStreamWrapper &Wrapper)
{
    const std::int32_t n = Header.Count;
    if (n < 0)
        return false; // no list writes that: the header is damaged
    for (std::int32_t i = 0; i < n; ++i) {
        TBlockHeader h;
        TBlockFooter f;
        if (!Wrapper.BeginBlock(h, f, true))
            return false; // also the end of a damaged child count: no block is there
        if (h.ID.empty())
            return false; // every node is saved with its ID: the header is damaged
        std::unique_ptr<TStreamNode> node;
        try {
            const TStreamNodeClass *cls = FindClass(h.ClassName);
            if (!cls)
                return false;
            node.reset(cls->Create(this));
        } catch (const std::bad_alloc &) {
            throw; // not damage: the load reports it as such
        } catch (...) {
            return false;
        }
        TStreamNode *child = node.release();
        AddChild(child);
        TakeHeader(child, h, f);
        if (!child->LoadNode(Wrapper))
            return false;
    }
    return true;
}

void TStreamList::Assign(TStreamNode *Source)
{
    TStreamNode::Assign(Source);
    auto *source = dynamic_cast<TStreamList *>(Source);
    if (!source)
        throw EVrnAssign(SNotSameClass);
    for (TListNode *c = source->First; c; c = c->Next) {
        auto *child = static_cast<TStreamNode *>(c);
        const TStreamNodeClass *cls = source->FindClass(child->ClassName());
        if (!cls)
            throw EVrnStreamListClassMap(SCantAssignClass + child->ClassName());
        std::unique_ptr<TStreamNode> copy(cls->Create(this));
        copy->Assign(child);
        AddChild(copy.release());
    }
}

// ---- TStreamNodeRef ----

const TStreamFileInfo RefFileInfo = {"0.0.1", "", "", "", 0};

// Creation through a class map leaves the file info empty, as for every node
// that a load or a copy re-creates.
const TStreamNodeClass TStreamNodeRef::Class = {
    "TStreamNodeRef", [](TStreamNode *Owner) -> TStreamNode * { return new TStreamNodeRef(Owner, TWithoutFileInfo{}); }};

TStreamNodeRef::TStreamNodeRef(TStreamNode *Owner, TWithoutFileInfo)
    : TStreamNode(Owner, "TStreamNodeRef", ckRefCarrier)
{
    ++Root->RefNodes;
}

TStreamNodeRef::~TStreamNodeRef()
{
    --Root->RefNodes;
}

TStreamNodeRef::TStreamNodeRef(TStreamNode *Owner)
    : TStreamNodeRef(Owner, TWithoutFileInfo{})
{
    SetFileInfo(RefFileInfo);
}

void TStreamNodeRef::SetRef(TStreamNode *Node)
{
    Header.ID_Ref = Node ? Node->GetID() : std::string();
    Ref = Node;
}

bool TStreamNodeRef::ReadData(TStreamWrapper &Wrapper)
{
    return Wrapper.ReadBuffer(RefData.data(), static_cast<std::int32_t>(RefData.size()));
}

bool TStreamNodeRef::WriteData(TStreamWrapper &Wrapper)
{
    return Wrapper.WriteBuffer(RefData.data(), static_cast<std::int32_t>(RefData.size()));
}

void TStreamNodeRef::AddChildrenToTree(QTreeWidget *Tree, QTreeWidgetItem *TreeNode)
{
    // A reference to itself or to one of its ancestors would expand without
    // end: a target already being expanded further up is not expanded again.
    static std::set<const TStreamNodeRef *> expanding;
    if (!Ref || expanding.count(this))
        return;
    expanding.insert(this);
    try {
        Ref->AddToTree(Tree, TreeNode, true, "^");
    } catch (...) {
        expanding.erase(this);
        throw;
    }
    expanding.erase(this);
}

void TStreamNodeRef::Assign(TStreamNode *Source)
{
    auto *source = dynamic_cast<TStreamNodeRef *>(Source);
    if (!source)
        throw EVrnAssign(SNotSameClass);
    Ref = source->Ref;
    RefData = source->RefData;
    TStreamNode::Assign(Source);
}

// ---- dialogs and directories ----

namespace {

// The extension a mask such as "*.Arv" stands for ("Arv"); empty when it
// stands for none or for many ("*", "*.*", "a*.x?").
std::string MaskExtension(const std::string &Mask)
{
    const std::string first = Mask.substr(0, Mask.find(';'));
    const size_t dot = first.rfind('.');
    if (dot == std::string::npos)
        return std::string();
    const std::string ext = first.substr(dot + 1);
    return ext.find_first_of("*?[") == std::string::npos ? ext : std::string();
}

} // namespace

void SetupOpenDialog(TFileDialogRequest &Dialog, const TStreamFileInfo &Info)
{
    Dialog.Filter = Info.FilterDescription.str() + "|" + Info.FileMask.str();
    // The dialog appends the default extension to a name typed without one.
    Dialog.DefaultExt = MaskExtension(Info.FileMask);
    Dialog.InitialDir = AppDirPath(Info.SubDirectory);
}

void SetupSaveDialog(TFileDialogRequest &Dialog, const TStreamFileInfo &Info)
{
    SetupOpenDialog(Dialog, Info);
}

std::string AppDirPath(const std::string &SubDir)
{
    std::string sub = SubDir;
    std::replace(sub.begin(), sub.end(), '\\', '/');
    const std::string path = AppDir + sub;
    if (!path.empty())
        EnsureDirectory(path);
    return path;
}

bool EnsureDirectory(const std::string &Dir)
{
    if (!DirectoryExists(Dir))
        ForceDirectories(Dir); // a failure shows later, when the directory is used
    return true;
}
