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

// Whether the thread Tid sleeps in an open() right now.
inline bool SleepsInOpen(pid_t Tid)
{
    std::ifstream in("/proc/self/task/" + std::to_string(Tid) + "/syscall");
    std::string first;
    in >> first; // "running", or the number of the call it sleeps in
    return first == std::to_string(SYS_openat) || first == std::to_string(SYS_open);
}

// Runs Op, which may open the named pipe Fifo that nobody writes to. True
// when an open waited there for a writer; a writer then comes and goes, so
// that Op does not wait for ever.
inline bool WaitsOnPipe(const std::string &Fifo, const std::function<void()> &Op)
{
    std::atomic<bool> done{false};
    std::atomic<bool> waited{false};
    const pid_t tid = static_cast<pid_t>(::syscall(SYS_gettid));
    std::thread watcher([&] {
        while (!done) {
            // Only a reader that is there lets a writer open without waiting.
            if (SleepsInOpen(tid)) {
                const int fd = ::open(Fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0) {
                    waited = true;
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
