// Screens not built yet: they do nothing until their turn comes.
#include "app/MainForm.h"
#include "base/Errors.h"
