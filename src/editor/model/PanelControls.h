#pragma once
#include <string>
#include <vector>

#include "base/ListControl.h"

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
