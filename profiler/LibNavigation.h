#pragma once
// Pages shown one at a time in a host panel and chosen in a tree view. The
// controller lends the active page's panel to the host panel and turns clicks
// and arrow keys in the tree view into changes of page.
#include "store/VrnCompDataList.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <string>

class QObject;
class QTreeWidget;
class QTreeWidgetItem;

class TNavigations;

// Asked before the active page is left; empty means yes.
using TCanLeaveEvent = std::function<bool()>;
// Called with the page's Data once the page has become the active one.
using TShowEvent = std::function<void(TCompDataList *Data)>;
// Called when the page is left, and when its values are to be stored.
using THideEvent = std::function<void()>;
// Run after a click or a handled key has been dealt with.
using TDoneEvent = std::function<void()>;

// One page; the abstract base of all pages.
class TNavigation : public TCompDataList {
public:
    TNavigation(TNavigations *Controller, QWidget *Panel, TCompDataList *Data);
    ~TNavigation() override;

    // Event(Data) when both are assigned.
    void DoShow(const TShowEvent &Event);
    void DoHide(const THideEvent &Event);
    // Makes this page the active one; False when that did not fully succeed.
    virtual bool Activate(bool Force) = 0;

    // Null for a page that only groups others. Guarded: a panel destroyed
    // elsewhere counts as none.
    QPointer<QWidget> Panel;
    TNavigations *Controller;
    // Not owned; null allowed.
    TCompDataList *Data;
    bool Enabled = true;
    TCanLeaveEvent CanLeave;
    TShowEvent OnShow;
    THideEvent OnHide;
    // Copied into the panel's "Tag" property on activation.
    int Tag = 0;
};

// The page class of the program: a caption prefix and fixed images.
class TNavigationTree : public TNavigation {
public:
    using TNavigation::TNavigation;

    void SetCaption(const std::string &ACaption, int AImageOn, int ASelectedOn, int AImageOff, int ASelectedOff);
    bool Activate(bool Force) override;
    // Caption followed by Data's caption.
    std::string GetCaption() const override;
    void AppendCaption(std::string &Out) const override;
    // Data's images when there is Data; else the On or Off image by Enabled.
    int GetImageIndex() const override;
    int GetSelectedIndex() const override;

    std::string Caption;
    int ImageOn = 0;
    int SelectedOn = 0;
    int ImageOff = 0;
    int SelectedOff = 0;
};

// The controller: its list holds the pages (owned, each with its own pages).
// It owns neither the host panel, nor the pages' panels, nor their data.
class TNavigations : public TCompDataList {
public:
    TNavigations(const std::string &ACaption, QWidget *AHostPanel, int AImageIndex, int ASelectedIndex);
    // Also gives back any panel still lent to the host panel: the host's
    // children die with it, and the panel belongs to someone else.
    ~TNavigations() override;

    std::string GetCaption() const override { return Caption; }
    int GetImageIndex() const override { return ImageIndex; }
    int GetSelectedIndex() const override { return SelectedIndex; }

    bool CanLeaveActive() const;
    // Rebuilds the tree with this controller on top and selects the active
    // page's node; with no such node nothing stays active and the top node
    // is selected.
    void FillTree(QTreeWidget *TreeView, bool FullExpand);
    // Activates the page of the selected node, walking on in the direction
    // of Down past pages that cannot be activated.
    void SelectionChanged(QObject *Sender, bool Down, bool FullExpand);
    // The first node whose page shows AData; null when none.
    static QTreeWidgetItem *FindNodeOfData(QTreeWidget *TreeView, const TCompDataList *AData);
    // Takes the active page away; its OnHide runs when it may be left.
    void HideActive();
    // The active page's OnHide, when it may be left; the page stays shown.
    void StoreActive();
    bool HasActivePanel() const;
    // Shows Page's panel in the host panel, also when the active page refuses
    // to be left; the result is False then, and for a page without panel.
    bool ActivatePage(TNavigation *Page, bool Force);
    // The tree view's click. A pass that raises is retried after 20 ms, a
    // few times at most; the last failure goes on to the caller.
    void TreeClick(QObject *Sender, bool Down, const TDoneEvent &OnDone);
    // The tree view's key press, before the view's own handling: Left
    // activates the next page, Up the previous one. Key is Qt's key code.
    void TreeKeyDown(QObject *Sender, int Key, const TDoneEvent &OnDone);

    static constexpr int ClickAttempts = 5;
    static constexpr int ClickRetryPauseMs = 20;

    QPointer<QWidget> HostPanel;
    std::string Caption;
    int ImageIndex;
    int SelectedIndex;
    TNavigation *Active = nullptr;

private:
    // The tree the last fill filled (not fully expanded), and the one that a
    // click's OnDone need not fill again.
    QTreeWidget *Filled = nullptr;
    QTreeWidget *JustFilled = nullptr;
};

// Activates the page of Sender's selected node (Sender a tree view), walking
// on to the next or previous node until a page accepts; a controller's node
// hides that controller's page. False when no page became active.
bool ActivateSelectedNode(QObject *Sender, bool Down);
// The page of the selected node; null when none is selected or it is no page.
TNavigation *SelectedNavigation(QTreeWidget *TreeView);

// The profiler's controller, owned by the main window while it is shown.
extern TNavigations *Navigations;
