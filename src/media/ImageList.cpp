#include "media/ImageList.h"

#include "base/Text.h"

int TImageItem::PatternCount() const {
    const int w = PatW(), h = PatH();
    if (Picture.Empty() || w <= 0 || h <= 0) return 0;
    return (Picture.Width() / w) * (Picture.Height() / h);
}

bool TImageItem::PatternRect(int pattern, TRect& r) const {
    if (pattern < 0 || pattern >= PatternCount()) return false;
    const int w = PatW(), h = PatH();
    const int columns = Picture.Width() / w;
    r.Left = (pattern % columns) * w;
    r.Top = (pattern / columns) * h;
    r.Right = r.Left + w;
    r.Bottom = r.Top + h;
    return true;
}

TImageItem& TImageList::Add() {
    Items.push_back(std::make_unique<TImageItem>());
    return *Items.back();
}

int TImageList::Find(std::string_view name) const {
    // Callers rename items through the references they hold, so each folded name is checked against the
    // item's current one; a byte compare is far cheaper than folding both sides on every look-up.
    SeenNames.resize(Items.size());
    FoldedNames.resize(Items.size());
    const std::string key = LowerCase(name);
    for (size_t i = 0; i < Items.size(); ++i) {
        const std::string& current = Items[i]->Name;
        if (current != SeenNames[i]) {
            SeenNames[i] = current;
            FoldedNames[i] = LowerCase(current);
        }
        if (FoldedNames[i] == key) return int(i);
    }
    return -1;
}

TImageItem* TImageList::FindItem(std::string_view name) const {
    int i = Find(name);
    return i < 0 ? nullptr : Items[size_t(i)].get();
}
