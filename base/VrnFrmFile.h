#pragma once
// The base form of a document main window: file menu, tool bar, open and save
// dialogs, file name, modified mark and recent-file list. The document itself
// belongs to a derived form, which supplies it through the virtual hooks.
#include "platform/Dialogs.h"
#include "platform/StringList.h"

#include <QIcon>
#include <QMainWindow>

#include <memory>
#include <string>
#include <utility>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QToolBar;
class QToolButton;

class TFrmFile : public QMainWindow {
    Q_OBJECT

public:
    explicit TFrmFile(QWidget *parent = nullptr);
    ~TFrmFile() override;

    // Makes a form of class T and runs its FormCreate once T is fully built,
    // so that the hooks it calls are T's. A form made otherwise runs
    // FormCreate when it is first shown.
    template <class T, class... Args>
    static std::unique_ptr<T> Create(Args &&...args)
    {
        auto form = std::make_unique<T>(std::forward<Args>(args)...);
        form->EnsureCreated();
        return form;
    }
    void EnsureCreated();

    TStringList Mru;      // recent file names, newest first
    std::string FileName; // empty for a document never saved or opened
    bool Modified = false;
    bool LockModified = false; // while set, SetModified changes nothing
    // The program's arguments after its name; the first one names a file to
    // open at start-up.
    std::vector<std::string> Params;

    QMenuBar *MnuMain;
    QMenu *MnuDatei;
    QAction *MnuNew;
    QAction *MnuOpen;
    QAction *MnuSave;
    QAction *MnuSaveAs;
    QAction *N2;
    QAction *MnuMru1;
    QAction *MnuMru2;
    QAction *MnuMru3;
    QAction *MnuMru4;
    QAction *MnuMru5;
    QAction *MnuSepMru;
    QAction *MnuExit;
    QToolBar *ToolBar;
    QToolButton *ToolButton1;
    QToolButton *ToolButton2;
    QToolButton *ToolButton3;
    std::vector<QIcon> IglToolBar; // 0 new, 1 open, 2 save
    TFileDialogRequest DlgOpen;
    TFileDialogRequest DlgSave;
    QAction *ActNew;
    QAction *ActOpen;
    QAction *ActSave;
    QAction *ActSaveAs;
    QAction *ActExit;

    // The hooks, in this order.
    // The window caption: title, " - " and the file name when there is one, " *" when modified.
    virtual void UpdateCaption();
    // Persist and restore the recent names in order; the base does nothing.
    virtual void SaveMru(TStrings &List);
    virtual void LoadMru(TStrings &List);
    // Replace the document by an empty one; also called on the first showing
    // before the derived form's own FormShow code has run.
    virtual void NewDocument() = 0;
    // Fill the just-reset document from the file, or write it; failures raise.
    virtual void LoadFromFile(const std::string &Name) = 0;
    virtual void SaveToFile(const std::string &Name) = 0;
    // False when the user cancels; asks only for a modified document.
    virtual bool QuerySaveChanges();

    void SetModified(bool Value);
    void SetFileName(const std::string &Name);
    void AddToMru(const std::string &Name);
    void UpdateMruMenu();
    // Opens without asking. A failed open leaves an empty unnamed document, so
    // that no later save writes the partial one over the file.
    void OpenFile(const std::string &Name);
    void FileNew();
    void FileOpen();
    void FileSave();
    void FileSaveAs();

    // Handlers; an override calls the base first.
    virtual void FormCreate();
    virtual void FormShow();
    virtual void FormHide();
    virtual void FormCloseQuery(bool &CanClose);
    void ActNewExecute() { FileNew(); }
    void ActOpenExecute() { FileOpen(); }
    void ActSaveExecute() { FileSave(); }
    void ActSaveAsExecute() { FileSaveAs(); }
    void ActExitExecute();
    void MnuMru1Click(QAction *Sender);
    // The deferred start-up open, run once the window is fully shown.
    void WMStartup();
    // Files dropped on the window: only the first one counts.
    void WMDropFiles(const std::vector<std::string> &Names);

    // Longer names of a dropped file are not opened.
    static constexpr size_t MaxDroppedName = 255;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QAction *MenuItemFor(QAction *Action, const char *Name);
    QAction *MruItem(int Index) const;

    bool FCreated = false;
};
