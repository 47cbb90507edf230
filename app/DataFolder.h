#pragma once

// Where the program's data lives when the settings name no folder: QUORLITH_DATA_DIR when set, else
// <program>/../share/quorlith3d/ when that folder exists (installed), else the build tree's data
// folder. Always ends in '/'.

#include <string>

std::string DefaultDataFolder(const std::string& programFolder);
