#pragma once
// The profiler's two windows created as main() creates them, for the tests
// that drive the program as a user does. The program's folder and settings
// are the test's to choose; the temporary folder is there for them.
#include "base/VrnFiles.h"
#include "base/VrnMisc.h"
#include "platform/SystemText.h"
#include "profiler/LibArvilo.h"
#include "profiler/UntArviloMain.h"
#include "profiler/UntArviloPnlStart.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include <memory>
#include <string>

class TArviloProgram {
protected:
    // The fixtures destroy the windows in TearDown, while their dialog
    // doubles still answer; this is the safety net for a failed SetUp.
    ~TArviloProgram()
    {
        Destroy();
        AppDir = SavedAppDir;
    }
    // With Arguments, the process's arguments name the project to open, as
    // the program's own do.
    void Create(bool Arguments = false)
    {
        Project = new TArvilo(nullptr);
        Main = TFrmFile::Create<TFrmArviloMain>();
        if (!Arguments)
            Main->Params.clear(); // the test runner's own arguments
        FrmArviloMain = Main.get();
        Panel = std::make_unique<TFrmPnlParameter>();
        FrmPnlParameter = Panel.get();
    }
    void Destroy()
    {
        Main.reset();
        FrmArviloMain = nullptr;
        Panel.reset();
        FrmPnlParameter = nullptr;
        delete Project;
        Project = nullptr;
    }
    // Shown, exposed and active, as the window manager leaves a new window.
    void Start()
    {
        Main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Main.get()));
        Main->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Main.get()));
        QCoreApplication::processEvents();
    }
    // Drags the file onto the main window and drops it there, as a file
    // manager does (the name's bytes escaped in the URL); whether the window
    // accepted the drag.
    bool Drop(const std::string &Name)
    {
        QMimeData data;
        data.setUrls({QUrl::fromEncoded("file://" + QByteArray::fromStdString(Name).toPercentEncoding("/"))});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Main.get(), &enter);
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Main.get(), &drop);
        return enter.isAccepted();
    }
    std::string Path(const std::string &Name) const { return FileNameFromQ(Dir.filePath(FileNameToQ(Name))); }
    std::string Caption() const { return FromQ(Main->windowTitle()); }

    std::string SavedAppDir = AppDir;
    QTemporaryDir Dir;
    std::unique_ptr<TFrmArviloMain> Main;
    std::unique_ptr<TFrmPnlParameter> Panel;
};
