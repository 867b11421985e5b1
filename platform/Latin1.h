#pragma once
// The one conversion between the system's Latin-1 byte strings and Qt's texts.
#include <QString>
#include <string>

QString ToQ(const std::string &latin1);
std::string FromQ(const QString &text);
// File names keep the file system's own bytes.
QString FileNameToQ(const std::string &name);
std::string FileNameFromQ(const QString &name);
