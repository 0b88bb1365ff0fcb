#include "editor/model/PanelDump.h"

#include "base/Json.h"
#include "editor/model/ControlForm.h"

void DumpPanel(TJsonWriter& j, const TControlForm& constForm, bool visible, int hoverTileX, int hoverTileY) {
    // Controls() hands out pointers for setting too; nothing is changed here.
    TControlForm& form = const_cast<TControlForm&>(constForm);
    j.Key("panel").BeginObject();
    j.Field("visible", visible);
    j.Field("page", PanelPageNames[form.ActivePage >= 0 && form.ActivePage < 4 ? form.ActivePage : 0]);
    j.Field("selectedCritter", form.CritterListBox.ItemIndex);
    j.Field("selectedObject", form.ObjectListBox.ItemIndex);
    auto list = [&](const char* key, const TListControl& l) {
        j.Key(key).BeginArray();
        for (const auto& s : l.Items) j.Value(s);
        j.EndArray();
    };
    list("critters", form.CritterListBox);
    list("objects", form.ObjectListBox);
    j.Key("controls").BeginObject();
    for (const TControlRef& c : form.Controls()) j.Field(c.Name, TControlForm::ControlText(c));
    j.EndObject();
    j.Field("nameReadOnly", form.NameReadOnly);
    j.Field("delCritterEnabled", form.DelCritterButtonEnabled);
    j.Field("oDeleteEnabled", form.ODeleteButtonEnabled);
    j.Key("hoverTile").BeginArray().Value(hoverTileX).Value(hoverTileY).EndArray();
    j.Field("undoSteps", uint64_t(form.History.UndoCount()));
    j.Field("redoSteps", uint64_t(form.History.RedoCount()));
    j.Field("modified", form.Modified());
    j.Field("playing", form.Host.Playing());
    j.Field("file", form.Host.LocationFile());
    j.EndObject();
}
