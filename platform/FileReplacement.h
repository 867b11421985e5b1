#pragma once
// A new version of a file, written beside it and put in its place in one
// step, so that the file is at every moment either the old or the new
// complete version, whatever happens to the process on the way.
//
// The name may be a symbolic link: the file it refers to is replaced, in that
// file's folder, and the link stays. The new file takes over the permission
// bits of the old one and, where the process may, its owner and group. A
// file with several hard links is replaced under the name given; its other
// names keep the old version (as with every replacement in one step: writing
// in place instead could leave a torn file behind).
//
// The new version is an unnamed file until it is complete; only for the
// moment of the final rename, or on file systems without unnamed files,
// does it carry a name of the form .<name>.<8 letters>.new~ beside the
// target. Such a file is locked while its save runs; every new replacement
// removes the unlocked ones that a killed save left in the folder.
#include "platform/Streams.h"

#include <string>

class TFileReplacement : public TFileStream {
public:
    // Raises EFOpenError when Target exists but may not be replaced (a
    // folder, pipe or device, a read-only file, a folder without write
    // permission) and EFCreateError when no new file can be made.
    explicit TFileReplacement(const std::string &Target);
    // Without Commit the new version is thrown away and Target stays as it was.
    ~TFileReplacement() override;
    TFileReplacement(const TFileReplacement &) = delete;
    TFileReplacement &operator=(const TFileReplacement &) = delete;

    // Puts the new version in the target's place; raises EWriteError when that
    // fails, leaving the target as it was. Once only.
    void Commit();
    // Throws the new version away now; the stream is closed.
    void Discard();

    // The file that is replaced: the given name with its links resolved.
    const std::string &Target() const { return Name; }

    // Tests turn unnamed files off to try the way of file systems without them.
    static bool UseUnnamedFiles;

private:
    void CreateFile(const struct stat *Old);
    void RemoveStaleFiles();
    std::string NewTempName() const;

    int DirFd = -1;
    std::string DirName;
    std::string Base;     // the target's name inside its folder
    std::string TempName; // the new version's name while it has one
    bool Committed = false;
};
