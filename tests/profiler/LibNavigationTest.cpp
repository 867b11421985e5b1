#include "profiler/LibNavigation.h"

#include "platform/SystemText.h"
#include "platform/ViewItems.h"
#include "profiler/LibArvilo.h"

#include <QFrame>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

namespace {

using TLog = std::vector<std::string>;

// The profiler's arrangement: one panel shared by the variation pages, a
// root page without panel; hooks are recorded.
class Navigation : public ::testing::Test {
protected:
    void SetUp() override
    {
        Host.resize(400, 300);
        Host.show();
        Tree.show();
        Root->SetCaption("Bo Profiling", 3, 3, -1, -1);
        Nav->Add(Root);
    }

    TNavigationTree *AddVarPage(QWidget *Panel = nullptr)
    {
        auto *v = new TArvilo_Var(&Project);
        Project.AddChild(v);
        auto *page = new TNavigationTree(Nav.get(), Panel ? Panel : PnlStart, v);
        page->CanLeave = [] { return true; };
        page->OnShow = [this](TCompDataList *Data) { Log.push_back("show:" + Data->GetCaption()); };
        page->OnHide = [this, page] { Log.push_back("hide:" + page->GetCaption()); };
        Root->Add(page);
        return page;
    }

    // In display order: 0 the top node, 1 the root, 2 the first variation.
    QTreeWidgetItem *Node(int Index)
    {
        QTreeWidgetItemIterator it(&Tree);
        it += Index;
        return *it;
    }

    void Click(int Index)
    {
        SetViewSelected(&Tree, Node(Index));
        Nav->TreeClick(&Tree, true, [this] { ++Done; });
    }

    std::string Selected() { return ViewSelected(&Tree) ? FromQ(ViewSelected(&Tree)->text(0)) : "<none>"; }

    QWidget Home, Host;
    QFrame *PnlStart = new QFrame(&Home);
    QFrame *PnlOther = new QFrame(&Home);
    QTreeWidget Tree;
    TArvilo Project{nullptr};
    std::unique_ptr<TNavigations> Nav = std::make_unique<TNavigations>("Arvilo Variationen", &Host, 0, 0);
    TNavigationTree *Root = new TNavigationTree(Nav.get(), nullptr, nullptr);
    TLog Log;
    int Done = 0;
};

TEST_F(Navigation, FillTreeShowsThreeLevelsAndSelectsTopWhenNothingIsActive)
{
    AddVarPage();
    AddVarPage()->Caption = "* ";
    SetViewSelected(&Tree, nullptr);
    Nav->FillTree(&Tree, false);
    EXPECT_EQ(Selected(), "Arvilo Variationen");
    EXPECT_EQ(Node(0)->childCount(), 1);
    EXPECT_EQ(FromQ(Node(1)->text(0)), "Bo Profiling");
    EXPECT_EQ(NodeImageIndex(Node(1)), 3);
    EXPECT_EQ(Node(1)->childCount(), 2);
    EXPECT_EQ(FromQ(Node(2)->text(0)), "Var1 default");
    EXPECT_EQ(FromQ(Node(3)->text(0)), "* Var2 default");
}

TEST_F(Navigation, ClickLendsThePanelAndTheTopNodeGivesItBack)
{
    AddVarPage();
    TNavigationTree *v2 = AddVarPage();
    v2->Tag = 7;
    Nav->FillTree(&Tree, false);
    Click(3);
    EXPECT_EQ(Nav->Active, v2);
    EXPECT_EQ(PnlStart->parentWidget(), &Host);
    EXPECT_TRUE(PnlStart->isVisible());
    EXPECT_EQ(PnlStart->property("Tag").toInt(), 7);
    EXPECT_EQ(Selected(), "Var2 default");
    EXPECT_EQ(Done, 1);
    Host.resize(500, 350);
    EXPECT_EQ(PnlStart->geometry(), Host.rect());

    // Again the same page, then the other page on the same panel: each a full change.
    Click(3);
    Click(2);
    EXPECT_EQ(Log, (TLog{"show:Var2 default", "hide:Var2 default", "show:Var2 default", "hide:Var2 default",
                         "show:Var1 default"}));
    EXPECT_EQ(PnlStart->parentWidget(), &Host);

    Log.clear();
    Nav->StoreActive();
    Click(0);
    EXPECT_EQ(Log, (TLog{"hide:Var1 default", "hide:Var1 default"}));
    EXPECT_EQ(Nav->Active, nullptr);
    EXPECT_EQ(PnlStart->parentWidget(), &Home);
    EXPECT_TRUE(PnlStart->isHidden());
}

TEST_F(Navigation, MouseClickOnANodeActivatesItsPage)
{
    AddVarPage();
    Nav->FillTree(&Tree, false);
    QObject::connect(&Tree, &QTreeWidget::itemClicked, [this] { Nav->TreeClick(&Tree, true, nullptr); });
    QTest::mouseClick(Tree.viewport(), Qt::LeftButton, {}, Tree.visualItemRect(Node(2)).center());
    EXPECT_EQ(Log, (TLog{"show:Var1 default"}));
}

TEST_F(Navigation, RefusedLeaveShowsTheNewPageWithoutHideAndWalksOn)
{
    TNavigationTree *v1 = AddVarPage();
    AddVarPage(PnlOther);
    AddVarPage();
    Nav->FillTree(&Tree, false);
    ASSERT_TRUE(Nav->ActivatePage(v1, false));
    v1->CanLeave = [] { return false; };
    Nav->StoreActive();
    // Var2 is shown all the same, its False result walks on to Var3.
    SetViewSelected(&Tree, Node(3));
    EXPECT_TRUE(ActivateSelectedNode(&Tree, true));
    EXPECT_EQ(Log, (TLog{"show:Var1 default", "show:Var2 default", "hide:Var2 default", "show:Var3 default"}));
    EXPECT_EQ(PnlOther->parentWidget(), &Home);

    // Refused on hiding: the panel leaves all the same, unstored.
    Nav->Active->CanLeave = [] { return false; };
    Nav->HideActive();
    EXPECT_EQ(Log.size(), 4u);
    EXPECT_EQ(Nav->Active, nullptr);
    EXPECT_EQ(PnlStart->parentWidget(), &Home);
}

TEST_F(Navigation, WalkPassesPagesWithoutPanelOrDisabledUpToTheEnd)
{
    Nav->FillTree(&Tree, false);
    Click(1); // no variation below the root
    EXPECT_EQ(Selected(), "<none>");
    TNavigationTree *v1 = AddVarPage();
    AddVarPage()->Enabled = false;
    TNavigationTree *v3 = AddVarPage();
    Nav->FillTree(&Tree, false);
    Click(1);
    EXPECT_EQ(Nav->Active, v1);
    Click(3);
    EXPECT_EQ(Nav->Active, v3);
    SetViewSelected(&Tree, Node(3));
    EXPECT_TRUE(ActivateSelectedNode(&Tree, false));
    EXPECT_EQ(Nav->Active, v1);

    // Nothing to activate below: the active page's node is selected again.
    v3->Enabled = false;
    Click(3);
    EXPECT_EQ(Nav->Active, v1);
    EXPECT_EQ(Selected(), "Var1 default");
    EXPECT_FALSE(ActivateSelectedNode(&Host, true));
}

TEST_F(Navigation, LeftShowsTheNextPageAndUpOnTheFirstHidesIt)
{
    AddVarPage();
    TNavigationTree *v2 = AddVarPage();
    Nav->FillTree(&Tree, false);
    Click(2);
    // The selection stays one node short, for the view's own handling.
    Nav->TreeKeyDown(&Tree, Qt::Key_Left, nullptr);
    EXPECT_EQ(Nav->Active, v2);
    EXPECT_EQ(Selected(), "Var1 default");
    Nav->TreeKeyDown(&Tree, Qt::Key_Down, nullptr);
    EXPECT_EQ(Nav->Active, v2);

    Click(2);
    struct TKeyHook : QObject {
        bool eventFilter(QObject *Watched, QEvent *Event) override
        {
            if (Event->type() == QEvent::KeyPress)
                Navigations->TreeKeyDown(Watched, static_cast<QKeyEvent *>(Event)->key(), nullptr);
            return false;
        }
    } hook;
    Navigations = Nav.get();
    Tree.installEventFilter(&hook);
    QTest::keyClick(&Tree, Qt::Key_Up);
    Navigations = nullptr;
    EXPECT_EQ(Nav->Active, nullptr);
    EXPECT_EQ(Selected(), "Arvilo Variationen");
}

TEST_F(Navigation, FailingClickIsRetriedAFewTimesAndNeverHangs)
{
    TNavigationTree *v1 = AddVarPage();
    Nav->FillTree(&Tree, false);
    int shows = 0;
    v1->OnShow = [&shows](TCompDataList *) {
        if (++shows != 2)
            throw std::runtime_error("fails");
    };
    Click(2);
    EXPECT_EQ(shows, 2);
    EXPECT_EQ(Done, 1);
    shows = 2;
    EXPECT_THROW(Click(2), std::runtime_error);
    EXPECT_EQ(shows, 2 + TNavigations::ClickAttempts);
    EXPECT_EQ(Done, 1);
    // The key handler steps the selection back all the same.
    SetViewSelected(&Tree, Node(1));
    EXPECT_THROW(Nav->TreeKeyDown(&Tree, Qt::Key_Left, nullptr), std::runtime_error);
    EXPECT_EQ(ViewSelected(&Tree), Node(1));
}

TEST_F(Navigation, FreedPagesAndControllerLeaveNothingDangling)
{
    TNavigationTree *v1 = AddVarPage();
    const TCompDataList *var1 = v1->Data;
    Nav->FillTree(&Tree, false);
    EXPECT_EQ(TNavigations::FindNodeOfData(&Tree, var1), Node(2));
    SetViewSelected(&Tree, Node(2));
    EXPECT_EQ(SelectedNavigation(&Tree), v1);
    ASSERT_TRUE(Nav->ActivatePage(v1, false));
    // Freed while active and still in the tree.
    Nav->Clear();
    EXPECT_EQ(Nav->Active, nullptr);
    EXPECT_EQ(SelectedNavigation(&Tree), nullptr);
    EXPECT_EQ(TNavigations::FindNodeOfData(&Tree, var1), nullptr);
    EXPECT_FALSE(ActivateSelectedNode(&Tree, true));
    // The controller gives a lent panel back before the host can take it down.
    EXPECT_EQ(PnlStart->parentWidget(), &Host);
    Nav.reset();
    EXPECT_EQ(PnlStart->parentWidget(), &Home);
}

} // namespace
