#pragma once
#include <string>
#include <vector>

// A list of texts with one selected: a list box or pick list of the panel,
// and the editor labels of the location's records.
struct TListControl {
    std::vector<std::string> Items;
    int ItemIndex = -1;  // -1 = nothing selected

    void Clear() {
        Items.clear();
        ItemIndex = -1;
    }
    bool HasSelection() const { return ItemIndex >= 0 && size_t(ItemIndex) < Items.size(); }
    std::string Text() const { return HasSelection() ? Items[size_t(ItemIndex)] : std::string(); }
    // Selects the entry equal to `text` exactly; none keeps the selection.
    bool SelectExact(const std::string& text);
};
