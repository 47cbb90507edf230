#pragma once

// Tunables of the software rasterizer, in one place.

namespace d3d::soft {

// Sub-pixel precision of vertex positions: 4 bits (1/16 pixel) is what rasterizers of this class
// snap to. It keeps edge products of screen-sized triangles well inside 64-bit integers and makes
// shared edges rasterize identically from either triangle.
static constexpr int SubpixelBits = 4;
static constexpr int SubpixelScale = 1 << SubpixelBits;

// Vertices are clamped to this many pixels either side of the target's origin before snapping, so
// that a wild coordinate cannot overflow the edge arithmetic (the layer above clips to the view).
static constexpr float MaxCoordinate = 32768.0f;

// Pixels are shaded in runs of this many along a span (one SIMD register of floats).
static constexpr int ChunkPixels = 4;

// The mip level of detail is worked out afresh every this many pixels along a span and held
// between: it changes slowly across a span, and working it out costs about as much as a bilinear
// fetch.
static constexpr int LodRunPixels = 16;

// Palettised targets: colours are quantised to this many bits per channel before the inverse
// palette lookup (a table of 2^(3*bits) palette indices, rebuilt when the palette changes).
static constexpr int InversePaletteBits = 5;
// The ordered dither before that lookup spreads each channel over this many levels (of 255), about
// the spacing of a shade ramp's neighbouring entries, so that gradients between palette colours
// break up instead of banding.
static constexpr float Palette8DitherSpread = 32.0f;

}  // namespace d3d::soft
