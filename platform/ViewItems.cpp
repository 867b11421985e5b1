#include "platform/ViewItems.h"

#include <QPixmap>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVariant>

#include <utility>

namespace {

constexpr int DataRole = Qt::UserRole;
constexpr int ImageIndexRole = Qt::UserRole + 1;
constexpr int SelectedIndexRole = Qt::UserRole + 2;
constexpr char ImagesProperty[] = "arvImageList";
constexpr char LockProperty[] = "arvUpdateLocks";
constexpr char ScrollProperty[] = "arvPendingScroll";

int UpdateLocks(const QTreeWidget *View)
{
    return View->property(LockProperty).toInt();
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

void UpdateIcon(QTreeWidgetItem *Node)
{
    const QTreeWidget *view = Node->treeWidget();
    if (!view)
        return;
    const TImageList images = ViewImages(view);
    Node->setIcon(0, CombinedIcon(images.Icon(NodeImageIndex(Node)), images.Icon(NodeSelectedIndex(Node))));
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
    for (QTreeWidgetItemIterator it(View); *it; ++it)
        UpdateIcon(*it);
}

TImageList ViewImages(const QTreeWidget *View)
{
    TImageList images;
    images.Icons = View->property(ImagesProperty).value<QList<QIcon>>();
    return images;
}

void *NodeData(const QTreeWidgetItem *Node)
{
    return Node->data(0, DataRole).value<void *>();
}

void SetNodeData(QTreeWidgetItem *Node, void *Data)
{
    Node->setData(0, DataRole, QVariant::fromValue(Data));
}

void SetNodeImages(QTreeWidgetItem *Node, int ImageIndex, int SelectedIndex)
{
    Node->setData(0, ImageIndexRole, ImageIndex);
    Node->setData(0, SelectedIndexRole, SelectedIndex);
    UpdateIcon(Node);
}

int NodeImageIndex(const QTreeWidgetItem *Node)
{
    const QVariant index = Node->data(0, ImageIndexRole);
    return index.isValid() ? index.toInt() : -1;
}

int NodeSelectedIndex(const QTreeWidgetItem *Node)
{
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
    else
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
    for (QTreeWidgetItem *parent = Node->parent(); parent; parent = parent->parent())
        parent->setExpanded(true);
    QTreeWidget *view = Node->treeWidget();
    if (!view)
        return;
    // Scrolling lays out the whole view; while the view is rebuilt only the
    // last node to be made visible is scrolled to, when the lock ends.
    if (UpdateLocks(view) > 0)
        view->setProperty(ScrollProperty, QVariant::fromValue(static_cast<void *>(Node)));
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
    View->setProperty(LockProperty, UpdateLocks(View) + 1);
    View->setUpdatesEnabled(false);
}

TViewUpdateLock::~TViewUpdateLock()
{
    const int locks = UpdateLocks(View) - 1;
    View->setProperty(LockProperty, locks);
    if (locks == 0) {
        // The pending node may have been removed since: scroll only to a node still in the view.
        auto *pending = static_cast<QTreeWidgetItem *>(View->property(ScrollProperty).value<void *>());
        View->setProperty(ScrollProperty, QVariant());
        for (QTreeWidgetItemIterator it(View); pending && *it; ++it)
            if (*it == pending) {
                View->scrollToItem(pending);
                break;
            }
    }
    if (WasEnabled)
        View->setUpdatesEnabled(true);
}
