#pragma once
// The framework's tree and list view facilities on QTreeWidget (a list view is
// a QTreeWidget used as a flat list with columns): a node's Data pointer and
// image indexes in user roles, icons from an image list attached to the view,
// and the selection, focus and visibility of nodes.
#include <QIcon>
#include <QList>

#include <functional>
#include <string>

class QTreeWidget;
class QTreeWidgetItem;

// Icons addressed by their index.
class TImageList {
public:
    // The index of the new icon.
    int Add(const QIcon &Icon);
    int Count() const { return static_cast<int>(Icons.size()); }
    // A null icon for an index outside the list.
    QIcon Icon(int Index) const;

    QList<QIcon> Icons;
};

// The view keeps a copy; the icons of its items follow the new list.
void SetViewImages(QTreeWidget *View, const TImageList &Images);
TImageList ViewImages(const QTreeWidget *View);

// The first node in display order (depth first, collapsed nodes included)
// that Match accepts; null when none.
QTreeWidgetItem *FindViewNode(const QTreeWidget *View, const std::function<bool(const QTreeWidgetItem *)> &Match);
// A new node for View, not yet in it, that shows a text of the system and
// has its Data and images set: filled before it joins, so the view hears of
// it once instead of once for every property.
QTreeWidgetItem *NewViewNode(const QTreeWidget *View, const std::string &Text, void *Data, int ImageIndex,
                             int SelectedIndex);
// Shows a text of the system in the node; a node of NewViewNode that shows
// it already is left alone.
void SetNodeText(QTreeWidgetItem *Node, const std::string &Text);

void *NodeData(const QTreeWidgetItem *Node);
void SetNodeData(QTreeWidgetItem *Node, void *Data);

// Index -1 (or any index outside the view's image list) shows no image; the
// selected index is the image shown while the node is selected.
void SetNodeImages(QTreeWidgetItem *Node, int ImageIndex, int SelectedIndex);
int NodeImageIndex(const QTreeWidgetItem *Node);
int NodeSelectedIndex(const QTreeWidgetItem *Node);

bool NodeSelected(const QTreeWidgetItem *Node);
// In a single-selection view selecting a node also deselects the others and
// makes it the current node, like a click.
void SetNodeSelected(QTreeWidgetItem *Node, bool Selected);
// The focused node is the view's current node; focusing leaves the selection.
bool NodeFocused(const QTreeWidgetItem *Node);
void FocusNode(QTreeWidgetItem *Node);
// Expands the node's ancestors and scrolls it into view.
void MakeNodeVisible(QTreeWidgetItem *Node);
// True when all ancestors of the node are expanded.
bool NodeShown(const QTreeWidgetItem *Node);

// The one selected node of a single-selection view; null when none.
QTreeWidgetItem *ViewSelected(const QTreeWidget *View);
// Selects Node alone (null: clears the selection).
void SetViewSelected(QTreeWidget *View, QTreeWidgetItem *Node);

// Suppresses repainting of a view while it is rebuilt; nests.
class TViewUpdateLock {
public:
    explicit TViewUpdateLock(QTreeWidget *View);
    ~TViewUpdateLock();
    TViewUpdateLock(const TViewUpdateLock &) = delete;
    TViewUpdateLock &operator=(const TViewUpdateLock &) = delete;

private:
    QTreeWidget *View;
    bool WasEnabled;
};
