#include "core3d/RetainedMode.h"

#include "platform/rtl/Exceptions.h"

namespace {
rtl::Ref<rm::Direct3DRM> gRoot;
}

rm::Direct3DRM& RetainedMode() {
  if (!gRoot) throw rtl::Exception("Engine3D error: direct3drm not assigned");
  return *gRoot;
}

void SetRetainedMode(rm::Direct3DRM* root) { gRoot = rtl::Ref<rm::Direct3DRM>(root); }

rm::Direct3DRM* CurrentRetainedMode() { return gRoot.Get(); }
