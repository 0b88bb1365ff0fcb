#pragma once
#include <string>
#include <vector>

// A list box or pick list of the panel: its items and the selected one.
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

// A spin field. It holds text, as a person may type anything into it; the
// limits apply when the panel fills it and when the person leaves it.
struct TSpinEdit {
    int MinValue = 0, MaxValue = 0;  // both 0: any integer
    size_t MaxLength = 0;            // characters a person may type, 0 = any
    std::string Text = "0";

    bool AnyValue() const { return MinValue == 0 && MaxValue == 0; }
    int Clamp(int v) const;
    // The value the panel acts on: text that is not an integer reads as the
    // lower limit, and nothing outside the limits ever reaches the world.
    int Value() const;
    // The panel fills the field.
    void SetValue(int v);
    // A person types: the text as it stands, cut to MaxLength.
    void SetText(const std::string& text);
    // The field loses the focus: the text becomes the value it stands for.
    void Exit();
};
