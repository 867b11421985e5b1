#include "platform/ViewItems.h"

#include "platform/SystemText.h"

#include <QPixmap>
#include <QPointer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVariant>

#include <unordered_map>
#include <utility>
#include <vector>

namespace {

constexpr int DataRole = Qt::UserRole;
constexpr int ImageIndexRole = Qt::UserRole + 1;
constexpr int SelectedIndexRole = Qt::UserRole + 2;
constexpr char ImagesProperty[] = "arvImageList";

// A node made by NewViewNode keeps its Data and image indexes in fields in
// place of the roles, and its text also as the system's bytes: a tree of many
// thousand nodes is compared and filled again without a conversion per node.
class TViewNode : public QTreeWidgetItem {
public:
    static constexpr int Type = QTreeWidgetItem::UserType + 1;
    TViewNode() : QTreeWidgetItem(Type) {}

    void setData(int column, int role, const QVariant &value) override
    {
        QTreeWidgetItem::setData(column, role, value);
        if (column == 0 && (role == Qt::DisplayRole || role == Qt::EditRole))
            TextKnown = false; // set from elsewhere: Text no longer tells
    }

    void *Data = nullptr;
    int ImageIndex = -1;
    int SelectedIndex = -1;
    std::string Text;
    bool TextKnown = false;
};

TViewNode *AsViewNode(QTreeWidgetItem *Node)
{
    return Node->type() == TViewNode::Type ? static_cast<TViewNode *>(Node) : nullptr;
}

const TViewNode *AsViewNode(const QTreeWidgetItem *Node)
{
    return Node->type() == TViewNode::Type ? static_cast<const TViewNode *>(Node) : nullptr;
}

// The views being rebuilt: how many locks each has, and the node to scroll to
// when the last one ends.
struct TUpdateLock {
    int Count = 0;
    QTreeWidgetItem *PendingScroll = nullptr;
    // The parent whose ancestors were last expanded: a rebuild makes
    // thousands of siblings visible one after the other.
    const QTreeWidgetItem *ExpandedParent = nullptr;
};
std::unordered_map<const QTreeWidget *, TUpdateLock> &UpdateLocks()
{
    static std::unordered_map<const QTreeWidget *, TUpdateLock> locks;
    return locks;
}

QList<QSize> IconSizes(const QIcon &Icon)
{
    QList<QSize> sizes = Icon.availableSizes();
    if (sizes.isEmpty())
        sizes.append(QSize(16, 16));
    return sizes;
}

// One icon showing Normal unselected and Selected while the item is selected:
// the item delegate draws a selected item in the icon's Selected mode. A
// missing image is a blank pixmap, else the icon would show the other one.
QIcon CombinedIcon(const QIcon &Normal, const QIcon &Selected)
{
    if (Normal.cacheKey() == Selected.cacheKey() || (Normal.isNull() && Selected.isNull()))
        return Normal;
    QIcon icon;
    const QList<QSize> sizes = IconSizes(Normal.isNull() ? Selected : Normal);
    for (const auto &[source, mode] : {std::pair(Normal, QIcon::Normal), std::pair(Selected, QIcon::Selected)})
        for (const QSize &size : sizes) {
            QPixmap pixmap = source.pixmap(size);
            if (source.isNull()) {
                pixmap = QPixmap(size);
                pixmap.fill(Qt::transparent);
            }
            icon.addPixmap(pixmap, mode);
        }
    return icon;
}

// The combined icons made last, by the keys of their two images: a tree of
// many nodes shows few pairs, and each is drawn once.
QIcon CachedCombinedIcon(const QIcon &Normal, const QIcon &Selected)
{
    struct TEntry {
        qint64 Normal, Selected;
        QIcon Icon;
    };
    static std::vector<TEntry> cache;
    for (const TEntry &e : cache)
        if (e.Normal == Normal.cacheKey() && e.Selected == Selected.cacheKey())
            return e.Icon;
    if (cache.size() >= 16)
        cache.erase(cache.begin());
    cache.push_back({Normal.cacheKey(), Selected.cacheKey(), CombinedIcon(Normal, Selected)});
    return cache.back().Icon;
}

// The image list of the view last asked for: a fill asks once per node.
struct TImagesSeen {
    QPointer<QTreeWidget> View;
    TImageList Images;
};
TImagesSeen &ImagesSeen()
{
    static TImagesSeen seen;
    return seen;
}

void UpdateIcon(QTreeWidgetItem *Node, const QTreeWidget *View)
{
    if (!View)
        return;
    TImagesSeen &seen = ImagesSeen();
    if (seen.View != View) {
        seen.View = const_cast<QTreeWidget *>(View);
        seen.Images = ViewImages(View);
    }
    Node->setIcon(0, CachedCombinedIcon(seen.Images.Icon(NodeImageIndex(Node)),
                                        seen.Images.Icon(NodeSelectedIndex(Node))));
}

} // namespace

int TImageList::Add(const QIcon &Icon)
{
    Icons.append(Icon);
    return Count() - 1;
}

QIcon TImageList::Icon(int Index) const
{
    return Index >= 0 && Index < Count() ? Icons.at(Index) : QIcon();
}

void SetViewImages(QTreeWidget *View, const TImageList &Images)
{
    View->setProperty(ImagesProperty, QVariant::fromValue(Images.Icons));
    ImagesSeen().View = nullptr;
    for (QTreeWidgetItemIterator it(View); *it; ++it)
        UpdateIcon(*it, View);
}

TImageList ViewImages(const QTreeWidget *View)
{
    TImageList images;
    images.Icons = View->property(ImagesProperty).value<QList<QIcon>>();
    return images;
}

QTreeWidgetItem *FindViewNode(const QTreeWidget *View, const std::function<bool(const QTreeWidgetItem *)> &Match)
{
    std::vector<QTreeWidgetItem *> pending;
    for (int i = View->topLevelItemCount() - 1; i >= 0; --i)
        pending.push_back(View->topLevelItem(i));
    while (!pending.empty()) {
        QTreeWidgetItem *node = pending.back();
        pending.pop_back();
        if (Match(node))
            return node;
        for (int i = node->childCount() - 1; i >= 0; --i)
            pending.push_back(node->child(i));
    }
    return nullptr;
}

QTreeWidgetItem *NewViewNode(const QTreeWidget *View, const std::string &Text, void *Data, int ImageIndex,
                             int SelectedIndex)
{
    auto *node = new TViewNode;
    SetNodeText(node, Text);
    node->Data = Data;
    node->ImageIndex = ImageIndex;
    node->SelectedIndex = SelectedIndex;
    UpdateIcon(node, View);
    return node;
}

void SetNodeText(QTreeWidgetItem *Node, const std::string &Text)
{
    TViewNode *node = AsViewNode(Node);
    if (!node) {
        Node->setText(0, ToQ(Text));
        return;
    }
    // Set only on a change: each setting tells the view, node by node.
    if (node->TextKnown && node->Text == Text)
        return;
    node->setText(0, ToQ(Text));
    node->Text = Text;
    node->TextKnown = true;
}

void *NodeData(const QTreeWidgetItem *Node)
{
    if (const TViewNode *node = AsViewNode(Node))
        return node->Data;
    return Node->data(0, DataRole).value<void *>();
}

void SetNodeData(QTreeWidgetItem *Node, void *Data)
{
    if (TViewNode *node = AsViewNode(Node))
        node->Data = Data;
    else
        Node->setData(0, DataRole, QVariant::fromValue(Data));
}

void SetNodeImages(QTreeWidgetItem *Node, int ImageIndex, int SelectedIndex)
{
    if (TViewNode *node = AsViewNode(Node)) {
        // Set only on a change: a new icon tells the view, node by node.
        if (node->ImageIndex == ImageIndex && node->SelectedIndex == SelectedIndex)
            return;
        node->ImageIndex = ImageIndex;
        node->SelectedIndex = SelectedIndex;
    } else {
        Node->setData(0, ImageIndexRole, ImageIndex);
        Node->setData(0, SelectedIndexRole, SelectedIndex);
    }
    UpdateIcon(Node, Node->treeWidget());
}

int NodeImageIndex(const QTreeWidgetItem *Node)
{
    if (const TViewNode *node = AsViewNode(Node))
        return node->ImageIndex;
    const QVariant index = Node->data(0, ImageIndexRole);
    return index.isValid() ? index.toInt() : -1;
}

int NodeSelectedIndex(const QTreeWidgetItem *Node)
{
    if (const TViewNode *node = AsViewNode(Node))
        return node->SelectedIndex;
    const QVariant index = Node->data(0, SelectedIndexRole);
    return index.isValid() ? index.toInt() : -1;
}

bool NodeSelected(const QTreeWidgetItem *Node)
{
    return Node->isSelected();
}

void SetNodeSelected(QTreeWidgetItem *Node, bool Selected)
{
    QTreeWidget *view = Node->treeWidget();
    if (Selected && view && view->selectionMode() == QAbstractItemView::SingleSelection)
        SetViewSelected(view, Node);
    else if (Node->isSelected() != Selected)
        Node->setSelected(Selected);
}

bool NodeFocused(const QTreeWidgetItem *Node)
{
    const QTreeWidget *view = Node->treeWidget();
    return view && view->currentItem() == Node;
}

void FocusNode(QTreeWidgetItem *Node)
{
    if (QTreeWidget *view = Node->treeWidget())
        view->setCurrentItem(Node, 0, QItemSelectionModel::NoUpdate);
}

void MakeNodeVisible(QTreeWidgetItem *Node)
{
    QTreeWidget *view = Node->treeWidget();
    auto &locks = UpdateLocks();
    const auto lock = view ? locks.find(view) : locks.end();
    if (lock == locks.end() || lock->second.ExpandedParent != Node->parent()) {
        for (QTreeWidgetItem *parent = Node->parent(); parent; parent = parent->parent())
            if (!parent->isExpanded())
                parent->setExpanded(true);
        if (lock != locks.end())
            lock->second.ExpandedParent = Node->parent();
    }
    if (!view)
        return;
    // Scrolling lays out the whole view; while the view is rebuilt only the
    // last node to be made visible is scrolled to, when the lock ends.
    if (lock != locks.end())
        lock->second.PendingScroll = Node;
    else
        view->scrollToItem(Node);
}

bool NodeShown(const QTreeWidgetItem *Node)
{
    for (const QTreeWidgetItem *parent = Node->parent(); parent; parent = parent->parent())
        if (!parent->isExpanded())
            return false;
    return true;
}

QTreeWidgetItem *ViewSelected(const QTreeWidget *View)
{
    const QList<QTreeWidgetItem *> selected = View->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

void SetViewSelected(QTreeWidget *View, QTreeWidgetItem *Node)
{
    if (Node)
        View->setCurrentItem(Node, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    else
        View->clearSelection();
}

TViewUpdateLock::TViewUpdateLock(QTreeWidget *View) : View(View), WasEnabled(View->updatesEnabled())
{
    ++UpdateLocks()[View].Count;
    View->setUpdatesEnabled(false);
}

TViewUpdateLock::~TViewUpdateLock()
{
    auto &locks = UpdateLocks();
    const auto lock = locks.find(View);
    if (lock != locks.end() && --lock->second.Count == 0) {
        QTreeWidgetItem *pending = lock->second.PendingScroll;
        locks.erase(lock);
        // The pending node may have been removed since: scroll only to a node still in the view.
        // The current node is surely there; another is compared only, it may be gone.
        if (pending && (pending == View->currentItem() ||
                        FindViewNode(View, [pending](const QTreeWidgetItem *Node) { return Node == pending; })))
            View->scrollToItem(pending);
    }
    if (WasEnabled)
        View->setUpdatesEnabled(true);
}
