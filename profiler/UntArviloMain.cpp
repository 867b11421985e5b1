#include "profiler/UntArviloMain.h"

#include "base/VrnCmpStandard.h"
#include "base/VrnFiles.h"
#include "base/VrnForms.h"
#include "base/VrnFrmAbout.h"
#include "base/VrnHome.h"
#include "base/VrnMisc.h"
#include "base/VrnMiscGui.h"
#include "base/VrnSettings.h"
#include "platform/Application.h"
#include "platform/Screen.h"
#include "platform/Shell.h"
#include "platform/Streams.h"
#include "platform/SystemText.h"
#include "platform/ViewItems.h"
#include "profiler/ArviloIcons.h"
#include "profiler/LibArvilo.h"
#include "profiler/LibNavigation.h"
#include "profiler/UntArviloPnlStart.h"
#include "store/VrnStreamWrapper.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <exception>

TFrmArviloMain *FrmArviloMain = nullptr;

namespace {

const char TheoryFailed[] = "Theory.txt konnte nicht ge\xF6" "ffnet werden";

// A sentence of a failure message and its reason, when the reason is known.
std::string WithReason(const std::string &Text, std::string Reason)
{
    while (!Reason.empty() && (Reason.back() == '.' || Reason.back() == ' '))
        Reason.pop_back();
    return Reason.empty() ? Text : Text + " Reason: " + Reason + ".";
}

std::string SaveFailure(const std::string &Name, const std::string &Reason)
{
    std::string text = WithReason("The project could not be saved to \"" + FileNameText(Name) + "\".", Reason);
    // A failed save never touches the old file.
    if (FileExists(Name))
        text += " The file on disk is unchanged.";
    return text;
}

} // namespace

std::string UpdatePageAddress()
{
    return std::string("https://") + VarnekHost + "/de/download/Arvilo/index.htm";
}

void ResetNavigationTree()
{
    Navigations->Clear();
    auto *root = new TNavigationTree(Navigations, nullptr, nullptr);
    root->SetCaption("Bo Profiling", 3, 3, -1, -1);
    Navigations->Add(root);
}

TFrmArviloMain::TFrmArviloMain(QWidget *parent)
    : TFrmFile(parent)
{
    setObjectName(QStringLiteral("FrmArviloMain"));
    setFont(Verdana(11, false));
    resize(1002, 650);
    setMinimumSize(980, 650);
    BuildProjectPage();
    BuildCommands();
}

TFrmArviloMain::~TFrmArviloMain()
{
    if (FrmPnlParameter)
        FrmPnlParameter->OnStored = nullptr;
    FormClose();
}

void TFrmArviloMain::BuildProjectPage()
{
    auto *central = new QWidget(this);
    auto *row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    SplHorz = Named(new QSplitter(Qt::Horizontal, central), "SplHorz");
    SplHorz->setHandleWidth(4);
    row->addWidget(SplHorz);

    Panel1 = Named(new QWidget(SplHorz), "Panel1");
    auto *treeBox = new QVBoxLayout(Panel1);
    treeBox->setContentsMargins(0, 0, 0, 0);
    TvwNavigation = Named(new QTreeWidget(Panel1), "TvwNavigation");
    TvwNavigation->setHeaderHidden(true);
    TvwNavigation->setFrameShape(QFrame::NoFrame);
    TvwNavigation->setIndentation(19);
    // Every node is one line with one icon: the view need not measure each of
    // a hundred thousand to find the node under the mouse.
    TvwNavigation->setUniformRowHeights(true);
    TvwNavigation->setContextMenuPolicy(Qt::CustomContextMenu);
    TvwNavigation->installEventFilter(this);
    TvwNavigation->viewport()->installEventFilter(this);
    TImageList navImages;
    for (int i = 0; i < 4; ++i)
        navImages.Add(NavImage(i));
    SetViewImages(TvwNavigation, navImages);
    treeBox->addWidget(TvwNavigation);
    SplHorz->addWidget(Panel1);

    PnlNavigation = Named(new QWidget(SplHorz), "PnlNavigation");
    auto *hostBox = new QVBoxLayout(PnlNavigation);
    hostBox->setContentsMargins(0, 0, 0, 0);
    Panel3 = Named(new QWidget(PnlNavigation), "Panel3");
    FillBackground(Panel3, PageColour);
    hostBox->addWidget(Panel3);
    auto *pageBox = new QVBoxLayout(Panel3);
    pageBox->setContentsMargins(0, 0, 0, 0);
    Panel4 = Named(new QWidget(Panel3), "Panel4");
    FillBackground(Panel4, PageColour);
    Panel4->installEventFilter(this);
    pageBox->addWidget(Panel4);
    SplHorz->addWidget(PnlNavigation);
    SplHorz->setSizes({177, 825});
    SplHorz->setStretchFactor(1, 1);

    Panel5 = Place<QWidget>(Panel4, "Panel5", 0, 0, 825, 40);
    FillBackground(Panel5, PageColour);
    Panel5->installEventFilter(this);
    lblWelcome = PlaceLabel(Panel5, "lblWelcome", "Welcome To Varnek Arvilo", 8, 8, Verdana(19, true));
    LblVarnekHome = Named(new TVrkHyperlinkLabel(Panel5), "LblVarnekHome");
    LblVarnekHome->setText(QLatin1String(VarnekHost));
    LblVarnekHome->SetURL(VarnekHomePage);
    QFont link = Verdana(11, false);
    link.setUnderline(true);
    LblVarnekHome->setFont(link);
    LblVarnekHome->move(720, 14);
    LblVarnekHome->adjustSize();

    InitBaseResources();
    Image1 = Place<QLabel>(Panel4, "Image1", 8, 40, 518, 91);
    Image1->setPixmap(QPixmap(QStringLiteral(":/base/about_banner.png")));

    const QFont plain = Verdana(11, false), bold = Verdana(11, true);
    Label3 = PlaceLabel(Panel4, "Label3", "Project", 8, 144, bold);
    lblTitle = PlaceLabel(Panel4, "lblTitle", "Title", 8, 162, plain);
    EdtTitle = Place<QLineEdit>(Panel4, "EdtTitle", 8, 178, 217, 21);
    KeepToCodePage(EdtTitle, decltype(TArviloBlock::Title)::Capacity);
    Label1 = PlaceLabel(Panel4, "Label1", "Culture/Stock", 8, 206, plain);
    EdtStock = Place<QLineEdit>(Panel4, "EdtStock", 8, 222, 217, 21);
    KeepToCodePage(EdtStock, decltype(TArviloBlock::CultureStock)::Capacity);
    QFont italic = EdtStock->font();
    italic.setItalic(true);
    EdtStock->setFont(italic);
    Label2 = PlaceLabel(Panel4, "Label2", "Comment", 237, 165, plain);
    MmoComment = Place<TMemo>(Panel4, "MmoComment", 237, 179, 570, 65);
    MmoComment->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SetColour(MmoComment, QPalette::Base, InfoColour);
    Label4 = PlaceLabel(Panel4, "Label4", "Theory", 8, 256, bold);
    MmoTheorie = Place<QPlainTextEdit>(Panel4, "MmoTheorie", 8, 272, 799, 285);
    MmoTheorie->setReadOnly(true);
    MmoTheorie->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setStyleHint(QFont::Monospace);
    mono.setPixelSize(11);
    MmoTheorie->setFont(mono);

    setCentralWidget(central);
    connect(LblVarnekHome, &TVrkHyperlinkLabel::clicked, this, Safely([this] { LblVarnekHomeClick(); }));
}

void TFrmArviloMain::BuildCommands()
{
    struct TText {
        QAction *Action;
        const char *Caption, *Hint;
    };
    for (const TText &t : {TText{ActNew, "&New", "Starts New Project"}, TText{ActOpen, "&Open...", "Opens Project"},
                           TText{ActSave, "&Save", "Saves Project"},
                           TText{ActSaveAs, "Save &As....", "Save Project As New Name"},
                           TText{ActExit, "&Exit", "Closes Application"}}) {
        t.Action->setText(ToQ(t.Caption));
        t.Action->setToolTip(ToQ(t.Hint));
        t.Action->setStatusTip(ToQ(t.Hint));
    }
    auto make = [this](const char *name, const char *caption, const char *hint, QIcon icon) {
        auto *action = Named(new QAction(ToQ(caption), this), name);
        if (hint) {
            action->setToolTip(ToQ(hint));
            action->setStatusTip(ToQ(hint));
        }
        action->setIcon(icon);
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        return action;
    };
    ActUpdate = make("ActUpdate", "&Check New Updates", nullptr, QIcon());
    ActUpdate->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F1));
    ActAddVar = make("ActAddVar", "&Add Variation", "Adds a Variation", MainToolImage(4));
    ActRemoveVar = make("ActRemoveVar", "&Remove Variation", "Removes a Variation", MainToolImage(5));
    ActTool = make("ActTool", "Mirtel", "Loads Bo Calculation Tool", MainToolImage(4));
    ActTool->setShortcut(QKeySequence(Qt::Key_F5));
    Info1 = make("Info1", "&Info", "About Varnek...", MainToolImage(3));
    Info1->setShortcut(QKeySequence(Qt::Key_F1));

    connect(ActUpdate, &QAction::triggered, this, Safely([this] { ActUpdateExecute(); }));
    connect(ActAddVar, &QAction::triggered, this, Safely([this] { ActAddVarExecute(); }));
    connect(ActRemoveVar, &QAction::triggered, this, Safely([this] { ActRemoveVarExecute(); }));
    connect(ActTool, &QAction::triggered, this, Safely([this] { ActToolExecute(); }));
    connect(Info1, &QAction::triggered, this, Safely([this] { ActInfoExecute(); }));

    // Tool bar: the document buttons, then Info, Add and Remove.
    IglToolBar.push_back(MainToolImage(3));
    IglToolBar.push_back(MainToolImage(4));
    IglToolBar.push_back(MainToolImage(5));
    ToolBar->addSeparator();
    ToolButton15 = Named(new QToolButton(ToolBar), "ToolButton15");
    ToolButton15->setDefaultAction(Info1);
    ToolBar->addWidget(ToolButton15);
    ToolBar->addSeparator();
    ToolButton4 = Named(new QToolButton(ToolBar), "ToolButton4");
    ToolButton4->setDefaultAction(ActAddVar);
    ToolBar->addWidget(ToolButton4);
    ToolButton6 = Named(new QToolButton(ToolBar), "ToolButton6");
    ToolButton6->setDefaultAction(ActRemoveVar);
    ToolBar->addWidget(ToolButton6);
    ToolBar->addSeparator();

    MnuDatei->setTitle(QStringLiteral("&Project"));
    Variation1 = Named(MnuMain->addMenu(QStringLiteral("&Variation")), "Variation1");
    Variation1->addAction(ActAddVar);
    Variation1->addAction(ActRemoveVar);
    MnuHelp = Named(MnuMain->addMenu(QStringLiteral("&Help/Tools")), "MnuHelp");
    MnuHelp->addAction(Info1);
    MnuHelp->addAction(ActUpdate);
    MnuHelp->addSeparator();
    MnuHelp->addAction(ActTool);

    PopVars = Named(new QMenu(TvwNavigation), "PopVars");
    PopVars->addAction(ActAddVar);
    PopVars->addAction(ActRemoveVar);
    PopVars->addSeparator();
    PopVars->addAction(Info1);
    PopVars->addAction(ActUpdate);
    PopVars->addSeparator();
    PopVars->addAction(ActTool);
    connect(TvwNavigation, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { PopVars->popup(TvwNavigation->viewport()->mapToGlobal(pos)); });
}

// ---- the document hooks ----

void TFrmArviloMain::SaveMru(TStrings &List)
{
    if (UserSettings)
        UserSettings->WriteStrings("File History", List, true, true);
}

void TFrmArviloMain::LoadMru(TStrings &List)
{
    if (UserSettings)
        UserSettings->ReadStrings("File History", List, std::string());
}

void TFrmArviloMain::NewDocument()
{
    if (!Navigations)
        return;
    Project->Current = nullptr;
    Navigations->HideActive();
    RebuildTree();
    Project->ClearChildren();
    AddVariation(false);
    ShowProjectFields();
    UpdateCommands();
    EdtTitle->setFocus();
}

void TFrmArviloMain::LoadFromFile(const std::string &Name)
{
    bool complete = true;
    std::exception_ptr fault;
    {
        TBusyCursor busy;
        if (Name.empty())
            return;
        NewDocument();
        RebuildTree();
        Project->SetFileInfo(ProjectFileInfo);
        // Whatever the store does, the steps below must run: the tree view's
        // nodes still point at the pages just freed, and a click on one of
        // them would act on freed memory.
        try {
            complete = Project->LoadFromFile(Name);
        } catch (...) {
            fault = std::current_exception();
        }
        Project->EnumerateVariations();
        ShowProjectFields();
        Project->Current = nullptr;
        Navigations->HideActive();
        UpdateCommands();
    }
    TvwNavigation->setFocus();
    if (fault) {
        try {
            std::rethrow_exception(fault);
        } catch (const EVrnStreamWrapCreate &e) {
            // The store's own text names neither the file nor the command.
            throw EVrnError(WithReason("The project file \"" + FileNameText(Name) + "\" could not be opened.", e.Reason));
        }
    }
    // The window shows what could be read; the document form then leaves it
    // unnamed, so a plain Save cannot write it over the file it came from.
    if (!complete)
        throw EVrnError("The project file \"" + FileNameText(Name) + "\" could not be read completely: it is damaged, "
                        "truncated or no project file. What could be read is shown as a new, unnamed project.");
}

void TFrmArviloMain::SaveToFile(const std::string &Name)
{
    TBusyCursor busy;
    StoreShownPage();
    if (Name.empty())
        return;
    StoreProjectFields();
    // A save that fails leaves the old file as it was; say so instead of
    // letting the document count as saved.
    bool saved = false;
    try {
        saved = Project->SaveToFile(Name);
    } catch (const EVrnStreamWrapCreate &e) {
        throw EVrnError(SaveFailure(Name, e.Reason));
    }
    if (!saved)
        throw EVrnError(SaveFailure(Name, Project->FailReason));
}

bool TFrmArviloMain::QuerySaveChanges()
{
    StoreShownPage();
    MarkModified();
    return TFrmFile::QuerySaveChanges();
}

void TFrmArviloMain::UpdateCaption()
{
    // The base form updates the caption after every change of the mark; a
    // document without it is the one just begun, opened or saved.
    if (!Modified && Project) {
        TArviloBlock block = Project->Block;
        std::string comment;
        ReadProjectFields(block, comment);
        Project->MarkSaved(block, comment);
    }
    TFrmFile::UpdateCaption();
}

void TFrmArviloMain::RecoverCurrent()
{
    if (Navigations && Navigations->Active && !Project->Current)
        Project->Current = dynamic_cast<TArvilo_Var *>(Navigations->Active->Data);
}

void TFrmArviloMain::StoreShownPage()
{
    if (!Navigations)
        return;
    RecoverCurrent();
    Navigations->StoreActive();
}

// ---- showing and closing ----

void TFrmArviloMain::FormShow()
{
    TFrmFile::FormShow();
    RestoreFormPlacement(this, UserSettings);
    if (!Navigations)
        Navigations = new TNavigations("Arvilo Variationen", PnlNavigation, 0, 0);
    Project->OnVariationLoaded = [this](TArvilo_Var *v) { VariationLoaded(v); };
    Project->AttachOpenDialog(DlgOpen);
    Project->AttachSaveDialog(DlgSave);
    NewDocument();
    LoadTheory();
    UpdateCommands();
    EdtTitle->setFocus();
    if (FrmPnlParameter) {
        FrmPnlParameter->InitProfiles();
        // F9 and the chart's commands store the panel: the mark shows it at once.
        FrmPnlParameter->OnStored = [this] { MarkModified(); };
    }
}

void TFrmArviloMain::LoadTheory()
{
    // Through the file stream, which refuses a pipe or device instead of
    // waiting on it.
    try {
        TFileStream file(AppDir + "Theory.txt", fmOpenRead);
        std::string text;
        char buffer[1 << 16];
        for (std::int64_t n; (n = file.Read(buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<size_t>(n));
        MmoTheorie->setPlainText(ToQ(text));
        return;
    } catch (const EStreamError &) {
    }
    MmoTheorie->setPlainText(ToQ(TheoryFailed));
    Dialogs().MessageDlg(this, ApplicationTitle(), TheoryFailed, mtWarning, mbOK);
}

void TFrmArviloMain::setVisible(bool visible)
{
    // Under a window manager a window's position means its frame only when
    // it is set before the window first exists on the screen; set later, in
    // FormShow, it would be taken as the position of the inside, and every
    // start would move the window up by its title bar.
    if (visible && !testAttribute(Qt::WA_WState_Created))
        RestoreFormPlacement(this, UserSettings);
    TFrmFile::setVisible(visible);
}

void TFrmArviloMain::FormHide()
{
    TFrmFile::FormHide();
    SaveFormPlacement(this, UserSettings);
}

void TFrmArviloMain::FormClose()
{
    delete Navigations;
    Navigations = nullptr;
}

void TFrmArviloMain::closeEvent(QCloseEvent *event)
{
    TFrmFile::closeEvent(event);
    if (event->isAccepted())
        FormClose();
}

// ---- the navigation ----

void TFrmArviloMain::RebuildTree()
{
    ResetNavigationTree();
}

void TFrmArviloMain::VariationLoaded(TArvilo_Var *Variation)
{
    auto *page = new TNavigationTree(Navigations, FrmPnlParameter ? FrmPnlParameter->PnlStart : nullptr, Variation);
    if (FrmPnlParameter) {
        TFrmPnlParameter *panel = FrmPnlParameter;
        page->CanLeave = [panel] { return panel->CanLeavePage(); };
        page->OnShow = [panel](TCompDataList *Data) { panel->ShowVariation(Data); };
        page->OnHide = [panel] { panel->StoreToVariation(); };
    }
    static_cast<TLinkList *>(Navigations->GetItem(0))->Add(page);
    page->SetCaption(std::string(), -1, -1, -1, -1);
}

TArvilo_Var *TFrmArviloMain::AddVariation(bool AfterCurrent)
{
    auto *v = new TArvilo_Var(Project);
    if (AfterCurrent && Project->Current)
        Project->InsertChild(Project->Current, v);
    else
        Project->AddChild(v);
    RebuildTree();
    Project->EnumerateVariations();
    return v;
}

TNavigation *TFrmArviloMain::CurrentNavigation()
{
    if (TNavigation *page = SelectedNavigation(TvwNavigation))
        return page;
    if (Project->Current && Project->Current->Owner) {
        QTreeWidgetItem *node = TNavigations::FindNodeOfData(TvwNavigation, Project->Current);
        if (!node)
            return nullptr;
        SetViewSelected(TvwNavigation, node);
        return SelectedNavigation(TvwNavigation);
    }
    return nullptr;
}

void TFrmArviloMain::UpdateCommands()
{
    for (QAction *a : {ActNew, ActOpen, ActSave, ActSaveAs, ActExit})
        a->setEnabled(true);
    Navigations->FillTree(TvwNavigation, false);
    MarkModified();
}

void TFrmArviloMain::MarkModified()
{
    if (!Project)
        return;
    TArviloBlock block = Project->Block;
    std::string comment;
    ReadProjectFields(block, comment);
    // A mark set again would only redo the caption.
    const bool changed = Project->DiffersFromSaved(block, comment);
    if (changed != Modified)
        SetModified(changed);
}

void TFrmArviloMain::TvwNavigationClick()
{
    if (!Navigations)
        return;
    RecoverCurrent();
    Navigations->TreeClick(TvwNavigation, true, [this] { UpdateCommands(); });
}

namespace {

// The keys that move the tree's selection.
bool NavigationKey(int Key)
{
    switch (Key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

} // namespace

void TFrmArviloMain::TvwNavigationKeyDown(int Key)
{
    // Only a key that may move to another page leaves the current one, and
    // what was typed on it goes into its variation first.
    if (!NavigationKey(Key))
        return;
    StoreShownPage();
    Project->Current = nullptr;
    if (Navigations)
        Navigations->TreeKeyDown(TvwNavigation, Key, [this] { UpdateCommands(); });
}

bool TFrmArviloMain::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == TvwNavigation->viewport() &&
        (Event->type() == QEvent::MouseButtonPress || Event->type() == QEvent::MouseButtonDblClick)) {
        // A press on empty space would take the selection away; the click
        // that follows acts on the selected node instead.
        if (!TvwNavigation->itemAt(static_cast<QMouseEvent *>(Event)->position().toPoint())) {
            TvwNavigation->setFocus(Qt::MouseFocusReason);
            return true;
        }
    } else if (Watched == TvwNavigation->viewport() && Event->type() == QEvent::MouseButtonRelease) {
        // The tree has selected the node on the press; the click acts on it.
        if (static_cast<QMouseEvent *>(Event)->button() == Qt::LeftButton)
            Safely([this] { TvwNavigationClick(); })();
    } else if (Watched == TvwNavigation && Event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(Event)->key();
        Safely([this, key] { TvwNavigationKeyDown(key); })();
    } else if (Watched == Panel4 && Event->type() == QEvent::Resize) {
        Panel4Resize();
    } else if (Watched == Panel5 && Event->type() == QEvent::Resize) {
        Panel5Resize();
    }
    return TFrmFile::eventFilter(Watched, Event);
}

void TFrmArviloMain::resizeEvent(QResizeEvent *event)
{
    TFrmFile::resizeEvent(event);
}

// ---- commands ----

void TFrmArviloMain::ActAddVarExecute()
{
    StoreShownPage();
    TNavigation *page = CurrentNavigation();
    if (!page)
        return;
    auto *v = dynamic_cast<TArvilo_Var *>(page->Data);
    Project->Current = nullptr;
    Navigations->HideActive();
    Project->Current = v;
    AddVariation(true);
    Project->Current = nullptr;
    Navigations->FillTree(TvwNavigation, false);
    MarkModified();
}

void TFrmArviloMain::ActRemoveVarExecute()
{
    TNavigation *page = CurrentNavigation();
    if (!page)
        return;
    auto *v = dynamic_cast<TArvilo_Var *>(page->Data);
    if (!v)
        return;
    const std::string question = "M\xF6" "chten Sie wirklich l\xF6schen \"" + v->GetCaption() + "\"";
    if (Dialogs().MessageDlg(this, ApplicationTitle(), question, mtConfirmation, mbYes | mbNo | mbCancel) != mrYes)
        return;
    Project->Current = nullptr;
    Navigations->HideActive();
    // The pages point at the variation: rebuild them before it is freed.
    RebuildTree();
    v->Owner->Delete(v);
    Project->EnumerateVariations();
    Navigations->FillTree(TvwNavigation, false);
    MarkModified();
}

void TFrmArviloMain::ActInfoExecute()
{
    ShowAbout<TFrmAbout>("Arvilo Simulation", "1.0.1");
}

void TFrmArviloMain::ActUpdateExecute()
{
    ShellOpen(UpdatePageAddress());
}

void TFrmArviloMain::ActToolExecute()
{
    QProcess::startDetached(FileNameToQ(AppDir + "mirtel"), QStringList());
}

void TFrmArviloMain::LblVarnekHomeClick()
{
    OpenHomePage(this);
}

// ---- the project page ----

void TFrmArviloMain::ShowProjectFields()
{
    EdtTitle->setText(ToQ(Project->Block.Title));
    EdtStock->setText(ToQ(Project->Block.CultureStock));
    MmoComment->SetText(Project->Comment);
    EdtTitle->setFocus();
}

// The project's texts as the page shows them, in the form a save stores.
void TFrmArviloMain::ReadProjectFields(TArviloBlock &Block, std::string &Comment) const
{
    Block.Title = FromQ(EdtTitle->text());
    Block.CultureStock = FromQ(EdtStock->text());
    Comment = MmoComment->Text();
}

void TFrmArviloMain::StoreProjectFields()
{
    ReadProjectFields(Project->Block, Project->Comment);
}

void TFrmArviloMain::Panel4Resize()
{
    MmoComment->resize(Panel4->width() - MmoComment->x() - 8, MmoComment->height());
    MmoTheorie->resize(Panel4->width() - MmoTheorie->x() - 8, Panel4->height() - MmoTheorie->y() - 8);
    Panel5->resize(Panel4->width(), Panel5->height());
}

void TFrmArviloMain::Panel5Resize()
{
    LblVarnekHome->move(Panel5->width() - LblVarnekHome->width() - 8, LblVarnekHome->y());
}
