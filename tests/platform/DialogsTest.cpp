// The file dialogs as users meet them: the toolkit's own dialog, answered
// as a user would (see tests/common/RealFiles.h).
#include "platform/Dialogs.h"
#include "platform/SystemText.h"

#include "tests/common/TestFiles.h"
#include "tests/common/RealFiles.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QMessageBox>
#include <QTimer>
#include <QDir>
#include <QFileSystemModel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/inotify.h>

#include <climits>

namespace {

std::string Path(const QTemporaryDir &Dir, const char *Name)
{
    return FileNameFromQ(Dir.filePath(QString::fromLatin1(Name)));
}

} // namespace

// Always the toolkit's own dialog: a desktop's native one matches masks in
// their letter case only and chooses its icons in its own way.
TEST(FileDialog, TheMaskShowsEveryLetterCase)
{
    QTemporaryDir dir;
    for (const char *name : {"a.Arv", "b.arv", "C.ARV", "d.txt", "e.Arvx"})
        SetFileText(Path(dir, name), "x");
    TFileDialogRequest request{"", "Arvilos|*.Arv", "Arv", FileNameFromQ(dir.path()), ""};
    QStringList shown;
    bool own = false;
    AnswerFileDialog(QStringLiteral("proj1"), QStringLiteral("a.Arv"), [&](QFileDialog *d) {
        shown = ShownNames(d);
        own = d->testOption(QFileDialog::DontUseNativeDialog);
    });
    ASSERT_TRUE(TQtDialogs().SaveFile(nullptr, request));
    shown.sort(Qt::CaseInsensitive);
    EXPECT_EQ(shown, (QStringList{"a.Arv", "b.arv", "C.ARV"}));
    EXPECT_TRUE(own);
    EXPECT_EQ(request.FileName, Path(dir, "proj1.Arv"));
}

// Choosing icons and type names reads no file: some files (the kernel log in
// /proc) never end a read, and the dialog would hang with them.
TEST(FileDialog, ListingReadsNoFile)
{
    QTemporaryDir dir;
    SetFileText(Path(dir, "noext"), "#!/bin/sh\necho hello\n");
    SetFileText(Path(dir, "data.bin"), std::string(100, '\x01'));
    SetFileText(Path(dir, "x.Arv"), "project");
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, dir.path().toLocal8Bit().constData(), IN_OPEN | IN_ACCESS), 0);

    TFileDialogRequest request{"", "All|*", "", FileNameFromQ(dir.path()), ""};
    QStringList shown;
    AnswerFileDialog(QString(), QStringLiteral("x.Arv"), [&](QFileDialog *d) {
        shown = ShownNames(d);
        // Everything a view may ask for, as painting does.
        auto *model = d->findChild<QFileSystemModel *>();
        ASSERT_NE(model, nullptr);
        const QModelIndex root = model->index(dir.path());
        for (int row = 0; row < model->rowCount(root); ++row)
            for (int column = 0; column < model->columnCount(root); ++column) {
                model->data(model->index(row, column, root), Qt::DisplayRole);
                model->data(model->index(row, column, root), Qt::DecorationRole);
            }
        d->grab();
    });
    EXPECT_FALSE(TQtDialogs().OpenFile(nullptr, request));
    EXPECT_EQ(shown.size(), 4);

    QStringList opened;
    alignas(inotify_event) char buffer[16 * (sizeof(inotify_event) + NAME_MAX + 1)];
    for (ssize_t n; (n = read(watch, buffer, sizeof buffer)) > 0;)
        for (char *p = buffer; p < buffer + n;) {
            const auto *event = reinterpret_cast<const inotify_event *>(p);
            if (event->len > 0 && !(event->mask & IN_ISDIR))
                opened << QString::fromLocal8Bit(event->name);
            p += sizeof(inotify_event) + event->len;
        }
    close(watch);
    opened.removeDuplicates();
    EXPECT_TRUE(opened.isEmpty()) << opened.join(' ').toStdString();
}

// The dialog starts in the folder asked for, or in the home folder where that
// is no folder: never in the folder the toolkit saw last.
TEST(FileDialog, StartsInTheFolderAskedFor)
{
    QTemporaryDir first, second;
    TFileDialogRequest request{"", "All|*", "", FileNameFromQ(first.path()), ""};
    QString start;
    const auto seeStart = [&](QFileDialog *d) { start = d->directory().absolutePath(); };
    AnswerFileDialog(QStringLiteral("a.txt"), QString(), seeStart);
    ASSERT_TRUE(TQtDialogs().SaveFile(nullptr, request));
    EXPECT_EQ(start, first.path());
    EXPECT_EQ(request.FileName, Path(first, "a.txt"));

    // A name from another folder is proposed in the folder asked for.
    request.InitialDir = FileNameFromQ(second.path());
    AnswerFileDialog(QString(), QString(), seeStart);
    EXPECT_FALSE(TQtDialogs().SaveFile(nullptr, request));
    EXPECT_EQ(start, second.path());

    for (const std::string &gone : {std::string(), Path(first, "missing"), Path(first, "a.txt")}) {
        request.InitialDir = gone;
        AnswerFileDialog(QString(), QString(), seeStart);
        EXPECT_FALSE(TQtDialogs().OpenFile(nullptr, request));
        EXPECT_EQ(start, QDir::homePath()) << gone;
    }
}

TEST(MessageBox, ShowsItsTextAsPlainText)
{
    // File names and titles may look like markup; the box shows them as they are.
    const std::string text = "File \"<b>x</b>&amp;.arv\" not found.";
    QString shown;
    Qt::TextFormat format = Qt::RichText;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        format = box->textFormat();
        if (auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))) {
            format = label->textFormat();
            shown = label->text();
        }
        box->done(QMessageBox::Ok);
    });
    SetDialogs(nullptr);
    EXPECT_EQ(Dialogs().MessageDlg(nullptr, "Arvilo", text, mtError, mbOK), mrOk);
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(shown.toStdString(), text);
}

// The toolkit's own texts (standard buttons, the file dialog) follow the
// desktop's language; the system's own texts stay as written. An English
// desktop sees English, as before.
TEST(ToolkitTexts, FollowTheDesktopsLanguage)
{
    const QLocale::Language language = QLocale::system().language();
    const bool german = language == QLocale::German;
    if (!german && language != QLocale::English && language != QLocale::C)
        GTEST_SKIP() << "written for a German or an English desktop";
    const std::string question = "M\xF6" "chten Sie wirklich l\xF6schen \"Var1 default\"";
    QStringList buttons;
    QString shown;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        for (const QMessageBox::StandardButton b : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
            buttons << box->button(b)->text();
        if (auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label")))
            shown = label->text();
        box->done(QMessageBox::No);
    });
    SetDialogs(nullptr);
    EXPECT_EQ(Dialogs().MessageDlg(nullptr, "Arvilo", question, mtConfirmation, mbYes | mbNo | mbCancel), mrNo);
    EXPECT_EQ(buttons, german ? QStringList({"&Ja", "&Nein", "Abbrechen"}) : QStringList({"&Yes", "&No", "Cancel"}));
    EXPECT_EQ(shown, ToQ(question));

    QTemporaryDir dir;
    TFileDialogRequest request{"Speichern unter", "Arvilos|*.Arv", "Arv", FileNameFromQ(dir.path()), ""};
    QStringList texts;
    AnswerFileDialog(QString(), QString(), [&](QFileDialog *d) {
        for (const char *name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"})
            if (auto *label = d->findChild<QLabel *>(QString::fromLatin1(name)))
                texts << label->text();
        if (auto *box = d->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox")))
            for (const QDialogButtonBox::StandardButton b : {QDialogButtonBox::Save, QDialogButtonBox::Cancel})
                if (QPushButton *button = box->button(b))
                    texts << button->text();
        texts << d->windowTitle();
    });
    EXPECT_FALSE(TQtDialogs().SaveFile(nullptr, request));
    EXPECT_EQ(texts, german ? QStringList({"Suchen in:", "Datei&name:", "Dateien des Typs:", "S&peichern", "Abbrechen",
                                           "Speichern unter"})
                            : QStringList({"Look in:", "File &name:", "Files of type:", "&Save", "Cancel", "Speichern unter"}));
}
