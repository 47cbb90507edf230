#pragma once

// Whether the display layer can start: a connection to the display (the application's screen) and a
// primary surface on it. The shell asks once, when its form is first shown.

namespace dd::qt {

bool DisplayAvailable();

}  // namespace dd::qt
