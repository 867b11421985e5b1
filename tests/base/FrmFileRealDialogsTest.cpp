// The document form with the toolkit's own file dialogs, answered as a user
// would; message boxes come from the scripted double.
#include "base/VrnFrmFile.h"
#include "platform/Exceptions.h"
#include "platform/SystemText.h"

#include "tests/common/ScriptedDialogs.h"
#include "tests/common/TestFiles.h"
#include "tests/common/RealFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A document of one text; its save fails while FailSave is set.
class TFrmTextDoc : public TFrmFile {
public:
    std::string Doc = "text";
    bool FailSave = false;

    void NewDocument() override { Doc.clear(); }
    void LoadFromFile(const std::string &Name) override { Doc = FileText(Name); }
    void SaveToFile(const std::string &Name) override
    {
        if (FailSave)
            throw Exception("Disk full");
        SetFileText(Name, Doc);
    }
};

} // namespace

// After a Save As that failed, the document keeps its name and the dialogs
// start in the folder where a file was really saved, not in the failed one.
TEST(FrmFileRealDialogs, AFailedSaveAsChangesNeitherNameNorStartFolder)
{
    TRealFileDialogs dialogs;
    QTemporaryDir good, failed;
    auto form = TFrmFile::Create<TFrmTextDoc>();
    form->Params.clear();
    form->show();
    QCoreApplication::processEvents();

    form->DlgSave.InitialDir = FileNameFromQ(good.path());
    AnswerFileDialog(QStringLiteral("a.doc"));
    form->Doc = "first";
    form->SetModified(true);
    form->ActSave->trigger();
    const std::string saved = FileNameFromQ(good.filePath("a.doc"));
    ASSERT_EQ(form->FileName, saved);

    form->FailSave = true;
    form->SetModified(true);
    AnswerFileDialog(failed.filePath("b.doc"));
    form->ActSaveAs->trigger();
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(dialogs.Messages[0].Text, "Disk full.");
    EXPECT_EQ(form->FileName, saved);
    EXPECT_TRUE(form->Modified);
    EXPECT_EQ(FromQ(form->windowTitle()).find(FileNameFromQ(failed.path())), std::string::npos);
    EXPECT_EQ(form->Mru.Strings(0), saved);

    form->FailSave = false;
    form->Doc = "second";
    form->ActSave->trigger(); // to the name it kept
    EXPECT_EQ(FileText(saved), "second");
    EXPECT_FALSE(QFileInfo::exists(failed.filePath("b.doc")));

    for (QAction *command : {form->ActSaveAs, form->ActOpen}) {
        QString start;
        AnswerFileDialog(QString(), QString(), [&](QFileDialog *d) { start = d->directory().absolutePath(); });
        command->trigger();
        EXPECT_EQ(start, good.path()) << command->objectName().toStdString();
    }
}
