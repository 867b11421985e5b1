#pragma once
// A diagnostic view of a container: while a load reads it, the spy keeps a
// copy of the stream header and of every block header met, as nodes that show
// one column per header field in tree and list views.
#include "store/VrnCompDataList.h"
#include "store/VrnStreamWrapper.h"

#include <string>

enum TSpyKind : std::uint8_t { skMain = 0, skBlock = 1 };

extern const char *const StreamTypeNames[1];
extern const char *const ClassKindNames[4];
extern const char *const SpyKindNames[2];
extern const int SpyImageIndexes[4];
extern const int SpySelectedIndexes[4];

class TStreamSpy;

class tStreamSpyNode : public TCompDataList {
public:
    static tStreamSpyNode *CreateMain(const TStreamHeader &AHeader);
    static tStreamSpyNode *CreateBlock(const TBlockHeader &AHeader);

    std::string GetCaption() const override;
    tSubListItemCaptions GetColumnCaptions() const override;
    tSubListItemCaptions GetColumnValues() const override;
    int GetImageIndex() const override;
    int GetSelectedIndex() const override;
    void AddChildrenToTree(QTreeWidget *Tree, QTreeWidgetItem *Node) override;

    TCompDataList *LinkedItem = nullptr;
    TSpyKind Kind = skMain;
    TStreamHeader StreamHeader;
    TBlockHeader BlockHeader;
    TStreamSpy *Spy = nullptr;
    std::string RawData;

private:
    tStreamSpyNode() = default;
};

class TStreamSpy : public TCompDataList {
public:
    std::string GetCaption() const override { return "TStreamSpy"; }
    tSubListItemCaptions GetColumnCaptions() const override { return {}; }
    tSubListItemCaptions GetColumnValues() const override { return {}; }
    int GetImageIndex() const override { return ImageIndex; }
    int GetSelectedIndex() const override { return SelectedIndex; }
    // Sets the switch and frees everything captured so far.
    void SetCaptureOff(bool Value);

    std::int32_t ImageIndex = 0;
    std::int32_t SelectedIndex = 0;
    bool ShowID = false;
    bool ShowClassKind = false;
    bool CaptureOff = false;
    tStreamSpyNode *CurrentMain = nullptr;
    tStreamSpyNode *CurrentBlock = nullptr;
};

std::string BoolText(bool B, const std::string &T, const std::string &F);
void AddColumn(tSubListItemCaptions &List, const std::string &S);
