#pragma once

// The retained-mode root through which the object model creates its platform objects. The engine
// sets it when it starts; tests that build worlds without a window set one of their own.

#include "platform/rm/Direct3DRM.h"

// The root, or "Engine3D error: direct3drm not assigned" while none is set.
rm::Direct3DRM& RetainedMode();
void SetRetainedMode(rm::Direct3DRM* root);
// The root that is set, or null.
rm::Direct3DRM* CurrentRetainedMode();
