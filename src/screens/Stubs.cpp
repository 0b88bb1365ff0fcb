// Screens not built yet: they do nothing until their turn comes.
#include "app/MainForm.h"
#include "base/Errors.h"



void TMainForm::PanelCommand(const std::string& args) {
    throw EGameError("The editor panel does not understand \"" + args + "\" yet");
}
