#pragma once

class TJsonWriter;
class TControlForm;

// The panel in the headless dump: page, selections, every control's value,
// the list entries, the buttons' state and the edit history; besides the
// panel's own state, whether its window shows and the tile under the pointer.
void DumpPanel(TJsonWriter& json, const TControlForm& form, bool visible, int hoverTileX, int hoverTileY);
