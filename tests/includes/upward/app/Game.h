#pragma once
#include "world/Rules.h"
