#pragma once
// The profiler's main window: the project as a document, the navigation tree
// of its variations, the project page and the parameter panel.
#include "base/VrnFrmFile.h"
#include "platform/Memo.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSplitter;
class QTreeWidget;
class TArvilo_Var;
struct TArviloBlock;
class TNavigation;
class TVrkHyperlinkLabel;

class TFrmArviloMain : public TFrmFile {
    Q_OBJECT
public:
    explicit TFrmArviloMain(QWidget *parent = nullptr);
    ~TFrmArviloMain() override;

    // The document hooks.
    void SaveMru(TStrings &List) override;
    void LoadMru(TStrings &List) override;
    void NewDocument() override;
    void LoadFromFile(const std::string &Name) override;
    void SaveToFile(const std::string &Name) override;
    // The shown page's edits count before the question, however it was asked for.
    bool QuerySaveChanges() override;
    // A clean document is remembered, to tell a change from none.
    void UpdateCaption() override;

    void FormShow() override;
    void FormHide() override;
    void setVisible(bool visible) override;
    void FormClose();
    void TvwNavigationClick();
    void TvwNavigationKeyDown(int Key);
    void ActAddVarExecute();
    void ActRemoveVarExecute();
    void ActInfoExecute();
    void ActUpdateExecute();
    void ActToolExecute();
    void LblVarnekHomeClick();
    void Panel4Resize();
    void Panel5Resize();

    TNavigation *CurrentNavigation();
    void RebuildTree();
    void StoreProjectFields();
    void ReadProjectFields(TArviloBlock &Block, std::string &Comment) const;
    void ShowProjectFields();
    void VariationLoaded(TArvilo_Var *Variation);
    TArvilo_Var *AddVariation(bool AfterCurrent);
    void UpdateCommands();
    // Marks the document modified when its content differs from the one last
    // begun, opened or saved; clears the mark when it does not.
    void MarkModified();
    // Stores the shown page's edits into its variation.
    void StoreShownPage();

    QWidget *Panel1;
    QTreeWidget *TvwNavigation;
    QSplitter *SplHorz;
    QWidget *PnlNavigation;
    QWidget *Panel3;
    QWidget *Panel4;
    QWidget *Panel5;
    QLabel *lblWelcome;
    TVrkHyperlinkLabel *LblVarnekHome;
    QLabel *Image1;
    QLabel *Label3, *lblTitle, *Label1, *Label2, *Label4;
    QLineEdit *EdtTitle;
    QLineEdit *EdtStock;
    TMemo *MmoComment;
    QPlainTextEdit *MmoTheorie;
    QMenu *Variation1;
    QMenu *MnuHelp;
    QMenu *PopVars;
    QAction *Info1;
    QAction *ActUpdate;
    QAction *ActAddVar;
    QAction *ActRemoveVar;
    QAction *ActTool;
    QToolButton *ToolButton15;
    QToolButton *ToolButton4;
    QToolButton *ToolButton6;

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void BuildProjectPage();
    void BuildCommands();
    void LoadTheory();
    // A navigation key cleared the current variation while its page stayed
    // shown: the panel's edits still belong to that variation.
    void RecoverCurrent();
};

extern TFrmArviloMain *FrmArviloMain;
// Rebuilds the navigation below its top node: the root page "Bo Profiling" alone.
void ResetNavigationTree();
// The update page of the profiler on the maker's web host.
std::string UpdatePageAddress();
