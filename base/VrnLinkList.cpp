#include "base/VrnLinkList.h"

TLinkList::~TLinkList()
{
    Clear();
}

TListNode *TLinkList::GetItem(int Index) const
{
    if (Index < 0)
        return nullptr;
    TListNode *node = First;
    for (int i = 0; node && i < Index; ++i)
        node = node->Next;
    return node;
}

int TLinkList::IndexOf(const TListNode *Node) const
{
    if (!Node)
        return -1;
    if (Node == Last)
        return Count - 1;
    if (HintNode && Node->Owner == this) {
        if (Node == HintNode)
            return HintIndex;
        if (Node == HintNode->Next) {
            HintNode = Node;
            return ++HintIndex;
        }
    }
    int i = 0;
    for (const TListNode *node = First; node; node = node->Next, ++i)
        if (node == Node) {
            HintNode = node;
            HintIndex = i;
            return i;
        }
    return -1;
}

void TLinkList::InsertAfter(TListNode *After, TListNode *Node)
{
    if (!Node)
        return;
    if (!After) {
        Node->Next = First;
        Node->Prev = nullptr;
        First = Node;
    } else {
        Node->Next = After->Next;
        Node->Prev = After;
        After->Next = Node;
    }
    if (!Node->Next)
        Last = Node;
    else
        Node->Next->Prev = Node;
    Node->Owner = this;
    ++Count;
    HintNode = nullptr;
}

void TLinkList::Remove(TListNode *Node)
{
    if (!Node)
        return;
    if (Node == First)
        First = Node->Next;
    else
        Node->Prev->Next = Node->Next;
    if (Node == Last)
        Last = Node->Prev;
    else
        Node->Next->Prev = Node->Prev;
    Node->Next = nullptr;
    Node->Prev = nullptr;
    Node->Owner = nullptr;
    --Count;
    HintNode = nullptr;
}

void TLinkList::Delete(TListNode *Node)
{
    if (!Node)
        return;
    Remove(Node);
    delete Node;
}

void TLinkList::Clear()
{
    // A nested list frees its own nodes in its destructor: a tree goes depth-first.
    TListNode *node = First;
    while (node) {
        TListNode *next = node->Next;
        delete node;
        node = next;
    }
    Count = 0;
    First = nullptr;
    Last = nullptr;
    HintNode = nullptr;
}

bool TLinkList::NextNode(TListNode *&Cursor) const
{
    if (Cursor == Last)
        return false;
    if (!First)
        return false;
    Cursor = Cursor ? Cursor->Next : First;
    return true;
}

int TLinkList::Compare(TListNode *, TListNode *)
{
    return 0;
}
