#include "store/VrnStreamSpy.h"

const char *const StreamTypeNames[1] = {"stFile"};
const char *const ClassKindNames[4] = {"ckUnknown", "ckList", "ckNode", "ckRefCarrier"};
const char *const SpyKindNames[2] = {"skMain", "skBlock"};
const int SpyImageIndexes[4] = {-1, 2, 4, 6};
const int SpySelectedIndexes[4] = {-1, 3, 5, 7};

namespace {

// A damaged kind byte shows as unknown instead of reading past the tables.
int KindIndex(TClassKind Kind)
{
    return Kind <= ckRefCarrier ? Kind : ckUnknown;
}

std::string Dec(std::int32_t Value)
{
    return std::to_string(Value);
}

std::string TrueFalse(bool Value)
{
    return BoolText(Value, "TRUE", "FALSE");
}

} // namespace

std::string BoolText(bool B, const std::string &T, const std::string &F)
{
    return B ? T : F;
}

void AddColumn(tSubListItemCaptions &List, const std::string &S)
{
    List.push_back(S);
}

tStreamSpyNode *tStreamSpyNode::CreateMain(const TStreamHeader &AHeader)
{
    auto *node = new tStreamSpyNode;
    node->Kind = skMain;
    node->StreamHeader = AHeader;
    TStreamWrapper::InitBlockHeader(node->BlockHeader);
    return node;
}

tStreamSpyNode *tStreamSpyNode::CreateBlock(const TBlockHeader &AHeader)
{
    auto *node = new tStreamSpyNode;
    node->Kind = skBlock;
    node->BlockHeader = AHeader;
    return node;
}

std::string tStreamSpyNode::GetCaption() const
{
    if (Kind == skMain)
        return SpyKindNames[skMain];
    std::string caption = BlockHeader.LastCaption;
    if (Spy && Spy->ShowClassKind)
        caption += std::string("/") + ClassKindNames[KindIndex(BlockHeader.ClassKind)];
    if (Spy && Spy->ShowID)
        caption += "/" + BlockHeader.ID.str();
    return caption;
}

tSubListItemCaptions tStreamSpyNode::GetColumnCaptions() const
{
    tSubListItemCaptions list;
    const char *const mainCaptions[] = {"caption", "StreamVersion", "CompDataListVersion", "ProjectVersion",
                                        "FullMemorySize", "FreeMemorySize", "StreamType", "Name",
                                        "WriteBlockHeaders", "WriteBlockFooters", "DataSize", "NumberOfLists",
                                        "NumberOfNodes", "NumberOfBlocks", "MySize", "Offsetfooter"};
    const char *const blockCaptions[] = {"caption", "ID", "ID_owner", "ID_Ref", "Last Caption", "Objectversion",
                                         "ClassKind", "ClassName", "DataSize", "Spacer", "Count", "Offset",
                                         "OffsetNext_Node", "OffsetPrev_Node", "OffsetNext_Block",
                                         "OffsetPrev_Block", "MySize", "Offsetfooter", "IsLinked"};
    if (Kind == skMain)
        for (const char *c : mainCaptions)
            AddColumn(list, c);
    else
        for (const char *c : blockCaptions)
            AddColumn(list, c);
    return list;
}

tSubListItemCaptions tStreamSpyNode::GetColumnValues() const
{
    tSubListItemCaptions list;
    if (Kind == skMain) {
        const TStreamHeader &h = StreamHeader;
        for (const std::string &v : {h.StreamVersion.str(), h.CompDataListVersion.str(), h.ProjectVersion.str(),
                                     Dec(h.FullMemorySize), Dec(h.FreeMemorySize),
                                     std::string(StreamTypeNames[0]), h.Name.str(),
                                     TrueFalse(h.WriteBlockHeaders), TrueFalse(h.WriteBlockFooters),
                                     Dec(h.DataSize), Dec(h.NumberOfLists), Dec(h.NumberOfNodes),
                                     Dec(h.NumberOfBlocks), Dec(h.MySize), Dec(h.Offsetfooter)})
            AddColumn(list, v);
    } else {
        const TBlockHeader &h = BlockHeader;
        for (const std::string &v : {h.ID.str(), h.ID_owner.str(), h.ID_Ref.str(), h.LastCaption.str(),
                                     h.Objectversion.str(), std::string(ClassKindNames[KindIndex(h.ClassKind)]),
                                     h.ClassName.str(), Dec(h.DataSize), Dec(h.Spacer), Dec(h.Count),
                                     Dec(h.Offset), Dec(h.OffsetNext_Node), Dec(h.OffsetPrev_Node),
                                     Dec(h.OffsetNext_Block), Dec(h.OffsetPrev_Block), Dec(h.MySize),
                                     Dec(h.Offsetfooter), TrueFalse(h.IsLinked)})
            AddColumn(list, v);
    }
    return list;
}

int tStreamSpyNode::GetImageIndex() const
{
    return Kind == skMain ? 0 : SpyImageIndexes[KindIndex(BlockHeader.ClassKind)];
}

int tStreamSpyNode::GetSelectedIndex() const
{
    return Kind == skMain ? 1 : SpySelectedIndexes[KindIndex(BlockHeader.ClassKind)];
}

void tStreamSpyNode::AddChildrenToTree(QTreeWidget *Tree, QTreeWidgetItem *Node)
{
    TCompDataList::AddChildrenToTree(Tree, Node);
    if (LinkedItem)
        LinkedItem->AddToTree(Tree, Node, false, "^");
}

void TStreamSpy::SetCaptureOff(bool Value)
{
    CaptureOff = Value;
    Clear();
    CurrentMain = nullptr;
    CurrentBlock = nullptr;
}
