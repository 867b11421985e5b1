#pragma once
// Helpers for tests of saved project files: coding and decoding a container,
// and a full structural check of a container (every offset, size, counter and
// padding byte as a reader expects them). For suites that link the store.
#include "store/VrnStreamWrapper.h"
#include "tests/common/HuffCoding.h"
#include "tests/common/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace containertest {

// Block header field positions.
enum : std::size_t {
    bhID = 0, bhIDOwner = 51, bhIDRef = 102, bhLastCaption = 153, bhObjectversion = 174, bhClassKind = 187,
    bhClassName = 188, bhDataSize = 209, bhSpacer = 213, bhCount = 217, bhOffset = 221, bhNextBlock = 225,
    bhPrevBlock = 229, bhNextNode = 233, bhPrevNode = 237, bhMySize = 241, bhOffsetfooter = 245, bhIsLinked = 249
};

inline TBlockHeader HeaderAt(const TBytes &B, std::size_t At)
{
    TBlockHeader::TBytes raw{};
    std::copy_n(B.begin() + static_cast<long>(At), raw.size(), raw.begin());
    TBlockHeader h;
    h.Unpack(raw);
    return h;
}

// One block of a container, in file (pre-)order.
struct TBlock {
    TBlockHeader H;
    std::int32_t DataBegin = 0; // the node's own data: [DataBegin, DataEnd)
    std::int32_t DataEnd = 0;
    int Depth = 0;
};

class TContainerChecker {
public:
    explicit TContainerChecker(const TBytes &Bytes) : B(Bytes) {}

    ::testing::AssertionResult Run(std::vector<TBlock> &Blocks)
    {
        try {
            CheckStreamHeader();
            std::int32_t end = Walk(400, 0, "");
            if (end != I32(B, 326))
                Fail("the root block ends at " + std::to_string(end) + ", not at the stream footer");
            CheckChain();
            std::int32_t lists = 0;
            for (const TBlock &b : Out)
                lists += b.H.ClassKind == ckList;
            Expect(I32(B, 310) == lists, "NumberOfLists");
            Expect(I32(B, 314) == static_cast<std::int32_t>(Out.size()) - lists, "NumberOfNodes");
            Expect(I32(B, 318) == static_cast<std::int32_t>(Out.size()), "NumberOfBlocks");
        } catch (const std::exception &e) {
            Error += std::string("structure: ") + e.what() + "\n";
        }
        Blocks = Out;
        if (Error.empty())
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << Error;
    }

private:
    struct TFailure : std::exception {
        std::string What;
        explicit TFailure(std::string W) : What(std::move(W)) {}
        const char *what() const noexcept override { return What.c_str(); }
    };
    [[noreturn]] void Fail(const std::string &What) { throw TFailure(What); }
    void Expect(bool Ok, const std::string &What)
    {
        if (!Ok)
            Error += What + "\n";
    }
    // A short string: its length within capacity, zeros after the text.
    void ShortString(std::size_t At, std::size_t Capacity, const std::string &What)
    {
        Expect(B.at(At) <= Capacity, What + ": length byte beyond capacity");
        Expect(AllZero(B, At + 1 + B.at(At), Capacity - std::min<std::size_t>(B.at(At), Capacity)),
               What + ": bytes after the text are not zero");
    }

    void CheckStreamHeader()
    {
        if (B.size() < 420)
            Fail("shorter than a stream header and footer");
        const auto size = static_cast<std::int32_t>(B.size());
        Expect(std::string(B.begin(), B.begin() + 6) == "\x05" "0.0.1", "StreamVersion");
        Expect(std::string(B.begin() + 13, B.begin() + 19) == "\x05" "0.0.1", "CompDataListVersion");
        Expect(B[26] == 0, "ProjectVersion");
        for (std::size_t at : {0u, 13u, 26u})
            ShortString(at, 12, "stream header version");
        ShortString(48, 255, "stream header Name");
        Expect(I32(B, 39) == 0 && I32(B, 43) == 0, "memory sizes");
        Expect(B[47] == stFile, "StreamType");
        Expect(B[304] == 1 && B[305] == 1, "header and footer flags");
        Expect(I32(B, 306) == size, "stream DataSize");
        Expect(I32(B, 322) == 400, "stream MySize");
        Expect(I32(B, 326) == size - 20, "stream Offsetfooter");
        Expect(AllZero(B, 330, 70), "stream header padding");
        Expect(I32(B, size - 20) == 20 && I32(B, size - 16) == 0 && AllZero(B, B.size() - 12, 12), "stream footer");
    }

    // Checks the block at Pos with its children; the position after its footer.
    std::int32_t Walk(std::int32_t Pos, int Depth, const std::string &OwnerID)
    {
        if (Pos < 400 || static_cast<std::size_t>(Pos) + 250 > B.size())
            Fail("a block header at " + std::to_string(Pos) + " lies outside the container");
        const std::string at = "block at " + std::to_string(Pos) + ": ";
        TBlock block;
        block.H = HeaderAt(B, static_cast<std::size_t>(Pos));
        block.Depth = Depth;
        const TBlockHeader &h = block.H;
        for (std::size_t f : {bhID, bhIDOwner, bhIDRef})
            ShortString(static_cast<std::size_t>(Pos) + f, 50, at + "ID field");
        ShortString(static_cast<std::size_t>(Pos) + bhLastCaption, 20, at + "Last Caption");
        ShortString(static_cast<std::size_t>(Pos) + bhObjectversion, 12, at + "Objectversion");
        ShortString(static_cast<std::size_t>(Pos) + bhClassName, 20, at + "ClassName");
        Expect(!h.ID.empty(), at + "empty ID");
        Expect(h.ID_owner == OwnerID, at + "ID_owner '" + h.ID_owner.str() + "'");
        Expect(h.ClassKind == ckRefCarrier || h.ID_Ref.empty(), at + "ID_Ref of a block that is no reference");
        Expect(h.ClassKind >= ckList && h.ClassKind <= ckRefCarrier, at + "ClassKind");
        Expect(h.Offset == Pos, at + "Offset");
        Expect(h.Spacer == 0, at + "Spacer");
        Expect(h.MySize == 150, at + "MySize");
        Expect(h.OffsetNext_Node == 0 && h.OffsetPrev_Node == 0, at + "node links");
        Expect(B[static_cast<std::size_t>(Pos) + bhIsLinked] <= 1, at + "IsLinked byte");
        if (h.Offsetfooter < Pos + 250 || static_cast<std::size_t>(h.Offsetfooter) + 20 > B.size())
            Fail(at + "Offsetfooter " + std::to_string(h.Offsetfooter) + " outside the container");
        Expect(h.DataSize == h.Offsetfooter - Pos, at + "DataSize");
        const auto footer = static_cast<std::size_t>(h.Offsetfooter);
        Expect(I32(B, footer) == 20 && I32(B, footer + 4) == Pos && AllZero(B, footer + 8, 12), at + "footer");
        if (h.Count < 0 || (h.ClassKind != ckList && h.Count != 0))
            Fail(at + "Count " + std::to_string(h.Count));

        const std::size_t index = Out.size();
        Out.push_back(block);
        Out[index].DataBegin = Pos + 250;
        std::int32_t end = h.Offsetfooter;
        if (h.Count > 0) {
            // The first child follows the list's data; where that ends only the link says.
            std::int32_t child = h.OffsetNext_Block;
            if (child <= Pos + 250 || child >= h.Offsetfooter)
                Fail(at + "first child at " + std::to_string(child) + " lies outside the list's block");
            end = child;
            std::vector<std::size_t> children;
            for (std::int32_t i = 0; i < h.Count; ++i) {
                children.push_back(Out.size());
                child = Walk(child, Depth + 1, h.ID);
                if (child > h.Offsetfooter)
                    Fail(at + "children run past the list's footer");
            }
            Expect(child == h.Offsetfooter, at + "children do not end at the list's footer");
            for (std::size_t c : children)
                Expect(Out[c].H.IsLinked == (h.Count > 1), "block at " + std::to_string(Out[c].H.Offset) + ": IsLinked");
        }
        Out[index].DataEnd = end;
        if (Depth == 0)
            Expect(!h.IsLinked, at + "IsLinked of the root");
        return h.Offsetfooter + 20;
    }

    // Every block links to its pre-order neighbours.
    void CheckChain()
    {
        for (std::size_t i = 0; i < Out.size(); ++i) {
            const std::int32_t prev = i == 0 ? 0 : Out[i - 1].H.Offset;
            const std::int32_t next = i + 1 == Out.size() ? 0 : Out[i + 1].H.Offset;
            Expect(Out[i].H.OffsetPrev_Block == prev, "block at " + std::to_string(Out[i].H.Offset) + ": OffsetPrev_Block");
            Expect(Out[i].H.OffsetNext_Block == next, "block at " + std::to_string(Out[i].H.Offset) + ": OffsetNext_Block");
        }
    }

    const TBytes &B;
    std::vector<TBlock> Out;
    std::string Error;
};

inline ::testing::AssertionResult IsSoundContainer(const TBytes &Bytes, std::vector<TBlock> &Blocks)
{
    return TContainerChecker(Bytes).Run(Blocks);
}

inline ::testing::AssertionResult IsSoundContainer(const TBytes &Bytes)
{
    std::vector<TBlock> blocks;
    return TContainerChecker(Bytes).Run(blocks);
}

} // namespace containertest
