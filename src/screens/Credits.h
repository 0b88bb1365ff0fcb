#pragma once
#include <string>
#include <vector>

// The 390 lines of the credits roll.
const std::vector<std::string>& CreditsLines();
