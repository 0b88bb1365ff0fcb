#include "base/ListControl.h"

bool TListControl::SelectExact(const std::string& text) {
    for (size_t i = 0; i < Items.size(); ++i)
        if (Items[i] == text) {
            ItemIndex = int(i);
            return true;
        }
    return false;
}
