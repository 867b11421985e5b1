#pragma once
// Lists that show themselves and their children in tree and list views. Each
// object knows its caption, image indexes, list columns and a small view state;
// nodes and items carry the object as their Data, the view owns neither.
#include "base/VrnBase.h"
#include "base/VrnLinkList.h"

#include <QPointer>

#include <string>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;
class TStrings;

// An object whose column captions are not one more than its column values.
class EVrnCompDataListListViewCreate : public EVrnWin32Error {
public:
    using EVrnWin32Error::EVrnWin32Error;
};

// A node copied from an object of another class.
class EVrnAssign : public EVrnWin32Error {
public:
    using EVrnWin32Error::EVrnWin32Error;
};

struct TViewState {
    // When the object's tree node is created it is made visible.
    bool Expanded;
    // False: the object is left out as a child of tree and list views.
    bool Visible;
    // The object's node or item is created selected / focused.
    bool Selected;
    bool Focused;
};

// The column captions, or the column values, of a list-view row.
using tSubListItemCaptions = std::vector<std::string>;

class TCompDataList : public TLinkList {
public:
    // The state comes from DefaultViewState. A class that overrides
    // InitViewState calls it at the end of its own constructor: C++ does not
    // reach an override while the base is being built.
    TCompDataList();

    static TViewState DefaultViewState() { return {true, true, false, false}; }

    // Overridable operations, in this order; subclasses add theirs after them.
    virtual std::string GetCaption() const;
    // Appends the caption to Out: what a refill of a big tree asks every
    // object for, without a new string each time. Overridden together with
    // GetCaption, or not at all.
    virtual void AppendCaption(std::string &Out) const;
    // One caption per list-view column: the first heads the caption, the
    // others the values, so one more caption than values.
    virtual tSubListItemCaptions GetColumnCaptions() const;
    virtual tSubListItemCaptions GetColumnValues() const;
    virtual int GetImageIndex() const;
    virtual int GetSelectedIndex() const;
    virtual void InitViewState();
    virtual void DescribeTo(TStrings &Lines) const;
    // Adds the visible children under ParentNode, each with its own children.
    virtual void AddChildrenToTree(QTreeWidget *Tree, QTreeWidgetItem *ParentNode);
    // Appends one row per visible child, each followed by its own children.
    virtual void FillListView(QTreeWidget *ListView);
    // Reads the expanded, selected and focused states back from View.
    virtual void SaveViewState();

    void AssignViewState(const TCompDataList *Source);
    static QTreeWidgetItem *FindTreeNodeByData(QTreeWidget *Tree, void *Data);
    void ApplyToTreeNode(QTreeWidgetItem *Node);
    void SetCurrent(TCompDataList *Obj) { CurrentItem = Obj; }
    void SetCurrentFromNode(QTreeWidgetItem *Node);
    // Rebuilds Tree with this object as its single top-level node and selects
    // again the object that was selected before.
    void FillTreeView(QTreeWidget *Tree, bool FullExpand);
    // Prefix marks an entry that is not expanded into its children (Recurse false).
    void AddToTree(QTreeWidget *Tree, QTreeWidgetItem *ParentNode, bool Recurse, const std::string &Prefix);
    void AddRootToTree(QTreeWidget *Tree, QTreeWidgetItem *ParentNode);
    void ApplyToListItem(QTreeWidgetItem *Item);
    // Whether Other has the same column captions; raises
    // EVrnCompDataListListViewCreate when this object's columns do not fit.
    bool ColumnsMatch(const TCompDataList *Other) const;

    TViewState ViewState;
    // The tree this object was last filled into as the root; null otherwise.
    QPointer<QTreeWidget> View;
    // The object whose node is selected again after a refill.
    TCompDataList *CurrentItem = nullptr;
};

std::string SpaceString(int N);
// S cut to N - 1 characters and ".", when longer than N; else padded to N.
std::string PadRightDot(const std::string &S, int N);
// One "Name<TAB>: Value" line with Name padded to Width.
void AddDescribeLine(TStrings &Lines, const std::string &Name, const std::string &Value, int Width);
