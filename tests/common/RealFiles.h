#pragma once
// Helpers for tests on real files as users have them: the toolkit's own file
// dialog answered as a user would, named pipes that nobody writes to.
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

// The names the file dialog lists in its current folder.
inline QStringList ShownNames(QFileDialog *Dialog)
{
    QStringList names;
    auto *view = Dialog->findChild<QListView *>(QStringLiteral("listView"));
    if (!view || !view->model())
        return names;
    const QAbstractItemModel *model = view->model();
    for (int row = 0; row < model->rowCount(view->rootIndex()); ++row)
        names << model->index(row, 0, view->rootIndex()).data().toString();
    return names;
}

// Answers the next file dialog that comes up: once it lists Sentinel (so
// that it has read its folder; empty: at once), Inspect sees it, then Typed
// is typed into the name field and Enter pressed; the dialog's question
// whether to replace an existing file is answered Yes. An empty Typed cancels.
inline void AnswerFileDialog(const QString &Typed, const QString &Sentinel = QString(),
                             std::function<void(QFileDialog *)> Inspect = {})
{
    auto *timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [=] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || (!Sentinel.isEmpty() && !ShownNames(dialog).contains(Sentinel)))
            return;
        timer->stop();
        timer->deleteLater();
        if (Inspect)
            Inspect(dialog);
        if (Typed.isEmpty()) {
            dialog->reject();
            return;
        }
        // Yes to the question whether to replace an existing file, which
        // comes while the Enter below is handled.
        auto *confirm = new QTimer;
        confirm->setInterval(5);
        QObject::connect(confirm, &QTimer::timeout, [=] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                box->button(QMessageBox::Yes)->click();
            else if (!qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
                confirm->stop();
                confirm->deleteLater();
            }
        });
        confirm->start();
        // The whole text at once, as pasted: typed key by key, the completer's
        // list would take the Enter.
        // The name field has the focus, as when the dialog comes up.
        auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QApplication::setActiveWindow(dialog);
        edit->setFocus();
        edit->setText(Typed);
        QTest::keyClick(edit, Qt::Key_Return);
    });
    timer->start();
}

// Whether the thread Tid of this process sleeps right now in an open() of a
// path that ends with Name.
inline bool SleepsInOpen(pid_t Tid, const std::string &Name)
{
    std::ifstream in("/proc/self/task/" + std::to_string(Tid) + "/syscall");
    std::string call, arg0, arg1;
    in >> call >> arg0 >> arg1; // "running", or the call's number and arguments
    std::string arg;
    if (call == std::to_string(SYS_openat))
        arg = arg1;
    else if (call == std::to_string(SYS_open))
        arg = arg0;
    else
        return false;
    // The path is in this process's memory, and stays while the call sleeps.
    const auto *path = reinterpret_cast<const char *>(std::stoull(arg, nullptr, 16));
    const std::string text = path ? path : "";
    return text.size() >= Name.size() && text.compare(text.size() - Name.size(), Name.size(), Name) == 0;
}

// Runs Op, which may open the named pipes Fifos that nobody reads or writes.
// True when an open waited at one of them for the other end; that end then
// comes and goes, so that Op does not wait for ever.
inline bool WaitsOnPipe(const std::vector<std::string> &Fifos, const std::function<void()> &Op)
{
    std::atomic<bool> done{false};
    std::atomic<bool> waited{false};
    const pid_t tid = static_cast<pid_t>(::syscall(SYS_gettid));
    std::thread watcher([&] {
        while (!done) {
            for (const std::string &fifo : Fifos) {
                if (!SleepsInOpen(tid, fifo.substr(fifo.rfind('/') + 1)))
                    continue;
                waited = true;
                for (const int mode : {O_RDONLY, O_WRONLY}) {
                    const int fd = ::open(fifo.c_str(), mode | O_NONBLOCK | O_CLOEXEC);
                    if (fd >= 0)
                        ::close(fd);
                }
            }
            std::this_thread::yield();
        }
    });
    try {
        Op();
    } catch (...) {
        done = true;
        watcher.join();
        throw;
    }
    done = true;
    watcher.join();
    return waited;
}

inline bool WaitsOnPipe(const std::string &Fifo, const std::function<void()> &Op)
{
    return WaitsOnPipe(std::vector<std::string>{Fifo}, Op);
}
