#include "platform/ComboStrings.h"
#include "platform/SystemText.h"

#include <QComboBox>

void TComboStrings::Clear()
{
    Combo->clear();
}

int TComboStrings::AddObject(const std::string &text, std::intptr_t object)
{
    Combo->addItem(ToQ(text), QVariant::fromValue<qlonglong>(object));
    return Combo->count() - 1;
}

int TComboStrings::Count() const
{
    return Combo->count();
}

std::string TComboStrings::Strings(int index) const
{
    return FromQ(Combo->itemText(index));
}

std::intptr_t TComboStrings::Objects(int index) const
{
    return static_cast<std::intptr_t>(Combo->itemData(index).toLongLong());
}

std::intptr_t SelectedObject(const QComboBox *combo)
{
    const int index = combo->currentIndex();
    if (index < 0)
        return -1;
    return static_cast<std::intptr_t>(combo->itemData(index).toLongLong());
}
