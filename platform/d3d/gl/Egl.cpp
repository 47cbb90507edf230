#include "platform/d3d/gl/Egl.h"

#include <cstdlib>
#include <cstring>
#include <set>
#include <string_view>

#include "platform/d3d/gl/GLApi.h"

namespace d3d::gl {

namespace {

bool HasExtension(const char* list, std::string_view name) {
  if (list == nullptr) return false;
  std::string_view rest(list);
  while (!rest.empty()) {
    const auto end = rest.find(' ');
    if (rest.substr(0, end) == name) return true;
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return false;
}

template <typename Function>
Function Proc(const char* name) {
  return reinterpret_cast<Function>(eglGetProcAddress(name));
}

const char* ClientExtensions() {
  // Null (with an EGL_BAD_DISPLAY error) where the library has no client extensions at all.
  return eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
}

EGLDisplay OpenDisplay(const DisplaySource& source) {
  EGLDisplay display = EGL_NO_DISPLAY;
  if (source.kind == DisplaySource::Kind::Default) {
    display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
  } else {
    const auto getPlatformDisplay = Proc<PFNEGLGETPLATFORMDISPLAYEXTPROC>("eglGetPlatformDisplayEXT");
    if (getPlatformDisplay == nullptr) return EGL_NO_DISPLAY;
    display = source.kind == DisplaySource::Kind::Device
                  ? getPlatformDisplay(EGL_PLATFORM_DEVICE_EXT, source.device, nullptr)
                  : getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  }
  if (display == EGL_NO_DISPLAY) return EGL_NO_DISPLAY;
  EGLint major = 0, minor = 0;
  if (eglInitialize(display, &major, &minor) != EGL_TRUE) return EGL_NO_DISPLAY;
  return display;
}

// The context current on this thread before a probe, put back after it.
struct CurrentContext {
  EGLenum api = eglQueryAPI();
  EGLDisplay display = eglGetCurrentDisplay();
  EGLContext context = eglGetCurrentContext();
  EGLSurface draw = eglGetCurrentSurface(EGL_DRAW);
  EGLSurface read = eglGetCurrentSurface(EGL_READ);

  void Restore() const {
    if (display != EGL_NO_DISPLAY && context != EGL_NO_CONTEXT) {
      eglBindAPI(api);
      eglMakeCurrent(display, draw, read, context);
    } else {
      eglBindAPI(api);
    }
  }
};

std::string GLString(GLenum name) {
  const auto* text = reinterpret_cast<const char*>(glGetString(name));
  return text != nullptr ? text : "";
}

// The adapter a source offers, when a context can be made and made current on it.
bool ProbeSource(const DisplaySource& source, Adapter* adapter) {
  std::string error;
  const std::unique_ptr<EglContext> context = EglContext::Create(source, &error);
  if (!context || !context->MakeCurrent()) return false;
  adapter->name = GLString(GL_RENDERER);
  adapter->description = GLString(GL_VENDOR) + ", OpenGL " + GLString(GL_VERSION);
  context->Release();
  return !adapter->name.empty();
}

std::vector<DisplaySource> EnumeratedDevices() {
  const char* client = ClientExtensions();
  if (!HasExtension(client, "EGL_EXT_device_enumeration") || !HasExtension(client, "EGL_EXT_platform_device")) {
    return {};
  }
  const auto queryDevices = Proc<PFNEGLQUERYDEVICESEXTPROC>("eglQueryDevicesEXT");
  if (queryDevices == nullptr) return {};
  EGLint count = 0;
  if (queryDevices(0, nullptr, &count) != EGL_TRUE || count <= 0) return {};
  std::vector<EGLDeviceEXT> devices(static_cast<std::size_t>(count));
  if (queryDevices(count, devices.data(), &count) != EGL_TRUE) return {};
  std::vector<DisplaySource> sources;
  for (EGLint i = 0; i < count; ++i)
    sources.push_back({DisplaySource::Kind::Device, devices[static_cast<std::size_t>(i)]});
  return sources;
}

std::vector<AdapterRecord> ProbeRecords() {
  const char* disabled = std::getenv("Q3D_NO_GL");
  if (disabled != nullptr && *disabled != '\0') return {};
  const CurrentContext previous;
  std::vector<AdapterRecord> records;
  std::set<std::string> seen;
  const auto probe = [&](const std::vector<DisplaySource>& sources) {
    for (const DisplaySource& source : sources) {
      AdapterRecord record{{}, source};
      if (!ProbeSource(source, &record.adapter)) continue;
      // One device may be reachable twice (a render node and its card); one entry is enough.
      if (!seen.insert(record.adapter.name).second) continue;
      records.push_back(std::move(record));
    }
  };
  probe(EnumeratedDevices());
  if (records.empty() && HasExtension(ClientExtensions(), "EGL_MESA_platform_surfaceless")) {
    probe({{DisplaySource::Kind::Surfaceless, EGL_NO_DEVICE_EXT}});
  }
  if (records.empty()) probe({{DisplaySource::Kind::Default, EGL_NO_DEVICE_EXT}});
  previous.Restore();
  return records;
}

}  // namespace

const std::vector<AdapterRecord>& AdapterRecords() {
  static const std::vector<AdapterRecord> records = ProbeRecords();
  return records;
}

const std::vector<Adapter>& Adapters() {
  static const std::vector<Adapter> adapters = [] {
    std::vector<Adapter> list;
    for (const AdapterRecord& record : AdapterRecords()) list.push_back(record.adapter);
    return list;
  }();
  return adapters;
}

std::vector<Adapter> ProbeAdapters() {
  std::vector<Adapter> list;
  for (AdapterRecord& record : ProbeRecords()) list.push_back(std::move(record.adapter));
  return list;
}

std::unique_ptr<EglContext> EglContext::Create(const DisplaySource& source, std::string* error) {
  const auto fail = [&](const char* why) {
    if (error != nullptr) *error = why;
    return nullptr;
  };
  std::unique_ptr<EglContext> context(new EglContext);
  context->FDisplay = OpenDisplay(source);
  if (context->FDisplay == EGL_NO_DISPLAY) return fail("the EGL display cannot be opened");
  if (eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) return fail("EGL offers no OpenGL");
  const char* extensions = eglQueryString(context->FDisplay, EGL_EXTENSIONS);
  const bool surfaceless = HasExtension(extensions, "EGL_KHR_surfaceless_context");
  const bool noConfig = HasExtension(extensions, "EGL_KHR_no_config_context");
  EGLConfig config = EGL_NO_CONFIG_KHR;
  if (!surfaceless || !noConfig) {
    // A surface type of 0 matches every config; without surfaceless contexts we need a pbuffer.
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, surfaceless ? 0 : EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE,
                                       EGL_OPENGL_BIT, EGL_NONE};
    EGLint count = 0;
    if (eglChooseConfig(context->FDisplay, configAttributes, &config, 1, &count) != EGL_TRUE || count < 1) {
      return fail("no EGL config renders OpenGL");
    }
  }
  const EGLint contextAttributes[] = {
      EGL_CONTEXT_MAJOR_VERSION,           3,       EGL_CONTEXT_MINOR_VERSION, 3, EGL_CONTEXT_OPENGL_PROFILE_MASK,
      EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
  context->FContext = eglCreateContext(context->FDisplay, config, EGL_NO_CONTEXT, contextAttributes);
  if (context->FContext == EGL_NO_CONTEXT) return fail("no OpenGL 3.3 core context");
  if (!surfaceless) {
    const EGLint pbufferAttributes[] = {EGL_WIDTH, 1, EGL_HEIGHT, 1, EGL_NONE};
    context->FSurface = eglCreatePbufferSurface(context->FDisplay, config, pbufferAttributes);
    if (context->FSurface == EGL_NO_SURFACE) return fail("no pbuffer to make the context current with");
  }
  return context;
}

EglContext::~EglContext() {
  if (FDisplay == EGL_NO_DISPLAY) return;
  Release();
  if (FContext != EGL_NO_CONTEXT) eglDestroyContext(FDisplay, FContext);
  if (FSurface != EGL_NO_SURFACE) eglDestroySurface(FDisplay, FSurface);
}

bool EglContext::MakeCurrent() {
  // The current context is per API: another library on this thread may have bound OpenGL ES.
  if (eglQueryAPI() != EGL_OPENGL_API) eglBindAPI(EGL_OPENGL_API);
  if (eglGetCurrentContext() == FContext) return true;
  return eglMakeCurrent(FDisplay, FSurface, FSurface, FContext) == EGL_TRUE;
}

void EglContext::Release() {
  if (eglQueryAPI() != EGL_OPENGL_API) eglBindAPI(EGL_OPENGL_API);
  if (eglGetCurrentContext() == FContext) eglMakeCurrent(FDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

}  // namespace d3d::gl
