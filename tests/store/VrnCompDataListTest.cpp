#include "store/VrnCompDataList.h"

#include "platform/StringList.h"
#include "platform/SystemText.h"
#include "platform/ViewItems.h"

#include <QPixmap>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

namespace {

// A list with a caption and image and, when Captions is set, list columns.
class TItem : public TCompDataList {
public:
    explicit TItem(std::string caption, int image = -1) : Caption(std::move(caption)), Image(image) {}
    std::string GetCaption() const override { return Caption; }
    int GetImageIndex() const override { return Image; }
    tSubListItemCaptions GetColumnCaptions() const override { return Captions; }
    tSubListItemCaptions GetColumnValues() const override { return Values; }
    void AddChildrenToTree(QTreeWidget *Tree, QTreeWidgetItem *ParentNode) override
    {
        TCompDataList::AddChildrenToTree(Tree, ParentNode);
        if (Fail)
            throw std::runtime_error("broken child");
    }
    TItem *Child(const std::string &caption, int image = -1)
    {
        auto *child = new TItem(caption, image);
        Add(child);
        return child;
    }
    TItem *Row(const std::string &caption)
    {
        TItem *row = Child(caption);
        row->Captions = {"Name", "Size", "Kind"};
        row->Values = {caption + ".size", caption + ".kind"};
        return row;
    }

    std::string Caption;
    int Image;
    tSubListItemCaptions Captions, Values;
    bool Fail = false;
};

std::string Text(const QTreeWidgetItem *item, int column = 0) { return FromQ(item->text(column)); }
TCompDataList *Object(const QTreeWidgetItem *item) { return static_cast<TCompDataList *>(NodeData(item)); }
QTreeWidgetItem *NodeOf(QTreeWidget &tree, TCompDataList *obj) { return TCompDataList::FindTreeNodeByData(&tree, obj); }

// The captions of all nodes in display order, indented by depth.
std::vector<std::string> Outline(QTreeWidget &tree)
{
    std::vector<std::string> lines;
    for (QTreeWidgetItemIterator it(&tree); *it; ++it) {
        std::string indent;
        for (const QTreeWidgetItem *p = (*it)->parent(); p; p = p->parent())
            indent += ' ';
        lines.push_back(indent + Text(*it));
    }
    return lines;
}

// Root with children A (A1, A2) and B (B1).
struct TSample {
    TItem Root{"Root", 0};
    TItem *A = Root.Child("A", 1), *A1 = A->Child("A1"), *A2 = A->Child("A2");
    TItem *B = Root.Child("B", 2), *B1 = B->Child("B1");
};

} // namespace

TEST(CompDataListTree, FillShowsVisibleListChildrenExpanded)
{
    TSample s;
    s.A->Add(new TListNode); // not a list: skipped
    TItem *hidden = s.Root.Child("Hidden");
    hidden->Child("UnderHidden");
    hidden->ViewState.Visible = false;
    QTreeWidget tree;
    s.Root.FillTreeView(&tree, false);

    EXPECT_EQ(Outline(tree), (std::vector<std::string>{"Root", " A", "  A1", "  A2", " B", "  B1"}));
    for (QTreeWidgetItemIterator it(&tree); *it; ++it) {
        EXPECT_EQ((*it)->isExpanded(), (*it)->childCount() > 0) << Text(*it);
        EXPECT_EQ(NodeImageIndex(*it), Object(*it)->GetImageIndex());
    }
    EXPECT_EQ(Object(tree.topLevelItem(0)->child(1)->child(0)), s.B1);
    // Nothing was selected: none is now, the first node has the focus.
    EXPECT_TRUE(tree.selectedItems().isEmpty());
    EXPECT_EQ(tree.currentItem(), tree.topLevelItem(0));
    EXPECT_EQ(s.Root.View, &tree);
    EXPECT_EQ(s.A->View, nullptr);
}

TEST(CompDataListTree, RefillSelectsTheSameObjectAgain)
{
    TSample s;
    QTreeWidget tree;
    s.Root.FillTreeView(&tree, false);
    tree.setCurrentItem(NodeOf(tree, s.A2));
    s.Root.InsertAfter(nullptr, new TItem("First"));
    s.Root.FillTreeView(&tree, false);
    ASSERT_EQ(tree.selectedItems().size(), 1);
    EXPECT_EQ(Object(tree.selectedItems().first()), s.A2);
    EXPECT_EQ(Object(tree.currentItem()), s.A2);

    // The selected object gone: nothing selected, the first node focused.
    s.A->Remove(s.A2);
    const std::unique_ptr<TItem> removed(s.A2);
    s.Root.FillTreeView(&tree, false);
    EXPECT_TRUE(tree.selectedItems().isEmpty());
    EXPECT_EQ(tree.currentItem(), tree.topLevelItem(0));

    // A failing build still reselects and ends the update lock.
    tree.setCurrentItem(NodeOf(tree, s.B1));
    s.B->Fail = true;
    EXPECT_THROW(s.Root.FillTreeView(&tree, false), std::runtime_error);
    EXPECT_TRUE(tree.updatesEnabled());
    ASSERT_EQ(tree.selectedItems().size(), 1);
    EXPECT_EQ(Object(tree.selectedItems().first()), s.B1);
}

TEST(CompDataListTree, ViewStateAndReferences)
{
    TSample s;
    s.A1->ViewState.Expanded = false;
    s.A2->ViewState.Expanded = false;
    QTreeWidget tree;
    s.Root.FillTreeView(&tree, false);
    EXPECT_FALSE(NodeOf(tree, s.A)->isExpanded());
    s.Root.FillTreeView(&tree, true);
    EXPECT_TRUE(NodeOf(tree, s.A)->isExpanded());

    // Added outside a fill, a node keeps its created selection; without
    // recursion it carries the prefix and no children.
    s.B->ViewState.Selected = true;
    QTreeWidget other;
    s.B->AddToTree(&other, nullptr, false, "^");
    EXPECT_EQ(Outline(other), std::vector<std::string>{"^B"});
    EXPECT_TRUE(other.topLevelItem(0)->isSelected());
}

TEST(CompDataListTree, SaveViewStateReadsTheTreeBack)
{
    TSample s;
    auto tree = std::make_unique<QTreeWidget>();
    s.Root.FillTreeView(tree.get(), false);
    NodeOf(*tree, s.A)->setExpanded(false);
    tree->setCurrentItem(NodeOf(*tree, s.B1));
    s.Root.SaveViewState();
    EXPECT_TRUE(s.A->ViewState.Expanded);
    EXPECT_FALSE(s.A1->ViewState.Expanded);
    EXPECT_TRUE(s.B1->ViewState.Selected && s.B1->ViewState.Focused && s.B1->ViewState.Expanded);
    EXPECT_FALSE(s.B->ViewState.Selected);

    // The read-back state rebuilds the same picture in a fresh tree.
    QTreeWidget fresh;
    s.Root.FillTreeView(&fresh, false);
    EXPECT_FALSE(NodeOf(fresh, s.A)->isExpanded());
    EXPECT_TRUE(NodeOf(fresh, s.B)->isExpanded());

    // Nodes of objects freed since the fill are left alone; a destroyed view is no view.
    s.Root.FillTreeView(tree.get(), false);
    s.A->Delete(s.A1);
    s.Root.SaveViewState();
    tree.reset();
    EXPECT_EQ(s.Root.View, nullptr);
    s.Root.SaveViewState();
}

TEST(CompDataListTree, ImageIndexesShowTheImageListsIcons)
{
    auto icon = [](Qt::GlobalColor color) {
        QPixmap pixmap(16, 16);
        pixmap.fill(color);
        return QIcon(pixmap);
    };
    auto colour = [](const QTreeWidgetItem *item, QIcon::Mode mode) {
        return item->icon(0).pixmap(16, mode).toImage().pixelColor(8, 8);
    };
    class TTwoImages : public TItem {
    public:
        using TItem::TItem;
        int GetSelectedIndex() const override { return 1; }
    };
    TImageList images;
    images.Add(icon(Qt::red));
    images.Add(icon(Qt::blue));
    TTwoImages root("Root", 0);
    root.Child("OutOfRange", 7);
    QTreeWidget tree;
    SetViewImages(&tree, images);
    root.FillTreeView(&tree, false);
    EXPECT_EQ(colour(tree.topLevelItem(0), QIcon::Normal), QColor(Qt::red));
    EXPECT_EQ(colour(tree.topLevelItem(0), QIcon::Selected), QColor(Qt::blue));
    EXPECT_TRUE(tree.topLevelItem(0)->child(0)->icon(0).isNull());

    TImageList green;
    green.Add(icon(Qt::green));
    SetViewImages(&tree, green);
    EXPECT_EQ(colour(tree.topLevelItem(0), QIcon::Normal), QColor(Qt::green));
}

TEST(CompDataListList, FillAppendsVisibleRowsFlat)
{
    TItem root("Root");
    root.Captions = {"Name", "Size", "Kind"};
    root.Values = {"", ""};
    TItem *a = root.Row("A");
    a->Captions = root.Captions;
    a->Row("A1");
    a->ViewState.Selected = true;
    root.Row("Hidden")->ViewState.Visible = false;
    root.Add(new TListNode);
    root.Row("B");
    root.Row("Other")->Captions[1] = "size"; // differs: ends the fill of the level
    root.Row("NotReached");
    root.Row("Short")->Values = {"1"};
    QTreeWidget list;
    list.setColumnCount(3);
    list.setRootIsDecorated(false);
    root.FillListView(&list);

    ASSERT_EQ(list.topLevelItemCount(), 3);
    const char *names[] = {"A", "A1", "B"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Text(list.topLevelItem(i)), names[i]);
        EXPECT_EQ(Text(list.topLevelItem(i), 2), std::string(names[i]) + ".kind");
    }
    EXPECT_EQ(Object(list.topLevelItem(1)), a->First);
    EXPECT_TRUE(list.topLevelItem(0)->isSelected());

    // Not cleared by a fill; a row with fewer values than columns leaves cells empty.
    root.Delete(root.GetItem(4));
    root.FillListView(&list);
    ASSERT_EQ(list.topLevelItemCount(), 8);
    EXPECT_EQ(Text(list.topLevelItem(7), 1), "1");
    EXPECT_EQ(Text(list.topLevelItem(7), 2), "");

    // Without declared columns a list with children cannot fill a list view.
    TItem plain("Plain");
    plain.Child("Child");
    try {
        plain.FillListView(&list);
        FAIL() << "no exception";
    } catch (const EVrnCompDataListListViewCreate &e) {
        EXPECT_EQ(e.Message.rfind("_coding error: unequal captions and subitems count", 0), 0u);
    }
}

TEST(CompDataListList, ColumnsMatch)
{
    TItem root("Root");
    TItem *one = root.Row("One"), *two = root.Row("Two");
    EXPECT_TRUE(one->ColumnsMatch(two));
    two->Captions[2] = "kind";
    EXPECT_FALSE(one->ColumnsMatch(two));
    one->Values.push_back("third");
    EXPECT_THROW(one->ColumnsMatch(two), EVrnCompDataListListViewCreate);
}

TEST(CompDataListText, PaddingAndDescription)
{
    EXPECT_EQ(PadRightDot("Caption", 30), "Caption" + std::string(23, ' '));
    EXPECT_EQ(PadRightDot(std::string(35, 'x'), 30), std::string(29, 'x') + ".");
    EXPECT_EQ(PadRightDot(std::string(30, 'y'), 30), std::string(30, 'y'));

    TItem root("Root");
    root.Child("1");
    root.Child("2");
    root.Child("3");
    TStringList lines;
    root.DescribeTo(lines);
    ASSERT_EQ(lines.Count(), 2);
    EXPECT_EQ(lines.Strings(0), "Caption" + std::string(23, ' ') + "\t: Root");
    EXPECT_EQ(lines.Strings(1), "Count" + std::string(25, ' ') + "\t: 3");
}
