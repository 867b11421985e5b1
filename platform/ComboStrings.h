#pragma once
// The items of a combo box seen as a string list; the object of an item is its
// item data, so handlers read the selected item's object, never its text.
#include "platform/StringList.h"

class QComboBox;

class TComboStrings : public TStrings {
public:
    explicit TComboStrings(QComboBox *combo) : Combo(combo) {}
    void Clear() override;
    int AddObject(const std::string &text, std::intptr_t object) override;
    int Count() const override;
    std::string Strings(int index) const override;
    std::intptr_t Objects(int index) const override;

private:
    QComboBox *Combo;
};

// The object of the selected item; -1 when nothing is selected.
std::intptr_t SelectedObject(const QComboBox *combo);
