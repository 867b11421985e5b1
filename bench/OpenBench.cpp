// The profiler on a big project as a user meets it: started as main() starts
// it with the project on its command line, then a click on a variation and a
// digit typed into a panel edit. Each figure runs to the next moment the event
// loop is idle (nothing left to do but wait for the user).
//
//   open_bench FILE     "open N ms"   main() to idle after the open
//                       "click N ms"  a click on the middle variation to idle
//                       "key N ms"    a digit typed into the Da edit to idle
//                       "variations N"
// store_bench --make FILE N writes such a project.
#include "base/VrnCmpStandard.h"
#include "base/VrnFiles.h"
#include "bench/ProfilerWindows.h"
#include "platform/Application.h"
#include "platform/SystemText.h"
#include "profiler/LibNavigation.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

namespace {

using TClock = std::chrono::steady_clock;

double MsSince(TClock::time_point Start)
{
    return std::chrono::duration<double, std::milli>(TClock::now() - Start).count();
}

// Runs the event loop until it is about to wait with Done() true.
void RunUntilIdle(const std::function<bool()> &Done)
{
    QEventLoop loop;
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &loop, [&] {
        if (Done())
            loop.quit();
    });
    loop.exec();
}

double UntilIdle(const std::function<void()> &Action)
{
    const auto start = TClock::now();
    Action();
    RunUntilIdle([] { return true; });
    return MsSince(start);
}

} // namespace

int main(int argc, char **argv)
{
    const auto entered = TClock::now();
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (argc != 2) {
        std::fprintf(stderr, "usage: open_bench FILE\n");
        return 2;
    }
    TApplication app(argc, argv);
    // The settings of a fresh user, so no placement or recent list of a
    // former run plays a part.
    QTemporaryDir home;
    const std::string binDir = AppDir;
    AppDir = FileNameFromQ(home.path()) + "/";
    QFile::copy(FileNameToQ(binDir + "Theory.txt"), FileNameToQ(AppDir + "Theory.txt"));
    {
        TProfilerWindows profiler;
        TFrmArviloMain *main = profiler.Main.get();
        TFrmPnlParameter *panel = profiler.Panel.get();
        main->Params = {argv[1]};
        main->resize(1000, 700);
        main->show();
        RunUntilIdle([&] { return !main->FileName.empty(); });
        std::printf("open %.1f ms\n", MsSince(entered));
        std::printf("variations %d\n", Project->Count);

        // The middle variation, scrolled into view as a user would.
        TListNode *middle = Project->GetItem(Project->Count / 2);
        QTreeWidgetItem *node = TNavigations::FindNodeOfData(main->TvwNavigation, dynamic_cast<TCompDataList *>(middle));
        if (node) {
            main->TvwNavigation->scrollToItem(node);
            RunUntilIdle([] { return true; });
            const QPoint at = main->TvwNavigation->visualItemRect(node).center();
            std::printf("click %.1f ms\n", UntilIdle([&] {
                            QTest::mouseClick(main->TvwNavigation->viewport(), Qt::LeftButton, {}, at);
                        }));
        }
        panel->EdtDa->setFocus();
        panel->EdtDa->end(false);
        std::printf("key %.1f ms\n", UntilIdle([&] { QTest::keyClick(panel->EdtDa, Qt::Key_5); }));
        main->Modified = false; // no save question on the way out
    }
    return 0;
}
