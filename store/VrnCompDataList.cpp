#include "store/VrnCompDataList.h"

#include "platform/StringList.h"
#include "platform/SystemText.h"
#include "platform/ViewItems.h"

#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <exception>
#include <unordered_set>

TCompDataList::TCompDataList() : ViewState(DefaultViewState())
{
}

std::string TCompDataList::GetCaption() const
{
    return std::string();
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
TCompDataList *ShownChild(TListNode *Node)
{
    auto *child = dynamic_cast<TCompDataList *>(Node);
    return child && child->ViewState.Visible ? child : nullptr;
}

// A new last child of ParentNode, or a new last top-level node of Tree.
QTreeWidgetItem *AddChild(QTreeWidget *Tree, QTreeWidgetItem *ParentNode, const std::string &Caption)
{
    auto *node = ParentNode ? new QTreeWidgetItem(ParentNode) : new QTreeWidgetItem(Tree);
    node->setText(0, ToQ(Caption));
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
    for (QTreeWidgetItemIterator it(Tree); *it; ++it)
        if (NodeData(*it) == Data)
            return *it;
    return nullptr;
}

void TCompDataList::ApplyToTreeNode(QTreeWidgetItem *Node)
{
    SetNodeImages(Node, GetImageIndex(), GetSelectedIndex());
    SetNodeData(Node, static_cast<void *>(this));
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
    try {
        Tree->clear();
        AddRootToTree(Tree, nullptr);
    } catch (...) {
        failure = std::current_exception();
    }
    QTreeWidgetItem *node = FindTreeNodeByData(Tree, static_cast<void *>(CurrentItem));
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
    const std::string caption = (Recurse ? std::string() : Prefix) + GetCaption();
    QTreeWidgetItem *node = AddChild(Tree, ParentNode, caption);
    ApplyToTreeNode(node);
    if (Recurse)
        AddChildrenToTree(Tree, node);
    View = nullptr;
}

void TCompDataList::AddRootToTree(QTreeWidget *Tree, QTreeWidgetItem *ParentNode)
{
    QTreeWidgetItem *node = AddChild(Tree, ParentNode, GetCaption());
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
