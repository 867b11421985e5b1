#pragma once
// The profiler as profiler/main.cpp starts and ends it, for the benchmarks
// that time it as a user meets it: settings, the project, the main window and
// the parameter panel; at the end the window closes and all goes in main()'s order.
#include "base/VrnMisc.h"
#include "base/VrnSettings.h"
#include "platform/Application.h"
#include "profiler/LibArvilo.h"
#include "profiler/UntArviloMain.h"
#include "profiler/UntArviloPnlStart.h"

#include <memory>

struct TProfilerWindows {
    TProfilerWindows()
    {
        OnSettingsError = ShowErrorText;
        InitSettings();
        Project = new TArvilo(nullptr);
        Main = TFrmFile::Create<TFrmArviloMain>();
        FrmArviloMain = Main.get();
        Panel = std::make_unique<TFrmPnlParameter>();
        FrmPnlParameter = Panel.get();
    }
    ~TProfilerWindows()
    {
        Main->close();
        // The window gives the lent panel back before either goes.
        Main.reset();
        FrmArviloMain = nullptr;
        Panel.reset();
        FrmPnlParameter = nullptr;
        delete Project;
        Project = nullptr;
    }
    TProfilerWindows(const TProfilerWindows &) = delete;
    TProfilerWindows &operator=(const TProfilerWindows &) = delete;

    std::unique_ptr<TFrmArviloMain> Main;
    std::unique_ptr<TFrmPnlParameter> Panel;
};
