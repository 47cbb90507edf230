#pragma once

// The device's one shader program (GLSL 330 core), which reproduces the software device's pixel
// pipeline: texel times diffuse colour, colour key, specular add, fog, clamping, alpha test, then
// dither on 16-bit targets. Internal to this folder.

#include <array>
#include <string>

namespace d3d::gl {

// The program's uniforms, in the order of kUniformNames.
enum Uniform : int {
  kTargetSize,   // vec2: the target's size in pixels
  kPerspective,  // bool: texture coordinates corrected by 1/w
  kSnap,         // int: 0 to the 1/16 sub-pixel grid (triangles), 1 to pixel centres (lines, points)
  kFlat,         // bool: the face's first vertex's colours
  kTextured,
  kKeyed,  // bool: a colour-keyed texture, with its mask bound to unit 1
  kSpecular,
  kFog,
  kFogColor,  // vec3
  kAlphaTest,
  kAlphaFunc,  // int: a d3d::Compare
  kAlphaRef,   // int 0..255
  kQuantise,   // int: 0 the framebuffer rounds, 1 to 5-6-5 rounded, 2 to 5-6-5 dithered
  kLodBias,
  kTexture,  // sampler unit 0
  kKeyMask,  // sampler unit 1
  kUniformCount,
};

extern const std::array<const char*, kUniformCount> kUniformNames;

// Compiles and links the program on the current context: its name, or 0 with the log in `error`.
unsigned BuildProgram(std::string* error);

}  // namespace d3d::gl
