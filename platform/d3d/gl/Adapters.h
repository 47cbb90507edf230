#pragma once

// The OpenGL devices this machine offers: each one on which an OpenGL 3.3 core context can be made
// without a window (EGL, surfaceless or a 1x1 pbuffer). Looked for once per process, on first use.
//
// Where they come from, in order of preference: EGL device enumeration (one entry per graphics
// processor, and Mesa's software device), else Mesa's surfaceless platform, else the default EGL
// display. A later source is asked only when the earlier ones found nothing usable, so one renderer is
// not listed twice.
//
// The environment variable Q3D_NO_GL (any non-empty value) hides them all: the user's way out of a
// broken driver, and the tests' way to see the program without OpenGL.

#include <string>
#include <vector>

namespace d3d::gl {

struct Adapter {
  std::string name;         // the renderer's own name (GL_RENDERER)
  std::string description;  // vendor and version, for display
};

// Probed on the first call, then the same list for the rest of the process.
const std::vector<Adapter>& Adapters();

// A fresh look at the machine, not cached (Adapters() is this, taken once). Devices are made for the
// cached list's indices only; this is for tests and diagnostics.
std::vector<Adapter> ProbeAdapters();

}  // namespace d3d::gl
