#pragma once
// The framework's string lists: texts with an attached object (here an integer,
// which is all the system stores there: kind and profile indexes).
#include <cstdint>
#include <string>
#include <vector>

class TStrings {
public:
    virtual ~TStrings() = default;
    virtual void Clear() = 0;
    virtual int AddObject(const std::string &text, std::intptr_t object) = 0;
    virtual int Count() const = 0;
    virtual std::string Strings(int index) const = 0;
    virtual std::intptr_t Objects(int index) const = 0;
    int Add(const std::string &text) { return AddObject(text, 0); }
    // Position of the first item carrying the object, -1 when none does.
    int IndexOfObject(std::intptr_t object) const;
};

class TStringList : public TStrings {
public:
    void Clear() override { Items.clear(); }
    int AddObject(const std::string &text, std::intptr_t object) override;
    int Count() const override { return static_cast<int>(Items.size()); }
    std::string Strings(int index) const override { return Items.at(static_cast<size_t>(index)).Text; }
    std::intptr_t Objects(int index) const override { return Items.at(static_cast<size_t>(index)).Object; }

private:
    struct TItem {
        std::string Text;
        std::intptr_t Object;
    };
    std::vector<TItem> Items;
};
