#include "base/VrnSettings.h"
#include "calculator/UntMirtel.h"
#include "platform/Application.h"

#include <QScreen>

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    OnSettingsError = ShowErrorText;
    TFrmMirtel form;
    FrmMirtel = &form;
    // Centred on the desktop.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        form.move(screen->availableGeometry().center() - form.rect().center());
    form.show();
    const int result = app.exec();
    FrmMirtel = nullptr;
    return result;
}
