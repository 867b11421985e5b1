#pragma once
// Path helpers: the base name of a file, a path in the letter case its
// components have on disk, and the directory of the running executable.
// Paths are the file system's own bytes with '/' as separator.
#include <string>

// The file-name part of Path (after the last '/') without its last extension;
// a name without '.' comes back whole.
std::string ExtractFileBaseName(const std::string &Path);

// Path with each component of 3 or more characters in the letter case of the
// directory entry that it names; see the .cpp for the rules. Never raises: on
// an error it returns Path unchanged.
std::string ExpandPathCase(const std::string &Path);

// The directory of the running executable with a trailing '/', set before
// main starts.
extern std::string AppDir;
