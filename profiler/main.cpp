// The profiler's start: settings, the project, the main window, then the
// parameter panel (lent to the main window, never shown by itself).
#include "base/VrnMisc.h"
#include "base/VrnSettings.h"
#include "platform/Application.h"
#include "profiler/LibArvilo.h"
#include "profiler/UntArviloMain.h"
#include "profiler/UntArviloPnlStart.h"

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    OnSettingsError = ShowErrorText;
    InitSettings();
    Project = new TArvilo(nullptr);
    int result = 0;
    {
        std::unique_ptr<TFrmArviloMain> main = TFrmFile::Create<TFrmArviloMain>();
        FrmArviloMain = main.get();
        auto panel = std::make_unique<TFrmPnlParameter>();
        FrmPnlParameter = panel.get();
        main->show();
        result = app.exec();
        // The window gives the lent panel back before either goes.
        main.reset();
        FrmArviloMain = nullptr;
        FrmPnlParameter = nullptr;
    }
    delete Project;
    Project = nullptr;
    return result;
}
