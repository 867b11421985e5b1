#include "profiler/LibNavigation.h"

#include "platform/ViewItems.h"

#include <QEvent>
#include <QFrame>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <chrono>
#include <exception>
#include <thread>
#include <unordered_set>
#include <utility>

TNavigations *Navigations = nullptr;

namespace {

// Every controller and page alive. Node data is an untyped pointer and may
// outlive its object (a list cleared before the tree is refilled); only a
// pointer found here is looked at as a navigation object.
std::unordered_set<const TCompDataList *> &LiveObjects()
{
    static std::unordered_set<const TCompDataList *> objects;
    return objects;
}

TCompDataList *NavigationObject(const QTreeWidgetItem *Node)
{
    auto *obj = static_cast<TCompDataList *>(NodeData(Node));
    return obj && LiveObjects().count(obj) ? obj : nullptr;
}

// The next or previous node in the tree's display order, depth first,
// collapsed nodes included.
QTreeWidgetItem *StepNode(QTreeWidgetItem *Node, bool Down)
{
    QTreeWidgetItemIterator it(Node);
    if (Down)
        ++it;
    else
        --it;
    return *it;
}

int NodeCount(QTreeWidget *Tree)
{
    int count = 0;
    FindViewNode(Tree, [&count](const QTreeWidgetItem *) { return ++count, false; });
    return count;
}

// Attached to a panel while it is lent to a host panel: keeps the panel
// filling the host (over the host's own content, which stays in place) and
// remembers where the panel lived before, so it can go back there. In Qt a
// parent owns its children: a panel left without its home would leak, and
// one left in the host would die with it.
class TLentPanel : public QObject {
public:
    TLentPanel(QWidget *Panel, QWidget *Host)
        : QObject(Panel), Panel(Panel), Host(Host), Home(Panel->parentWidget())
    {
        setObjectName(QStringLiteral("arvLentPanel"));
        Host->installEventFilter(this);
    }

    static TLentPanel *Of(const QWidget *Panel)
    {
        for (QObject *child : Panel->children())
            if (auto *lent = dynamic_cast<TLentPanel *>(child))
                return lent;
        return nullptr;
    }

    bool eventFilter(QObject *Watched, QEvent *Event) override
    {
        if (Watched == Host && Event->type() == QEvent::Resize && Panel && Panel->parentWidget() == Host)
            Panel->setGeometry(Host->rect());
        return false;
    }

    QPointer<QWidget> Panel;
    QPointer<QWidget> Host;
    QPointer<QWidget> Home;
};

// Gives a lent panel back to where it lived before, hidden. A panel that was
// not lent stays where its owner put it.
void TakeOut(QWidget *Panel)
{
    if (!Panel || !Panel->parentWidget())
        return;
    TLentPanel *lent = TLentPanel::Of(Panel);
    if (!lent)
        return;
    QWidget *home = lent->Home;
    delete lent;
    Panel->hide();
    Panel->setParent(home);
}

void PlaceIn(QWidget *Panel, QWidget *Host)
{
    if (!Host)
        return;
    if (auto *frame = qobject_cast<QFrame *>(Panel))
        frame->setFrameShape(QFrame::NoFrame);
    if (!TLentPanel::Of(Panel))
        new TLentPanel(Panel, Host);
    if (Panel->parentWidget() != Host)
        Panel->setParent(Host);
    Panel->setGeometry(Host->rect());
    Panel->raise();
    Panel->show();
}

} // namespace

TNavigation::TNavigation(TNavigations *Controller, QWidget *Panel, TCompDataList *Data)
    : Panel(Panel), Controller(Controller), Data(Data)
{
    LiveObjects().insert(this);
}

TNavigation::~TNavigation()
{
    LiveObjects().erase(this);
    // A page freed while active must not stay named by its controller.
    if (Controller && LiveObjects().count(Controller) && Controller->Active == this)
        Controller->Active = nullptr;
}

void TNavigation::DoShow(const TShowEvent &Event)
{
    if (Data && Event)
        Event(Data);
}

void TNavigation::DoHide(const THideEvent &Event)
{
    if (Event)
        Event();
}

void TNavigationTree::SetCaption(const std::string &ACaption, int AImageOn, int ASelectedOn, int AImageOff,
                                 int ASelectedOff)
{
    Caption = ACaption;
    ImageOn = AImageOn;
    SelectedOn = ASelectedOn;
    ImageOff = AImageOff;
    SelectedOff = ASelectedOff;
}

bool TNavigationTree::Activate(bool Force)
{
    if (!Enabled || !Controller)
        return false;
    return Controller->ActivatePage(this, Force);
}

std::string TNavigationTree::GetCaption() const
{
    std::string caption;
    AppendCaption(caption);
    return caption;
}

void TNavigationTree::AppendCaption(std::string &Out) const
{
    Out += Caption;
    if (Data)
        Data->AppendCaption(Out);
}

int TNavigationTree::GetImageIndex() const
{
    if (Data)
        return Data->GetImageIndex();
    return Enabled ? ImageOn : ImageOff;
}

int TNavigationTree::GetSelectedIndex() const
{
    if (Data)
        return Data->GetSelectedIndex();
    return Enabled ? SelectedOn : SelectedOff;
}

TNavigations::TNavigations(const std::string &ACaption, QWidget *AHostPanel, int AImageIndex, int ASelectedIndex)
    : HostPanel(AHostPanel), Caption(ACaption), ImageIndex(AImageIndex), SelectedIndex(ASelectedIndex)
{
    LiveObjects().insert(this);
}

TNavigations::~TNavigations()
{
    if (QWidget *host = HostPanel)
        for (QWidget *child : host->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            TakeOut(child);
    Active = nullptr;
    // The pages go while the controller is still whole: they look at Active.
    Clear();
    LiveObjects().erase(this);
}

bool TNavigations::CanLeaveActive() const
{
    return !Active || !Active->CanLeave || Active->CanLeave();
}

void TNavigations::FillTree(QTreeWidget *TreeView, bool FullExpand)
{
    if (std::exchange(JustFilled, nullptr) == TreeView && !FullExpand)
        return;
    FillTreeView(TreeView, FullExpand);
    Filled = FullExpand ? nullptr : TreeView;
    // Mostly the page selected again; else the tree is searched.
    QTreeWidgetItem *node = ViewSelected(TreeView);
    if (!Active || !node || NodeData(node) != static_cast<TCompDataList *>(Active))
        node = Active ? FindTreeNodeByData(TreeView, static_cast<TCompDataList *>(Active)) : nullptr;
    SetViewSelected(TreeView, node);
    if (node)
        return;
    // The page has no node to show it by: it is no longer active, though its
    // panel stays where it is.
    Active = nullptr;
    if (TreeView->topLevelItemCount() > 0)
        SetViewSelected(TreeView, TreeView->topLevelItem(0));
}

void TNavigations::SelectionChanged(QObject *Sender, bool Down, bool FullExpand)
{
    auto *tree = qobject_cast<QTreeWidget *>(Sender);
    if (!tree)
        return;
    if (ActivateSelectedNode(tree, Down))
        FillTree(tree, FullExpand);
    else
        SetViewSelected(tree, Active ? FindTreeNodeByData(tree, static_cast<TCompDataList *>(Active)) : nullptr);
}

QTreeWidgetItem *TNavigations::FindNodeOfData(QTreeWidget *TreeView, const TCompDataList *AData)
{
    for (QTreeWidgetItemIterator it(TreeView); *it; ++it)
        if (auto *page = dynamic_cast<TNavigation *>(NavigationObject(*it)); page && page->Data == AData)
            return *it;
    return nullptr;
}

void TNavigations::HideActive()
{
    if (!Active)
        return;
    TakeOut(Active->Panel);
    if (CanLeaveActive())
        Active->DoHide(Active->OnHide);
    Active = nullptr;
}

void TNavigations::StoreActive()
{
    if (Active && CanLeaveActive())
        Active->DoHide(Active->OnHide);
}

bool TNavigations::HasActivePanel() const
{
    return Active && Active->Panel;
}

bool TNavigations::ActivatePage(TNavigation *Page, bool Force)
{
    if (!Page || !Page->Panel)
        return false;
    const bool result = Force || CanLeaveActive();
    if (Active) {
        // Out even when the page refuses to be left: the new page is shown anyway.
        TakeOut(Active->Panel);
        if (result)
            Active->DoHide(Active->OnHide);
    }
    QWidget *panel = Page->Panel;
    panel->setProperty("Tag", Page->Tag);
    // The page becomes the active one even when placing its panel fails.
    std::exception_ptr failure;
    try {
        PlaceIn(panel, HostPanel);
    } catch (...) {
        failure = std::current_exception();
    }
    Active = Page;
    Page->DoShow(Page->OnShow);
    if (failure)
        std::rethrow_exception(failure);
    return result;
}

void TNavigations::TreeClick(QObject *Sender, bool Down, const TDoneEvent &OnDone)
{
    // A pass that raises is tried again after a short pause, but only a few
    // times: a fault that persists would otherwise block the program for good.
    for (int attempt = 1;; ++attempt) {
        try {
            // When the pass filled the tree, the fill that OnDone asks for
            // first is the one just done: nothing has changed in between, and
            // a tree of many thousand pages is not filled twice for a click.
            JustFilled = nullptr;
            Filled = nullptr;
            SelectionChanged(Sender, Down, false);
            if (OnDone) {
                JustFilled = Filled;
                OnDone();
            }
            JustFilled = nullptr;
            return;
        } catch (...) {
            JustFilled = nullptr;
            if (attempt >= ClickAttempts)
                throw;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(ClickRetryPauseMs));
    }
}

void TNavigations::TreeKeyDown(QObject *Sender, int Key, const TDoneEvent &OnDone)
{
    auto *tree = qobject_cast<QTreeWidget *>(Sender);
    if (!tree || (Key != Qt::Key_Left && Key != Qt::Key_Up))
        return;
    // Left goes on to the next page, Up back to the previous one.
    const bool down = Key == Qt::Key_Left;
    QTreeWidgetItem *node = ViewSelected(tree);
    if (!node)
        return;
    SetViewSelected(tree, StepNode(node, down));
    // One node back, so that the view's own handling of the key, which
    // follows, ends on the node of the page just shown.
    const auto stepBack = [tree, down] {
        if (QTreeWidgetItem *selected = ViewSelected(tree))
            SetViewSelected(tree, StepNode(selected, !down));
    };
    try {
        TreeClick(tree, down, OnDone);
    } catch (...) {
        stepBack();
        throw;
    }
    stepBack();
}

bool ActivateSelectedNode(QObject *Sender, bool Down)
{
    auto *tree = qobject_cast<QTreeWidget *>(Sender);
    if (!tree)
        return false;
    // A walk visits each node once at most; the bound holds even if a hook
    // rebuilds the tree on the way. It is counted only when the first page
    // refuses: mostly it does not, and a big tree is not walked for nothing.
    int stepsLeft = -1;
    for (;;) {
        QTreeWidgetItem *node = ViewSelected(tree);
        TCompDataList *obj = node ? NavigationObject(node) : nullptr;
        if (auto *controller = dynamic_cast<TNavigations *>(obj)) {
            controller->HideActive();
            return true;
        }
        auto *page = dynamic_cast<TNavigation *>(obj);
        if (!page)
            return false;
        if (page->Activate(false))
            return true;
        // From the selection as it is now: a hook may have rebuilt the tree.
        node = ViewSelected(tree);
        if (!node)
            return false;
        if (stepsLeft < 0)
            stepsLeft = NodeCount(tree);
        if (stepsLeft-- == 0)
            return false;
        SetViewSelected(tree, StepNode(node, Down));
    }
}

TNavigation *SelectedNavigation(QTreeWidget *TreeView)
{
    QTreeWidgetItem *node = TreeView ? ViewSelected(TreeView) : nullptr;
    return node ? dynamic_cast<TNavigation *>(NavigationObject(node)) : nullptr;
}
