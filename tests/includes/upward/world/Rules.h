#pragma once
// A world header reaching up into the app: the include check must refuse it.
#include "app/Game.h"
