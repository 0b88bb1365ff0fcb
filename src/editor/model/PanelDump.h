#pragma once

class TJsonWriter;
class TControlForm;

// The panel in the headless dump: page, selections, every control's value,
// the list entries, the buttons' state and the edit history.
void DumpPanel(TJsonWriter& json, const TControlForm& form);
