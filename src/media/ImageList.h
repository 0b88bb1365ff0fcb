#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "media/Bitmap.h"

// One named picture of the image collection, cut into patterns: the cells of
// a PatternWidth x PatternHeight grid over the picture, numbered row by row.
struct TImageItem {
    std::string Name;
    TBitmap Picture;
    int PatternWidth = 0;  // 0 = the whole picture is one pattern
    int PatternHeight = 0;
    bool Transparent = true;
    TColor TransparentColor = 0;

    int PatW() const { return PatternWidth > 0 ? PatternWidth : Picture.Width(); }
    int PatH() const { return PatternHeight > 0 ? PatternHeight : Picture.Height(); }
    // Partial cells at the right or bottom edge are not patterns.
    int PatternCount() const;
    // Source rectangle of a pattern; false for a bad index.
    bool PatternRect(int pattern, TRect& r) const;
};

// The image collection: items in the order added, looked up by name without
// regard to letter case.
class TImageList {
public:
    TImageItem& Add();
    // Position of the first item of that name, -1 for none.
    int Find(std::string_view name) const;
    TImageItem* FindItem(std::string_view name) const;
    TImageItem& Item(int index) { return *Items[size_t(index)]; }
    const TImageItem& Item(int index) const { return *Items[size_t(index)]; }
    bool Valid(int index) const { return index >= 0 && size_t(index) < Items.size(); }
    int Count() const { return int(Items.size()); }
    void Clear() { Items.clear(); }

private:
    std::vector<std::unique_ptr<TImageItem>> Items;
    // Lower-cased names for Find, refreshed per item whenever its Name no longer matches the one seen.
    mutable std::vector<std::string> SeenNames, FoldedNames;
};
