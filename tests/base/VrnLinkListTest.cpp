#include "base/VrnLinkList.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A node that records its own end, to see what a list frees.
struct TTracked : TListNode {
    explicit TTracked(std::vector<int> *freed, int id) : Freed(freed), Id(id) {}
    ~TTracked() override { Freed->push_back(Id); }
    std::vector<int> *Freed;
    int Id;
};

struct TTrackedList : TLinkList {
    explicit TTrackedList(std::vector<int> *freed, int id) : Freed(freed), Id(id) {}
    ~TTrackedList() override
    {
        Clear();
        Freed->push_back(Id);
    }
    std::vector<int> *Freed;
    int Id;
};

std::vector<TListNode *> Walk(const TLinkList &list)
{
    std::vector<TListNode *> seen;
    TListNode *c;
    list.StartIteration(c);
    while (list.NextNode(c))
        seen.push_back(c);
    return seen;
}

} // namespace

TEST(LinkList, EmptyList)
{
    TLinkList list;
    TListNode other;
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.Count, 0);
    EXPECT_EQ(list.GetItem(0), nullptr);
    EXPECT_EQ(list.IndexOf(&other), -1);
    EXPECT_EQ(list.IndexOf(nullptr), -1);
    EXPECT_TRUE(Walk(list).empty());
    EXPECT_EQ(list.Compare(&other, &other), 0);
}

TEST(LinkList, AddInsertRemove)
{
    TLinkList list;
    auto *a = new TListNode, *b = new TListNode, *c = new TListNode;
    list.Add(a);
    list.Add(b);
    list.Add(c);
    EXPECT_EQ(list.First, a);
    EXPECT_EQ(list.Last, c);
    EXPECT_EQ(list.Count, 3);
    EXPECT_EQ(list.GetItem(1), b);
    EXPECT_EQ(list.GetItem(3), nullptr);
    EXPECT_EQ(list.GetItem(-1), nullptr);
    EXPECT_EQ(list.IndexOf(c), 2);

    auto *d = new TListNode;
    list.InsertAfter(nullptr, d);
    EXPECT_EQ(list.First, d);
    EXPECT_EQ(d->Prev, nullptr);
    EXPECT_EQ(d->Next, a);
    EXPECT_EQ(a->Prev, d);
    EXPECT_EQ(list.Count, 4);

    auto *e = new TListNode;
    list.InsertAfter(c, e);
    EXPECT_EQ(list.Last, e);
    EXPECT_EQ(e->Owner, &list);
    EXPECT_EQ(Walk(list), (std::vector<TListNode *>{d, a, b, c, e}));

    // Walking backwards retraces the chain.
    std::vector<TListNode *> back;
    for (TListNode *n = list.Last; n; n = n->Prev)
        back.push_back(n);
    EXPECT_EQ(back, (std::vector<TListNode *>{e, c, b, a, d}));

    list.Remove(b);
    EXPECT_EQ(a->Next, c);
    EXPECT_EQ(c->Prev, a);
    EXPECT_EQ(b->Owner, nullptr);
    delete b;

    list.Remove(nullptr);
    list.Delete(nullptr);
    list.InsertAfter(a, nullptr);
    EXPECT_EQ(list.Count, 4);
}

TEST(LinkList, RemovedNodeMovesToAnotherList)
{
    TLinkList one, two;
    auto *n = new TListNode;
    one.Add(n);
    one.Remove(n);
    EXPECT_EQ(one.First, nullptr);
    EXPECT_EQ(one.Last, nullptr);
    EXPECT_EQ(one.Count, 0);
    EXPECT_EQ(n->Next, nullptr);
    EXPECT_EQ(n->Prev, nullptr);
    EXPECT_EQ(n->Owner, nullptr);
    two.Add(n);
    EXPECT_EQ(n->Owner, &two);
    EXPECT_EQ(two.Count, 1);
}

TEST(LinkList, IterationStopsAtTheTail)
{
    TLinkList list;
    list.Add(new TListNode);
    TListNode *c;
    list.StartIteration(c);
    EXPECT_TRUE(list.NextNode(c));
    EXPECT_FALSE(list.NextNode(c));
    EXPECT_FALSE(list.NextNode(c));
    EXPECT_EQ(c, list.Last);
}

TEST(LinkList, ListsOwnTheirNodesDepthFirst)
{
    std::vector<int> freed;
    {
        TTrackedList root(&freed, 0);
        auto *inner = new TTrackedList(&freed, 1);
        inner->Add(new TTracked(&freed, 2));
        inner->Add(new TTracked(&freed, 3));
        root.Add(inner);
        root.Add(new TTracked(&freed, 4));
        auto *gone = new TTracked(&freed, 5);
        root.Add(gone);
        root.Delete(gone);
        EXPECT_EQ(freed, std::vector<int>{5});
        EXPECT_EQ(root.Count, 2);
        // The parent's Delete of a nested list unlinks it first, then frees it.
        auto *nested = new TTrackedList(&freed, 6);
        root.Add(nested);
        root.Delete(nested);
        EXPECT_EQ(root.Last->Next, nullptr);
        EXPECT_EQ(root.Count, 2);
    }
    EXPECT_EQ(freed, (std::vector<int>{5, 6, 2, 3, 1, 4, 0}));
}
