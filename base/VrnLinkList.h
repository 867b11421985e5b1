#pragma once
// An intrusive doubly linked list whose list is itself a node, so lists nest
// into trees. The links live in the nodes; a list owns the nodes linked to it.
#include <cstdint>

class TLinkList;

class TListNode {
public:
    TListNode() = default;
    virtual ~TListNode() = default;
    TListNode(const TListNode &) = delete;
    TListNode &operator=(const TListNode &) = delete;

    TListNode *Next = nullptr;
    TListNode *Prev = nullptr;
    TLinkList *Owner = nullptr;
};

class TLinkList : public TListNode {
public:
    TLinkList() = default;
    // Frees the linked nodes; does not unlink the list from its own owner.
    ~TLinkList() override;

    bool IsEmpty() const { return First == nullptr; }
    TListNode *GetItem(int Index) const;
    int IndexOf(const TListNode *Node) const;
    void Add(TListNode *Node) { InsertAfter(Last, Node); }
    // Links Node after After; a null After means at the head.
    void InsertAfter(TListNode *After, TListNode *Node);
    // Unlinks Node without freeing it.
    void Remove(TListNode *Node);
    // Unlinks and frees Node.
    void Delete(TListNode *Node);
    void Clear();
    void StartIteration(TListNode *&Cursor) const { Cursor = nullptr; }
    bool NextNode(TListNode *&Cursor) const;
    // Typed form of the iteration for lists whose nodes share one class.
    template <class T>
    bool NextNode(T *&Cursor) const
    {
        TListNode *c = Cursor;
        const bool more = NextNode(c);
        Cursor = static_cast<T *>(c);
        return more;
    }
    virtual int Compare(TListNode *Node1, TListNode *Node2);

    TListNode *First = nullptr;
    TListNode *Last = nullptr;
    std::int32_t Count = 0;

private:
    // The node IndexOf found last and its position: asking for the nodes in
    // order (captions numbered by position) then costs no walk from the head.
    mutable const TListNode *HintNode = nullptr;
    mutable int HintIndex = 0;
};
