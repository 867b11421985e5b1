#include "platform/IniFile.h"

#include "platform/FileReplacement.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "tests/common/TestFiles.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

TEST(IniFile, ReadsValuesWithoutQuotesAndBlanksIgnoringCase)
{
    QTemporaryDir dir;
    const std::string name = dir.filePath("a.ini").toStdString();
    SetFileText(name, "[Main]\r\n"
                      "  Plain =  some text  \r\n"
                      "Single=' padded '\n"
                      "Double=\"x\"\n"
                      "Mixed='x\"\n"
                      "Empty=\n"
                      "Hex=0x1F\n"
                      "Dollar=$1f\n"
                      "Neg=-12\n"
                      "Bad=12abc\n"
                      "[other]\n"
                      "k=v\n");
    TIniFile ini(name);
    EXPECT_EQ(ini.ReadString("main", "PLAIN", "d"), "some text");
    EXPECT_EQ(ini.ReadString("Main", "Single", "d"), " padded ");
    EXPECT_EQ(ini.ReadString("Main", "Double", "d"), "x");
    EXPECT_EQ(ini.ReadString("Main", "Mixed", "d"), "'x\""); // quotes that do not match stay
    EXPECT_EQ(ini.ReadRawString("Main", "Single", "d"), "' padded '");
    EXPECT_EQ(ini.ReadString("Main", "Empty", "d"), "");
    EXPECT_EQ(ini.ReadString("Main", "Missing", "d"), "d");
    EXPECT_EQ(ini.ReadString("Nowhere", "Plain", "d"), "d");
    EXPECT_EQ(ini.ReadInteger("Main", "Hex", 0), 31);
    EXPECT_EQ(ini.ReadInteger("Main", "Dollar", 0), 31);
    EXPECT_EQ(ini.ReadInteger("Main", "Neg", 0), -12);
    EXPECT_EQ(ini.ReadInteger("Main", "Bad", 7), 7);
    EXPECT_EQ(ini.ReadInteger("Main", "Missing", 7), 7);
}

// Names written by hand in the other letter case of the code page's letters
// beyond Latin-1 (\x8A/\x9A, \x8C/\x9C, \x8E/\x9E, \x9F/\xFF) are the
// same section and entry; the signs 0x10 apart stay different names.
TEST(IniFile, NamesMatchInEitherCaseOfTheCodePagesLetters)
{
    QTemporaryDir dir;
    const std::string name = dir.filePath("c.ini").toStdString();
    SetFileText(name, "[\x8A" "koda]\r\n"
                      "\x8C" "uvre=1\r\n"
                      "\x8E" "ivot=2\r\n"
                      "\x9F" "=3\r\n"
                      "\x82=4\r\n");
    TIniFile ini(name);
    EXPECT_EQ(ini.ReadString("\x9A" "KODA", "\x9C" "UVRE", "d"), "1");
    EXPECT_EQ(ini.ReadString("\x9A" "koda", "\x9E" "ivot", "d"), "2");
    EXPECT_EQ(ini.ReadString("\x9A" "koda", "\xFF", "d"), "3");
    EXPECT_EQ(ini.ReadString("\x9A" "koda", "\x92", "d"), "d") << "\x82 and \x92 are quotation marks";
    ini.WriteString("\x9A" "koda", "\x9C" "uvre", "5");
    EXPECT_EQ(FileText(name), "[\x8A" "koda]\n\x8C" "uvre=5\n\x8E" "ivot=2\n\x9F=3\n\x82=4\n");
}

TEST(IniFile, EachWriteIsInTheFileWhenItReturns)
{
    QTemporaryDir dir;
    const std::string name = dir.filePath("w.ini").toStdString();
    TIniFile ini(name);
    EXPECT_EQ(ini.ReadString("S", "a", "none"), "none");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(name))); // reading creates nothing
    ini.WriteString("S", "a", "1");
    EXPECT_EQ(FileText(name), "[S]\na=1\n");
    ini.WriteInteger("T", "b", -5);
    ini.WriteString("s", "A", "2"); // replaces the entry, keeping its spelling
    EXPECT_EQ(FileText(name), "[S]\na=2\n\n[T]\nb=-5\n");
    ini.DeleteKey("S", "A");
    ini.DeleteKey("S", "missing");
    EXPECT_EQ(FileText(name), "[S]\n\n[T]\nb=-5\n");

    // Another writer's change is seen on the next access.
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    SetFileText(name, "[T]\nb=9\nc=3\n");
    EXPECT_EQ(ini.ReadInteger("T", "b", 0), 9);
    ini.WriteString("T", "d", "4");
    EXPECT_EQ(FileText(name), "[T]\nb=9\nc=3\nd=4\n");
}

TEST(IniFile, LineBreaksCannotGetIntoTheFile)
{
    QTemporaryDir dir;
    const std::string name = dir.filePath("b.ini").toStdString();
    TIniFile ini(name);
    ini.WriteString("S", "a", "1");
    const std::string before = FileText(name);
    EXPECT_THROW(ini.WriteString("S", "b", "x\n[Other]\ninjected=1"), EIniValueError);
    EXPECT_THROW(ini.WriteString("S", "b", "x\ry"), EIniValueError);
    EXPECT_THROW(ini.WriteString("S", "a", "\r\n"), EIniValueError);
    EXPECT_THROW(ini.WriteString("S\n[T]", "b", "x"), EIniValueError);
    EXPECT_THROW(ini.WriteString("S", "b\nc", "x"), EIniValueError);
    EXPECT_THROW(ini.WriteString("S", "b=c", "x"), EIniValueError);
    EXPECT_THROW(ini.WriteString("S", " ;b", "x"), EIniValueError);
    EXPECT_EQ(FileText(name), before);
    EXPECT_EQ(ini.ReadString("S", "a", "d"), "1");
    EXPECT_EQ(ini.ReadString("Other", "injected", "d"), "d");

    // Everything else is stored as it is.
    ini.WriteString("S", "b", " 'x=y' ;\t\x01\xFF ");
    EXPECT_EQ(FileText(name), "[S]\na=1\nb= 'x=y' ;\t\x01\xFF \n");
}

TEST(IniFile, DamagedFilesReadAsFarAsTheyGoAndKeepTheirLines)
{
    QTemporaryDir dir;
    const std::string name = dir.filePath("d.ini").toStdString();
    std::string garbage("\x00\x01\xFF\xFE[\x80\n", 7);
    SetFileText(name, garbage + "no equals sign\n[S]\nline without\nk = v\n=nameless\n");
    TIniFile ini(name);
    EXPECT_EQ(ini.ReadString("S", "k", "d"), "v");
    EXPECT_EQ(ini.ReadString("S", "line without", "d"), "d");
    ini.WriteString("S", "n", "1");
    // Lines that are no entries stay where they were.
    EXPECT_EQ(FileText(name), garbage + "no equals sign\n\n[S]\nline without\nk= v\n=nameless\nn=1\n");

    // A file far beyond any settings file reads as empty and is replaced on write.
    SetFileText(name, "[S]\nk=v\n" + std::string(TIniFile::MaxFileSize, 'x'));
    TIniFile big(name);
    EXPECT_EQ(big.ReadString("S", "k", "d"), "d");
    big.WriteString("S", "k", "w");
    EXPECT_EQ(FileText(name), "[S]\nk=w\n");

    // A directory in place of the file reads as empty.
    TIniFile onDir(dir.path().toStdString());
    EXPECT_EQ(onDir.ReadString("S", "k", "d"), "d");
}

// A child process writes its settings again and again and is killed at random
// moments: the file is always the old or the new version, complete, and once
// the next write has run nothing else remains in the folder. With unnamed new
// files and without them (as on file systems that have none).
TEST(IniFile, AKilledWriteLeavesTheOldOrTheNewFileAndNoDebris)
{
    QTemporaryDir dir;
    const std::string name = dir.filePath("s.ini").toStdString();
    const std::string values[2] = {std::string(300, 'a'), std::string(200, 'b')};
    std::string versions[2];
    TIniFile ini(name);
    for (int k = 0; k < 100; ++k)
        ini.WriteString("Other", "k" + std::to_string(k), std::string(100, 'x'));
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 2; ++i) {
        ini.WriteString("S", "v", values[i]);
        versions[i] = FileText(name);
    }
    const auto writeTime = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start) / 2;

    std::mt19937 random(4711);
    std::uniform_int_distribution<long long> delay(0, 3 * writeTime.count());
    // Unnamed files again for the tests that follow, also when one fails here.
    struct TRestore {
        ~TRestore() { TFileReplacement::UseUnnamedFiles = true; }
    } restore;
    for (const bool unnamed : {true, false}) {
        TFileReplacement::UseUnnamedFiles = unnamed;
        for (int kill = 0; kill < 60; ++kill) {
            int ready[2];
            ASSERT_EQ(::pipe(ready), 0);
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                try {
                    TIniFile writer(name);
                    for (int i = 1;; i ^= 1) {
                        writer.WriteString("S", "v", values[i]);
                        if (i == 1 && ready[1] >= 0) {
                            (void)!::write(ready[1], "", 1);
                            ::close(ready[1]);
                            ready[1] = -1;
                        }
                    }
                } catch (...) {
                }
                std::_Exit(1);
            }
            // Anywhere in the writes that follow the first one.
            ::close(ready[1]);
            char byte = 0;
            (void)!::read(ready[0], &byte, 1);
            ::close(ready[0]);
            ::usleep(static_cast<useconds_t>(delay(random)));
            ::kill(child, SIGKILL);
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFSIGNALED(status)) << "the writer failed";

            const std::string now = FileText(name);
            ASSERT_TRUE(now == versions[0] || now == versions[1]) << "kill " << kill << ": " << now.size() << " bytes";
            ini.WriteString("S", "v", values[0]);
            const QStringList entries = FolderEntries(dir.path());
            ASSERT_EQ(entries, QStringList{"s.ini"}) << "kill " << kill << (unnamed ? "" : " without unnamed files") << ": "
                                                     << entries.join(", ").toStdString();
        }
    }
}
