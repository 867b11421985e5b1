#include "profiler/libNavFullScreen.h"

#include "base/VrnForms.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QVBoxLayout>

TFrmFullScreen::TFrmFullScreen(QWidget *Owner)
    : QDialog(Owner, Qt::Window | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("FrmFullScreen"));
    setWindowTitle(QStringLiteral("Current Variation In Full Screen"));
    QFont font = this->font();
    font.setPixelSize(11);
    setFont(font);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    PnlFullScreen = Named(new QWidget(this), "PnlFullScreen");
    auto *inner = new QVBoxLayout(PnlFullScreen);
    inner->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PnlFullScreen);

    ActClose = Named(new QAction(QStringLiteral("Current Variation In Full Screen"), this), "ActClose");
    ActClose->setShortcut(QKeySequence(Qt::Key_F11));
    ActClose->setShortcutContext(Qt::WindowShortcut);
    addAction(ActClose);
    connect(ActClose, &QAction::triggered, this, [this] { ActCloseExecute(); });
}

void TFrmFullScreen::ActCloseExecute()
{
    close();
}

TFullScreenFormClass FullScreenFormClass()
{
    return [](QWidget *Owner) { return std::make_unique<TFrmFullScreen>(Owner); };
}

void ShowInFullScreen(const TFullScreenFormClass &FormClass, QWidget *Panel)
{
    if (!Panel)
        return;
    // A panel that is a window itself cannot own the window it moves into.
    QWidget *const owner = Panel->isWindow() ? nullptr : Panel->window();
    std::unique_ptr<TFrmFullScreen> form = FormClass(owner);
    form->setVisible(false);
    form->setMinimumSize(Panel->size());
    form->OldParent = Panel->parentWidget();

    // Where the panel sat in its parent's layout, to put it back there.
    auto *oldLayout = form->OldParent ? qobject_cast<QBoxLayout *>(form->OldParent->layout()) : nullptr;
    const int oldIndex = oldLayout ? oldLayout->indexOf(Panel) : -1;
    const int oldStretch = oldIndex >= 0 ? oldLayout->stretch(oldIndex) : 0;

    struct TPutBack {
        QWidget *Panel;
        QWidget *OldParent;
        QBoxLayout *OldLayout;
        int Index, Stretch;
        ~TPutBack()
        {
            Panel->setParent(OldParent);
            if (OldLayout && Index >= 0)
                OldLayout->insertWidget(Index, Panel, Stretch);
            else if (OldParent && OldParent->layout())
                OldParent->layout()->addWidget(Panel);
            Panel->show();
        }
    } putBack{Panel, form->OldParent, oldLayout, oldIndex, oldStretch};

    Panel->setParent(form->PnlFullScreen);
    form->PnlFullScreen->layout()->addWidget(Panel);
    Panel->show();
    form->setWindowState(Qt::WindowMaximized);
    form->exec();
}
