#include "platform/HeadlessPlatform.h"

#include <filesystem>

bool THeadlessPlatform::TMusic::Open(const std::string& realPath) {
    FileName = realPath;
    IsOpen = std::filesystem::is_regular_file(realPath);
    return IsOpen;
}
