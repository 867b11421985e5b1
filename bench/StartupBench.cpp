// Start-up time of the profiler: the program start of profiler/main.cpp up to
// the first exposed main window, on whatever platform QT_QPA_PLATFORM names.
// Prints the time since the process started (from the kernel's start time,
// 10 ms resolution) and since main() was entered (the part our code costs).
#include "bench/ProfilerWindows.h"
#include "platform/Application.h"

#include <QWindow>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

// Seconds from the process's start to now, from /proc.
double SecondsSinceProcessStart()
{
    std::ifstream stat("/proc/self/stat");
    std::string line;
    std::getline(stat, line);
    // Field 22 (starttime, in clock ticks since boot); the fields after the
    // command name, which is in parentheses, are blank-separated.
    std::istringstream rest(line.substr(line.rfind(')') + 2));
    std::string field;
    for (int i = 3; i <= 22; ++i)
        rest >> field;
    const double started = std::stod(field) / static_cast<double>(sysconf(_SC_CLK_TCK));
    double uptime = 0;
    std::ifstream("/proc/uptime") >> uptime;
    return uptime - started;
}

// Quits the event loop on the first exposure of the watched window.
class TExposeWatch : public QObject {
public:
    bool eventFilter(QObject *Watched, QEvent *Event) override
    {
        if (Event->type() == QEvent::Expose && static_cast<QWindow *>(Watched)->isExposed() && !Done) {
            Done = true;
            Elapsed = std::chrono::steady_clock::now();
            SinceStart = SecondsSinceProcessStart();
            QCoreApplication::quit();
        }
        return false;
    }
    bool Done = false;
    std::chrono::steady_clock::time_point Elapsed;
    double SinceStart = 0;
};

} // namespace

int main(int argc, char **argv)
{
    const auto entered = std::chrono::steady_clock::now();
    const double beforeMain = SecondsSinceProcessStart();

    TApplication app(argc, argv);
    TExposeWatch watch;
    {
        TProfilerWindows profiler;
        profiler.Main->winId(); // the native window, to watch its exposure
        profiler.Main->windowHandle()->installEventFilter(&watch);
        profiler.Main->show();
        app.exec();
    }

    if (!watch.Done) {
        std::fprintf(stderr, "the window was never exposed\n");
        return 1;
    }
    const double inMain = std::chrono::duration<double>(watch.Elapsed - entered).count();
    std::printf("platform %s\n", qPrintable(QGuiApplication::platformName()));
    std::printf("process start to main():          %6.3f s (10 ms resolution)\n", beforeMain);
    std::printf("main() to first exposed window:   %6.3f s\n", inMain);
    std::printf("process start to exposed window:  %6.3f s (10 ms resolution)\n", watch.SinceStart);
    return 0;
}
