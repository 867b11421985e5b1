#pragma once
// String lists in and out of tests.
#include "platform/StringList.h"

#include <initializer_list>
#include <string>
#include <vector>

std::vector<std::string> Items(const TStrings &list);
TStringList ListOf(std::initializer_list<std::string> items);
