#pragma once
// The persistent object tree: nodes with data of their own (TStreamNode),
// lists whose children are stored with them (TStreamList) and references
// (TStreamNodeRef). Every node carries the block header it is stored under and
// an ID unique in its tree; the root keeps a registry of all nodes of the
// tree, through which nodes are found by ID and references are bound.
//
// Loading and saving: LoadFromFile returns False for a file that is damaged,
// truncated or no project file at all (nothing of it is trusted beyond what
// could be read), raises EVrnStreamWrapCreate only when the file cannot be
// opened or created at all, and EVrnStreamOutOfMemory when memory runs out. A
// save that does not succeed as a whole leaves the existing file untouched. A
// save without block headers stores only a tree without children (nothing in
// such a container would let a reader find them): with children it is refused.
#include "store/VrnCompDataList.h"
#include "store/VrnStreamWrapper.h"

#include <array>
#include <cstdint>
#include <list>
#include <string>
#include <vector>

struct TFileDialogRequest;
class TStreamNode;

// The file-type record of a node class.
struct TStreamFileInfo {
    ShortString<12> Objectversion;
    ShortString<5> FileMask;
    ShortString<255> SubDirectory;
    ShortString<255> FilterDescription;
    std::int32_t Spacer = 0;
};

// The load/save settings of a node.
struct TStreamSettings {
    bool Append = false;
    TStreamType StreamType = stFile;
    // The whole name: a path longer than 255 characters still names its file.
    std::string FileName;
    bool WriteBlockHeaders = true;
    bool WriteBlockFooters = true;
    bool Compress = true;
    std::uint8_t SpyMask = 0;
};

void InitStreamSettings(TStreamSettings &Settings);
void InitStreamFileInfo(TStreamFileInfo &Info);

// A node class: its name and its constructor.
struct TStreamNodeClass {
    const char *ClassName;
    TStreamNode *(*Create)(TStreamNode *Owner);
};
using TClassMaps = std::vector<const TStreamNodeClass *>;

class EVrnStreamNodeLinkList : public EVrnWin32Error {
public:
    using EVrnWin32Error::EVrnWin32Error;
};
class EVrnStreamListClassMap : public EVrnWin32Error {
public:
    using EVrnWin32Error::EVrnWin32Error;
};

class TStreamNode : public TCompDataList {
public:
    ~TStreamNode() override;

    void SetFileInfoAndSettings(const TStreamFileInfo &Info, const TStreamSettings &ASettings);
    void SetFileInfo(const TStreamFileInfo &Info);
    void SetFileName(const std::string &FileName);
    const std::string &GetID() const { return Header.ID; }
    TStreamNode *FindByID(const std::string &ID) const;
    void ResolveRefs();
    const std::string &ClassName() const { return FClassName; }

    // List operations; on a node that is not a list they raise EVrnStreamNodeLinkList.
    void AddChild(TStreamNode *Node);
    void InsertChild(TStreamNode *After, TStreamNode *Node);
    void ClearChildren();
    void StartIteration(TStreamNode *&Cursor);
    bool NextNode(TStreamNode *&Cursor);
    int Compare(TListNode *Item1, TListNode *Item2) override;
    // Raises EVrnStreamListClassMap when the list holding this node cannot hold its class.
    void CheckMap();

    void AttachOpenDialog(TFileDialogRequest &Dialog) const;
    void AttachSaveDialog(TFileDialogRequest &Dialog) const;

    bool LoadFromFile(const std::string &FileName);
    bool SaveToFile(const std::string &FileName);
    bool Load();
    bool Save();
    bool LoadWithType(TStreamType StreamType);
    bool SaveWithType(TStreamType StreamType);

    virtual bool SaveChildren(TStreamWrapper &Wrapper);
    virtual bool LoadChildren(TStreamWrapper &Wrapper);
    // Also stores the kind in Header.ClassKind.
    virtual TClassKind GetClassKind();
    virtual bool ReadData(TStreamWrapper &Wrapper) = 0;
    virtual bool WriteData(TStreamWrapper &Wrapper) = 0;
    virtual void PrepareHeader();
    virtual void Assign(TStreamNode *Source);
    virtual void BeforeLoad();

    static void TakeHeader(TStreamNode *Node, const TBlockHeader &AHeader, const TBlockFooter &AFooter);

    TStreamFileInfo FileInfo;
    TStreamWrappers *Wrappers = nullptr;
    TStreamNode *OwnerNode;
    TStreamNode *Root;
    // Every node of the tree in creation order; only the root's is used.
    std::list<TStreamNode *> Registry;
    ShortString<12> LoadedVersion;
    TStreamSettings Settings;
    TBlockHeader Header;
    TBlockFooter Footer;
    // Why the latest save or load failed, in plain words, where that is known.
    std::string FailReason;

    // One node's block with its children's, written or read.
    bool SaveNode(TStreamWrapper &Wrapper);
    bool LoadRoot(TStreamWrapper &Wrapper);
    bool LoadNode(TStreamWrapper &Wrapper);

protected:
    // AClassName and AKind are those of the most derived class: a constructor
    // cannot ask its subclass.
    TStreamNode(TStreamNode *Owner, const char *AClassName, TClassKind AKind);

    void GuardList();

private:
    using TStep = bool (TStreamNode::*)(TStreamWrapper &);
    // Raises EVrnStreamOutOfMemory when memory runs out; a load then leaves a
    // list without children.
    bool RunWithWrapper(TStreamType StreamType, bool Loading, TStep Step);
    bool RunWrapped(TStreamType StreamType, bool Loading, TStep Step, bool &OutOfMemory);

    friend class TStreamNodeRef;
    std::string FClassName;
    TClassKind FKind;
    // References in the tree (kept by the root): most trees hold none, and
    // then a node's end need not look for references to it.
    int RefNodes = 0;
    std::list<TStreamNode *>::iterator RegistryEntry;
};

class TStreamList : public TStreamNode {
public:
    bool SaveChildren(TStreamWrapper &Wrapper) override;
    bool LoadChildren(TStreamWrapper &Wrapper) override;
    void Assign(TStreamNode *Source) override;

    virtual void GetClassMap(TClassMaps &Map) const = 0;
    static void AddToClassMap(TClassMaps &Map, const TStreamNodeClass &NodeClass);
    const TStreamNodeClass *FindClass(const std::string &Name) const;
    bool IsInClassMap(const TStreamNode *Node) const;

protected:
    TStreamList(TStreamNode *Owner, const char *AClassName) : TStreamNode(Owner, AClassName, ckList) {}
};

extern const TStreamFileInfo RefFileInfo;

class TStreamNodeRef : public TStreamNode {
public:
    explicit TStreamNodeRef(TStreamNode *Owner);
    static const TStreamNodeClass Class;

    void SetRef(TStreamNode *Node);
    bool ReadData(TStreamWrapper &Wrapper) override;
    bool WriteData(TStreamWrapper &Wrapper) override;
    void AddChildrenToTree(QTreeWidget *Tree, QTreeWidgetItem *TreeNode) override;
    void Assign(TStreamNode *Source) override;

    ~TStreamNodeRef() override;

    TStreamNode *Ref = nullptr;
    std::array<std::uint8_t, 11> RefData{};

private:
    struct TWithoutFileInfo {};
    TStreamNodeRef(TStreamNode *Owner, TWithoutFileInfo);
};

void SetupOpenDialog(TFileDialogRequest &Dialog, const TStreamFileInfo &Info);
void SetupSaveDialog(TFileDialogRequest &Dialog, const TStreamFileInfo &Info);
// The application directory plus SubDir (a '\' in SubDir counts as '/'),
// created when missing.
std::string AppDirPath(const std::string &SubDir);
bool EnsureDirectory(const std::string &Dir);
