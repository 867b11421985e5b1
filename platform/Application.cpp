#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/SystemText.h"

#include <QDBusConnection>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

std::vector<std::string> givenArguments;

// In a session without a D-Bus session bus, the desktop integration's first
// look for one (for a global menu bar, while the main window is built) has
// the D-Bus library start a bus of its own: it forks the whole program to run
// a launcher, a good part of the start-up, for a bus that nothing else knows.
// Where no bus is given and the user has none, that look is made here with
// the launch switched off, so it fails at once; the toolkit keeps its result,
// and the environment is restored for the programs this one starts.
void LookForSessionBusWithoutLaunch()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb") || qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"))
        return;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus")))
        return;
    qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    QDBusConnection::sessionBus();
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
}

// The toolkit's own catalogue for the desktop's language. The program's own
// texts never go through a translator: they stay as written.
void LoadToolkitTexts(QCoreApplication &App)
{
    auto *translator = new QTranslator(&App);
    if (translator->load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace

TApplication::TApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    // The toolkit has taken its own options out of argv by now.
    givenArguments.assign(argv + (argc > 0 ? 1 : 0), argv + argc);
    LoadToolkitTexts(*this);
    LookForSessionBusWithoutLaunch();
}

const std::vector<std::string> &ProgramArguments()
{
    return givenArguments;
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        ShowException(e);
    } catch (...) {
        ShowErrorText("Unknown exception");
    }
    return true;
}

std::string ApplicationTitle()
{
    QString name = QCoreApplication::applicationName();
    if (name.isEmpty())
        name = QFileInfo(QCoreApplication::applicationFilePath()).baseName();
    if (!name.isEmpty())
        name[0] = name[0].toUpper();
    return FromQ(name);
}

void ShowErrorText(const std::string &text)
{
    Dialogs().MessageDlg(nullptr, ApplicationTitle(), text, mtError, mbOK);
}

void ShowException(const std::exception &e)
{
    std::string text = e.what();
    // The run-time library's box ends a sentence that has no final stop with one.
    if (!text.empty() && text.back() != '.')
        text += '.';
    ShowErrorText(text);
}
