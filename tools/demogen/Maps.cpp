// Scripts and locations of the demo world. The map generator adds its
// locations here (it can place walls from Layout.h); nothing else in the
// generator needs to change for that.
#include "DemoGen.h"

namespace demogen {

void WriteWorld(const TOutput& out) {
    out.WriteText("data/scripts/obj_def.sc", "; Default script of critters and objects: no events of its own.\n");
}

}  // namespace demogen
