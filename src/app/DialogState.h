#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The dialog window and its portrait fade.
struct TDialogState {
    std::string CurrentHead;
    int32_t OwnerIndex = -1;
    int32_t OwnerKind = -1;
    std::vector<std::string> Question;
    std::vector<std::string> Answers;
    std::vector<std::string> AnswerNodes;
    int32_t Hovered = -1;
    bool FadeRunning = false;
    std::string PreviousHead, NewHead;
    int32_t FadeDuration = 1000;
    uint32_t FadeStart = 0;
    // A portrait fade lasts as the script says, but never longer than this.
    static constexpr int32_t MaxFadeMs = 10000;
};
