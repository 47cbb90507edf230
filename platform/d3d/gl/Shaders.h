#pragma once

// The device's shader (GLSL 330 core), which reproduces the software device's pixel pipeline: texel
// times diffuse colour, colour key, specular add, fog, clamping, alpha test, then rounding or dither
// to 5-6-5 on 16-bit targets. Internal to this folder.
//
// One source, compiled once for each set of features a batch uses (a handful in practice), so that
// each program does only the work its batches need: on a software OpenGL such as llvmpipe, a branch
// on a uniform still costs the work of both sides.

#include <array>
#include <cstdint>
#include <string>

namespace d3d::gl {

// Features a program is compiled with.
enum Feature : std::uint32_t {
  kFeatureFlat = 1u << 0,  // the face's first vertex's colours
  kFeatureTexture = 1u << 1,
  kFeatureColorKey = 1u << 2,  // with its mask bound to unit 1
  kFeatureSpecular = 1u << 3,
  kFeatureFog = 1u << 4,
  kFeatureAlphaTest = 1u << 5,
  kFeatureRound565 = 1u << 6,   // the shader rounds to 5-6-5 itself
  kFeatureDither565 = 1u << 7,  // the shader dithers to 5-6-5 itself
  kFeatureCount = 8,
};

// The program's uniforms (those a program does not use have location -1).
enum Uniform : int {
  kTargetSize,   // vec2: the target's size in pixels
  kPerspective,  // bool: texture coordinates corrected by 1/w
  kSnap,         // int: 0 to the 1/16 sub-pixel grid (triangles), 1 to pixel centres (lines, points)
  kFogColor,     // vec3
  kAlphaFunc,    // int: a d3d::Compare
  kAlphaRef,     // int 0..255
  kLodBias,
  kTexture,  // sampler unit 0
  kKeyMask,  // sampler unit 1
  kUniformCount,
};

struct Program {
  unsigned name = 0;
  std::array<int, kUniformCount> uniforms{};
};

// Compiles and links the program for `features` on the current context and sets its samplers' units;
// false with the log in `error` when it does not build.
bool BuildProgram(std::uint32_t features, Program* program, std::string* error);

}  // namespace d3d::gl
