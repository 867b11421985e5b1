#include "store/VrnCompDataList.h"

#include "platform/StringList.h"
#include "platform/SystemText.h"
#include "platform/ViewItems.h"

#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <exception>
#include <typeinfo>
#include <unordered_set>
#include <utility>

TCompDataList::TCompDataList() : ViewState(DefaultViewState())
{
}

std::string TCompDataList::GetCaption() const
{
    return std::string();
}

void TCompDataList::AppendCaption(std::string &Out) const
{
    Out += GetCaption();
}

tSubListItemCaptions TCompDataList::GetColumnCaptions() const
{
    return {};
}

tSubListItemCaptions TCompDataList::GetColumnValues() const
{
    return {};
}

int TCompDataList::GetImageIndex() const
{
    return -1;
}

int TCompDataList::GetSelectedIndex() const
{
    return GetImageIndex();
}

void TCompDataList::InitViewState()
{
    ViewState = DefaultViewState();
}

void TCompDataList::DescribeTo(TStrings &Lines) const
{
    AddDescribeLine(Lines, "Caption", GetCaption(), 30);
    AddDescribeLine(Lines, "Count", std::to_string(Count), 30);
}

namespace {

// The child as a shown list: a TCompDataList whose view state is visible.
// The class is looked up once for a run of children of one class, not for
// each of thousands of nodes at every refill.
TCompDataList *ShownChild(TListNode *Node)
{
    static const std::type_info *lastList = nullptr;
    TCompDataList *child = nullptr;
    if (lastList && typeid(*Node) == *lastList) {
        child = static_cast<TCompDataList *>(Node);
    } else {
        child = dynamic_cast<TCompDataList *>(Node);
        if (child)
            lastList = &typeid(*Node);
    }
    return child && child->ViewState.Visible ? child : nullptr;
}

// A refill of a tree view: the nodes it has are filled again in their
// places, and only those beyond are made or removed. A tree of many thousand
// nodes is so not built anew for every click, and looks the same as if it were.
// New nodes under a node of the view join it together at the end, which the
// view hears of once instead of once for each.
class TTreeRefill {
public:
    // Wanted: the object whose first node is to be found on the way.
    TTreeRefill(QTreeWidget *ATree, const void *AWanted) : Tree(ATree), Wanted(AWanted), Outer(Active) { Active = this; }
    ~TTreeRefill()
    {
        Active = Outer;
        // After a failure the new nodes join without their view states.
        JoinNew(false);
        // Whatever was not filled again goes, as a rebuild would not have it.
        for (const auto &[parent, taken] : Taken)
            Trim(parent, taken);
    }
    // The new nodes join the view and take their objects' view states there.
    void Finish() { JoinNew(true); }
    TTreeRefill(const TTreeRefill &) = delete;
    TTreeRefill &operator=(const TTreeRefill &) = delete;

    // The node in the next place under ParentNode (null: the top level) of
    // the tree being refilled; null when there is none to fill again.
    static QTreeWidgetItem *Take(QTreeWidget *Tree, QTreeWidgetItem *ParentNode)
    {
        return Active && Active->Tree == Tree ? Active->TakeNext(ParentNode) : nullptr;
    }
    // Keeps Node, new, for the end when ParentNode is a node of the tree
    // being refilled; false when it is to join at once.
    static bool Defer(QTreeWidget *Tree, QTreeWidgetItem *ParentNode, QTreeWidgetItem *Node)
    {
        if (!Active || Active->Tree != Tree || !ParentNode || ParentNode->treeWidget() != Tree)
            return false;
        if (Active->New.empty() || Active->New.back().first != ParentNode)
            Active->New.emplace_back(ParentNode, QList<QTreeWidgetItem *>());
        Active->New.back().second.append(Node);
        return true;
    }
    // Node now shows Data.
    static void Shows(QTreeWidgetItem *Node, const void *Data)
    {
        if (Active && !Active->Found && Data == Active->Wanted && Node->treeWidget() == Active->Tree)
            Active->Found = Node;
    }
    // The first node that showed the wanted object; it stays in the tree.
    QTreeWidgetItem *Found = nullptr;

private:
    QTreeWidgetItem *TakeNext(QTreeWidgetItem *ParentNode)
    {
        if (!LastCount || LastParent != ParentNode) {
            LastParent = ParentNode;
            LastCount = &Taken[ParentNode];
        }
        const int place = (*LastCount)++;
        const int count = ParentNode ? ParentNode->childCount() : Tree->topLevelItemCount();
        if (place >= count)
            return nullptr;
        QTreeWidgetItem *node = ParentNode ? ParentNode->child(place) : Tree->topLevelItem(place);
        // Its own children are filled again from the first, or removed.
        if (node->childCount() > 0)
            Taken.try_emplace(node, 0);
        return node;
    }
    void JoinNew(bool Apply)
    {
        for (auto &[parent, nodes] : std::exchange(New, {})) {
            parent->addChildren(nodes);
            if (!Apply)
                continue;
            // In display order, each with its own children.
            std::vector<QTreeWidgetItem *> pending(nodes.rbegin(), nodes.rend());
            while (!pending.empty()) {
                QTreeWidgetItem *node = pending.back();
                pending.pop_back();
                static_cast<TCompDataList *>(NodeData(node))->ApplyToTreeNode(node);
                for (int i = node->childCount() - 1; i >= 0; --i)
                    pending.push_back(node->child(i));
            }
        }
    }
    void Trim(QTreeWidgetItem *ParentNode, int Keep)
    {
        const int count = ParentNode ? ParentNode->childCount() : Tree->topLevelItemCount();
        if (count <= Keep)
            return;
        if (!ParentNode) {
            while (Tree->topLevelItemCount() > Keep)
                delete Tree->takeTopLevelItem(Tree->topLevelItemCount() - 1);
        } else if (count - Keep <= 16) {
            while (ParentNode->childCount() > Keep)
                delete ParentNode->takeChild(ParentNode->childCount() - 1);
        } else {
            // Many at once: one removal and one insertion tell the view.
            QList<QTreeWidgetItem *> children = ParentNode->takeChildren();
            ParentNode->addChildren(children.first(Keep));
            qDeleteAll(children.sliced(Keep));
        }
    }

    static inline TTreeRefill *Active = nullptr;
    QTreeWidget *Tree;
    const void *Wanted;
    TTreeRefill *Outer;
    // Per parent node, how many of its children were filled again so far.
    std::unordered_map<QTreeWidgetItem *, int> Taken;
    QTreeWidgetItem *LastParent = nullptr;
    int *LastCount = nullptr;
    // New nodes by the node of the view they join, in the order made.
    std::vector<std::pair<QTreeWidgetItem *, QList<QTreeWidgetItem *>>> New;
};

// The next child of ParentNode, or the next top-level node of Tree, showing
// Caption: during a refill the node already in that place, else a new last
// one, which comes with Obj's data and images already.
QTreeWidgetItem *AddChild(QTreeWidget *Tree, QTreeWidgetItem *ParentNode, const std::string &Caption,
                          TCompDataList *Obj)
{
    if (QTreeWidgetItem *node = TTreeRefill::Take(Tree, ParentNode)) {
        SetNodeText(node, Caption);
        return node;
    }
    QTreeWidgetItem *node = NewViewNode(Tree, Caption, Obj, Obj->GetImageIndex(), Obj->GetSelectedIndex());
    if (TTreeRefill::Defer(Tree, ParentNode, node))
        return node;
    if (ParentNode)
        ParentNode->addChild(node);
    else
        Tree->addTopLevelItem(node);
    return node;
}

} // namespace

void TCompDataList::AddChildrenToTree(QTreeWidget *Tree, QTreeWidgetItem *ParentNode)
{
    for (TListNode *node = First; node; node = node->Next)
        if (TCompDataList *child = ShownChild(node))
            child->AddToTree(Tree, ParentNode, true, "^");
}

void TCompDataList::FillListView(QTreeWidget *ListView)
{
    for (TListNode *node = First; node; node = node->Next) {
        TCompDataList *child = ShownChild(node);
        if (!child)
            continue;
        if (!ColumnsMatch(child))
            return;
        auto *item = new QTreeWidgetItem(ListView);
        item->setText(0, ToQ(child->GetCaption()));
        // A child may declare fewer values than the view has columns; those
        // cells stay empty instead of reading past its values.
        const tSubListItemCaptions values = child->GetColumnValues();
        for (int p = 1; p < ListView->columnCount(); ++p)
            if (static_cast<size_t>(p - 1) < values.size())
                item->setText(p, ToQ(values[static_cast<size_t>(p - 1)]));
        child->ApplyToListItem(item);
        child->FillListView(ListView);
        child->View = nullptr;
    }
}

void TCompDataList::SaveViewState()
{
    QTreeWidget *tree = View;
    if (!tree)
        return;
    // Only objects of this tree receive a state: a node may still carry an
    // object that has been freed since the fill.
    std::unordered_set<void *> own;
    std::vector<TCompDataList *> pending{this};
    while (!pending.empty()) {
        TCompDataList *obj = pending.back();
        pending.pop_back();
        own.insert(static_cast<void *>(obj));
        for (TListNode *node = obj->First; node; node = node->Next)
            if (auto *child = dynamic_cast<TCompDataList *>(node))
                pending.push_back(child);
    }
    // An object shown by more than one node takes the state of the first.
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        void *data = NodeData(*it);
        if (own.erase(data) == 0)
            continue;
        TViewState &state = static_cast<TCompDataList *>(data)->ViewState;
        state.Expanded = NodeShown(*it);
        state.Selected = NodeSelected(*it);
        state.Focused = NodeFocused(*it);
    }
}

void TCompDataList::AssignViewState(const TCompDataList *Source)
{
    ViewState = Source->ViewState;
}

QTreeWidgetItem *TCompDataList::FindTreeNodeByData(QTreeWidget *Tree, void *Data)
{
    return FindViewNode(Tree, [Data](const QTreeWidgetItem *Node) { return NodeData(Node) == Data; });
}

void TCompDataList::ApplyToTreeNode(QTreeWidgetItem *Node)
{
    SetNodeImages(Node, GetImageIndex(), GetSelectedIndex());
    SetNodeData(Node, static_cast<void *>(this));
    TTreeRefill::Shows(Node, this);
    SetNodeSelected(Node, ViewState.Selected);
    if (ViewState.Focused)
        FocusNode(Node);
    if (ViewState.Expanded)
        MakeNodeVisible(Node);
}

void TCompDataList::SetCurrentFromNode(QTreeWidgetItem *Node)
{
    SetCurrent(Node ? static_cast<TCompDataList *>(NodeData(Node)) : nullptr);
}

void TCompDataList::FillTreeView(QTreeWidget *Tree, bool FullExpand)
{
    View = Tree;
    SetCurrentFromNode(ViewSelected(Tree));
    TViewUpdateLock lock(Tree);
    std::exception_ptr failure;
    QTreeWidgetItem *node = nullptr;
    try {
        TTreeRefill refill(Tree, CurrentItem);
        AddRootToTree(Tree, nullptr);
        refill.Finish();
        node = refill.Found;
    } catch (...) {
        failure = std::current_exception();
    }
    if (!node)
        node = FindTreeNodeByData(Tree, static_cast<void *>(CurrentItem));
    SetViewSelected(Tree, node);
    if (!node && Tree->topLevelItemCount() > 0)
        node = Tree->topLevelItem(0);
    if (node) {
        MakeNodeVisible(node);
        FocusNode(node);
    }
    if (failure)
        std::rethrow_exception(failure);
    if (FullExpand)
        Tree->expandAll();
}

void TCompDataList::AddToTree(QTreeWidget *Tree, QTreeWidgetItem *ParentNode, bool Recurse,
                              const std::string &Prefix)
{
    // One buffer for the captions of all nodes; each is used up before the
    // children are added.
    static std::string caption;
    caption.clear();
    if (!Recurse)
        caption = Prefix;
    AppendCaption(caption);
    QTreeWidgetItem *node = AddChild(Tree, ParentNode, caption, this);
    ApplyToTreeNode(node);
    if (Recurse)
        AddChildrenToTree(Tree, node);
    View = nullptr;
}

void TCompDataList::AddRootToTree(QTreeWidget *Tree, QTreeWidgetItem *ParentNode)
{
    QTreeWidgetItem *node = AddChild(Tree, ParentNode, GetCaption(), this);
    ApplyToTreeNode(node);
    AddChildrenToTree(Tree, node);
}

void TCompDataList::ApplyToListItem(QTreeWidgetItem *Item)
{
    const int image = GetImageIndex();
    SetNodeImages(Item, image, image);
    SetNodeData(Item, static_cast<void *>(this));
    SetNodeSelected(Item, ViewState.Selected);
    if (ViewState.Focused)
        FocusNode(Item);
}

bool TCompDataList::ColumnsMatch(const TCompDataList *Other) const
{
    const tSubListItemCaptions captions = GetColumnCaptions();
    if (captions.size() != GetColumnValues().size() + 1)
        throw EVrnCompDataListListViewCreate("_coding error: unequal captions and subitems count");
    return captions == Other->GetColumnCaptions();
}

std::string SpaceString(int N)
{
    return std::string(static_cast<size_t>(N > 0 ? N : 0), ' ');
}

std::string PadRightDot(const std::string &S, int N)
{
    const int length = static_cast<int>(S.size());
    if (length > N)
        return S.substr(0, static_cast<size_t>(N > 1 ? N - 1 : 0)) + ".";
    return S + SpaceString(N - length);
}

void AddDescribeLine(TStrings &Lines, const std::string &Name, const std::string &Value, int Width)
{
    Lines.Add(PadRightDot(Name, Width) + "\t: " + Value);
}
