#include "platform/StringList.h"

int TStrings::IndexOfObject(std::intptr_t object) const
{
    for (int i = 0; i < Count(); ++i)
        if (Objects(i) == object)
            return i;
    return -1;
}

int TStringList::AddObject(const std::string &text, std::intptr_t object)
{
    Items.push_back({text, object});
    return Count() - 1;
}
