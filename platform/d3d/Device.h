#pragma once

// A rasterizer device: draws batches of screen-space primitives into the current targets.
// Implementations: the software rasterizer (soft/) and OpenGL (gl/).

#include <array>
#include <cstdint>
#include <span>

#include "platform/d3d/Types.h"
#include "platform/rtl/Result.h"

namespace d3d {

// Render states the window sets between BeginScene and EndScene; values are passed as 32-bit
// words (floats as their bits), as the original interface took them.
enum class RenderStateType : std::uint8_t {
  AlphaRef,
  AlphaFunc,        // a Compare
  AlphaTestEnable,  // 0 or 1
  MipMapLodBias,    // float bits
  FogTableMode,     // a FogMode
  FogTableStart,    // float bits
  FogTableEnd,      // float bits
  Count,
};

enum class FogMode : std::uint32_t { None = 0, Exp = 1, Exp2 = 2, Linear = 3 };

// Result codes of device calls.
constexpr std::int32_t D3D_OK = rtl::kOk;
constexpr std::int32_t D3DERR_SCENE_IN_SCENE = rtl::MakeDXResult(708);      // BeginScene twice
constexpr std::int32_t D3DERR_SCENE_NOT_IN_SCENE = rtl::MakeDXResult(709);  // EndScene without BeginScene

class Device {
 public:
  Device();
  virtual ~Device() = default;
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  std::int32_t BeginScene();
  std::int32_t EndScene();
  bool InScene() const { return FInScene; }

  std::int32_t SetRenderState(RenderStateType type, std::uint32_t value);
  std::uint32_t GetRenderState(RenderStateType type) const { return FStates[static_cast<int>(type)]; }

  // Where the next primitives go. Called by the retained-mode device before each frame, since a
  // restored surface may have moved.
  virtual void SetTargets(const ColorTarget& color, const DepthTarget& depth) = 0;
  // Fills a rectangle of the colour target (0x00RRGGBB) and, when asked, resets its depth to the far
  // plane.
  virtual void Clear(int left, int top, int right, int bottom, std::uint32_t color, bool depth) = 0;
  // Triangles as index triples into vertices (or, with Points/Wireframe fill, their vertices/edges).
  virtual void DrawTriangles(const DrawState& state, std::span<const TLVertex> vertices,
                             std::span<const std::uint32_t> indices) = 0;
  // Everything drawn since SetTargets is in the colour target's memory when this returns. Devices
  // that draw elsewhere (OpenGL) copy it back here; the software device draws in place.
  virtual void Flush() {}

 private:
  bool FInScene = false;
  std::array<std::uint32_t, static_cast<int>(RenderStateType::Count)> FStates{};
};

}  // namespace d3d
