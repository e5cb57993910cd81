#pragma once

#include "MemoryConfigurations.h"
#include "Page.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tessary {

// "Erase Flash": the Flash erased block by block. Its four block lists (the 512K and the 1024K
// layout, and the 32 and 128 blocks of the Parvel layouts, which scroll) lie at the same place;
// at most one of them is shown.
class EraseFlashPage : public Page {
  public:
    enum ControlId : int {
        kEraseSelected = 1038,
        kEraseAll = 1039,
    };

    // A block list: its group box and its check boxes, one per block, with consecutive ids; box k
    // stands for block k of the Flash layout of `configuration` (and of every configuration that
    // shares that layout).
    struct BlockList {
        int group;
        int firstCheck;
        int count;
        int32_t configuration;
        // The buttons that tick and clear every box of the list; 0 where the list has none.
        int selectAll;
        int selectNone;
    };
    static constexpr BlockList kSmallList{1085, 1020, 7, ConfigurationNamed("q0").value, 0, 0};
    static constexpr BlockList kLargeList{1084, 1027, 11, ConfigurationNamed("q3").value, 0, 0};
    // The Parvel lists: a check box per 128K block, in a scroll area inside the group box, with
    // "Select all" and "Select none" above it.
    static constexpr BlockList kParvel4List{2000, 2001, 32, ConfigurationNamed("parvel4").value,
                                            2100, 2101};
    static constexpr BlockList kParvel16List{2200, 2201, 128, ConfigurationNamed("parvel16").value,
                                             2400, 2401};
    static constexpr BlockList kLists[] = {kSmallList, kLargeList, kParvel4List, kParvel16List};

    explicit EraseFlashPage(QWidget* parent);

    // Every check box of both lists ticked, the hidden ones included.
    void OnInit() override;
    void OnCommand(int id, Notification code) override;

    // Shows the list of the configuration's Flash layout and "Erase Selected", and hides the
    // other lists.
    void ShowBlockListOf(int32_t configuration);

  private:
    void AddScrolledList(const BlockList& list);
    void SetListVisible(const BlockList& list, bool visible);
    void CheckAll(const BlockList& list, bool checked);
    void EraseSelected();
    // The blocks of the configuration whose boxes are checked; nullopt when the list shown is
    // not the one of that configuration's layout, so that no box can stand for another block.
    std::optional<std::vector<int32_t>> CheckedBlocks(int32_t configuration) const;
};

} // namespace tessary
