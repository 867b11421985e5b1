#pragma once
// Shows a panel of the program in a maximised window of its own while the
// user looks at it, and puts it back where it was afterwards.
#include <QDialog>
#include <functional>
#include <memory>

class QAction;
class QWidget;

class TFrmFullScreen : public QDialog {
    Q_OBJECT
public:
    explicit TFrmFullScreen(QWidget *Owner);

    void ActCloseExecute();

    QWidget *PnlFullScreen;
    QAction *ActClose;
    // The panel's parent before the move.
    QWidget *OldParent = nullptr;
};

// Creates the window for ShowInFullScreen; TFrmFullScreen or a derived class.
using TFullScreenFormClass = std::function<std::unique_ptr<TFrmFullScreen>(QWidget *Owner)>;
TFullScreenFormClass FullScreenFormClass();

// Moves Panel into a modal full-screen window and back when that closes
// (also on an exception). Nothing happens for a null panel.
void ShowInFullScreen(const TFullScreenFormClass &FormClass, QWidget *Panel);
