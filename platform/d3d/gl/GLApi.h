#pragma once

// The OpenGL 3.3 core entry points, linked directly (the vendor-neutral libOpenGL exports every core
// function, so nothing needs loading by hand). Internal to this folder.

#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/glcorearb.h>
