#pragma once

// EGL for the OpenGL device (internal to this folder): opening an adapter's display, and a context of
// its own on it. Displays are initialised once and stay so for the life of the process: EGL
// initialisation is not reference counted, and terminating a display would pull the contexts of every
// other device on it out from under them.

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/d3d/gl/Adapters.h"

namespace d3d::gl {

// Where an adapter's display comes from.
struct DisplaySource {
  enum class Kind { Device, Surfaceless, Default };
  Kind kind = Kind::Default;
  EGLDeviceEXT device = EGL_NO_DEVICE_EXT;  // for Kind::Device
};

struct AdapterRecord {
  Adapter adapter;
  DisplaySource source;
};

// The cached list behind Adapters(), with where each adapter's display comes from.
const std::vector<AdapterRecord>& AdapterRecords();

// An OpenGL 3.3 core context and, where the display cannot make a context current without a surface,
// a 1x1 pbuffer for it.
class EglContext {
 public:
  // Null, with the reason in `error`, when the display or the context cannot be made.
  static std::unique_ptr<EglContext> Create(const DisplaySource& source, std::string* error);
  ~EglContext();
  EglContext(const EglContext&) = delete;
  EglContext& operator=(const EglContext&) = delete;

  // Makes the context current on the calling thread unless it already is.
  bool MakeCurrent();
  // Lets go of the context if it is current on this thread.
  void Release();

 private:
  EglContext() = default;

  EGLDisplay FDisplay = EGL_NO_DISPLAY;
  EGLContext FContext = EGL_NO_CONTEXT;
  EGLSurface FSurface = EGL_NO_SURFACE;
};

}  // namespace d3d::gl
