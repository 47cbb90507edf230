#pragma once

// The help viewer: the HTML manual in a window of its own, with its links and back and forward.

#include <string>

// Opens the viewer on `fileName`, or raises "Cannot open file ..." when there is no such file.
void ShowHelp(const std::string& fileName);
