#include "tests/common/StringLists.h"

std::vector<std::string> Items(const TStrings &list)
{
    std::vector<std::string> v;
    for (int i = 0; i < list.Count(); ++i)
        v.push_back(list.Strings(i));
    return v;
}

TStringList ListOf(std::initializer_list<std::string> items)
{
    TStringList list;
    for (const std::string &s : items)
        list.Add(s);
    return list;
}
