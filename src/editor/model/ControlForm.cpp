#include "editor/model/ControlForm.h"

#include "app/MainForm.h"

bool TListControl::SelectExact(const std::string& text) {
    for (size_t i = 0; i < Items.size(); ++i)
        if (Items[i] == text) {
            ItemIndex = int(i);
            return true;
        }
    return false;
}

void TControlForm::FormCreate() {
    Config = TIniFile::ParseCp1251(Game.Files.ReadFile("data\\data\\game.ini"));

    int skins = Config.ReadInteger("Main", "CritterSkin", 0);
    for (int i = 0; i < skins; ++i)
        SkinComboBox.Items.push_back(Config.ReadString("CritterSkin", "Skin" + std::to_string(i), ""));

    PatternComboBox.Items = Game.LocationImages;
    if (!PatternComboBox.Items.empty()) PatternComboBox.ItemIndex = 0;
    ImageComboBox.Items = Game.ObjectImages;
    if (!ImageComboBox.Items.empty()) ImageComboBox.ItemIndex = 0;

    MoveAnimComboBox.Items = {"walk", "walk_2"};
    MoveAnimComboBox.ItemIndex = 0;

    int hitTypes = Config.ReadInteger("Main", "HitTypes", 0);
    for (int i = 0; i < hitTypes; ++i)
        ShootAnimComboBox.Items.push_back(Config.ReadString("HitTypes", "Type" + std::to_string(i), ""));
    if (!ShootAnimComboBox.Items.empty()) ShootAnimComboBox.ItemIndex = 0;
}

std::string TControlForm::HitTypeName(int index) const {
    if (index < 0 || size_t(index) >= ShootAnimComboBox.Items.size()) return "";
    return ShootAnimComboBox.Items[size_t(index)];
}

void TControlForm::CritterListBoxClick() {}

void TControlForm::ObjectListBoxClick() {}

void TControlForm::DelCritterButtonClick() {}

void TControlForm::ODeleteButtonClick() {}

void TControlForm::AddCritterAt(int, int) {}
void TControlForm::MoveCritterTo(int, int) {}
void TControlForm::AddObjectAt(int, int) {}
void TControlForm::MoveObjectTo(int, int) {}
