#pragma once

// A node of the scene tree: a transform relative to its parent, child frames, visuals and lights,
// and the scene-wide settings held by a root frame (background, fog).

#include <cstdint>
#include <vector>

#include "platform/rm/Light.h"
#include "platform/rm/Math.h"
#include "platform/rm/Object.h"

namespace rm {

enum class ZBufferMode : std::uint8_t { FromParent, Enable, Disable };
enum class SortMode : std::uint8_t { FromParent, None, BackToFront };
enum class FogMode : std::uint8_t { Linear, Exponential, ExponentialSquared };

struct SceneFog {
  bool enabled = false;
  FogMode mode = FogMode::Linear;
  std::uint32_t color = 0;  // 0x00RRGGBB
  float start = 1.0f;
  float end = 100.0f;
  float density = 1.0f;
};

class Frame : public Object {
 public:
  Frame() = default;
  ~Frame() override;

  std::int32_t AddChild(Frame* child);
  std::int32_t DeleteChild(Frame* child);
  Frame* GetParent() const { return FParent; }
  const std::vector<rtl::Ref<Frame>>& Children() const { return FChildren; }
  // The root of the tree this frame is in (a detached frame is its own scene).
  Frame* GetScene();

  // Placement seen from `reference` (null: the parent).
  std::int32_t SetPosition(Frame* reference, float x, float y, float z);
  std::int32_t GetPosition(Frame* reference, Vector* position);
  // Replaces rotation and scale, keeps the position; up parallel to direction is refused.
  std::int32_t SetOrientation(Frame* reference, float dx, float dy, float dz, float ux, float uy, float uz);
  std::int32_t GetOrientation(Frame* reference, Vector* direction, Vector* up);
  // A point of this frame's coordinates in scene coordinates.
  std::int32_t Transform(Vector* out, const Vector& in);

  // The parent-relative matrix (animations write it).
  const Matrix& Local() const { return FLocal; }
  void SetLocal(const Matrix& local) { FLocal = local; }
  // Scene coordinates of this frame's coordinates.
  Matrix World() const;

  std::int32_t AddVisual(Visual* visual);
  std::int32_t DeleteVisual(Visual* visual);
  const std::vector<rtl::Ref<Visual>>& Visuals() const { return FVisuals; }
  std::int32_t AddLight(Light* light);
  std::int32_t DeleteLight(Light* light);
  const std::vector<rtl::Ref<Light>>& Lights() const { return FLights; }

  // A box in this frame's coordinates; while enabled, the frame and its subtree are skipped when
  // the box lies entirely outside the view (minimum = maximum hides always).
  std::int32_t SetBox(const Box& box);
  std::int32_t SetBoxEnable(bool enable);
  const Box& GetBox() const { return FBox; }
  bool BoxEnabled() const { return FBoxEnabled; }

  std::int32_t SetZbufferMode(ZBufferMode mode);
  ZBufferMode GetZbufferMode() const { return FZBufferMode; }
  std::int32_t SetSortMode(SortMode mode);
  SortMode GetSortMode() const { return FSortMode; }

  // Scene settings: meaningful on the root frame a viewport renders.
  std::int32_t SetSceneBackground(std::uint32_t color);
  std::uint32_t GetSceneBackground() const { return FBackground; }
  std::int32_t SetSceneFogEnable(bool enable);
  std::int32_t SetSceneFogMode(FogMode mode);
  std::int32_t SetSceneFogColor(std::uint32_t color);
  std::int32_t SetSceneFogParams(float start, float end, float density);
  const SceneFog& GetSceneFog() const { return FFog; }

 private:
  friend class Light;  // a light enabled on this frame is told when the frame goes
  void RegisterEnabledLight(Light* light);
  void UnregisterEnabledLight(Light* light);
  Matrix ParentWorld() const;
  Matrix ReferenceWorld(Frame* reference) const;

  Frame* FParent = nullptr;
  std::vector<rtl::Ref<Frame>> FChildren;
  std::vector<rtl::Ref<Visual>> FVisuals;
  std::vector<rtl::Ref<Light>> FLights;
  Matrix FLocal = Matrix::Identity();
  Box FBox{};
  bool FBoxEnabled = false;
  ZBufferMode FZBufferMode = ZBufferMode::FromParent;
  SortMode FSortMode = SortMode::FromParent;
  std::uint32_t FBackground = 0;
  SceneFog FFog;
  std::vector<Light*> FEnabledLights;  // lights whose enable frame this is (not owned)
};

}  // namespace rm
