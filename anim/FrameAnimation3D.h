#pragma once

// Key animation of a frame: per key index an optional position, rotation and scale, turned into one
// retained-mode animation that is rebuilt only when keys change. Key index i lies at animation time
// i, so time is measured in keys and the platform interpolates between them.

#include <cstdint>
#include <memory>

#include "anim/Animation3D.h"
#include "core3d/Rotation3D.h"
#include "core3d/Vector3D.h"
#include "platform/rm/Animation.h"
#include "platform/rm/Frame.h"
#include "platform/rtl/RefCounted.h"

// What a frame animation needs of the frame it moves. The frames live in the layer above the
// animations, so the animation reaches its frame through this; TFrame3D is the implementation.
class TAnimatedFrame3D {
 public:
  // Bits of a frame's Invalid set: which of its caches are stale.
  static constexpr std::uint32_t kInvalidPosition = 1;
  static constexpr std::uint32_t kInvalidOrientation = 2;
  static constexpr std::uint32_t kInvalidBox = 4;
  static constexpr std::uint32_t kInvalidTopology = 8;

  virtual rm::Frame* DXFrame() const = 0;
  // The platform moved the frame: its own caches named by `flags` are stale, and so are those of
  // its descendants (Invalid |= flags, then Invalidate(flags)).
  virtual void MarkMoved(std::uint32_t flags) = 0;

 protected:
  ~TAnimatedFrame3D() = default;
};

// One key: what the frame shows at the key's index. Each value marks itself used when it changes.
class TFrameKey3D : public TKey3D {
 public:
  explicit TFrameKey3D(TAnimation3D* keyAnimation);

  const char* ClassName() const override { return "TFrameKey3D"; }

  void SetUsePosition(bool use);
  void SetUseRotation(bool use);
  void SetUseScale(bool use);

  void Assign(const TElement3D& source) override;
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

  bool UsePosition() const { return FUsePosition != 0; }
  bool UseRotation() const { return FUseRotation != 0; }
  bool UseScale() const { return FUseScale != 0; }

  TVector3D KeyPosition;
  // Relative to the previous rotation key: the animation composes them.
  TRotation3D KeyRotation;
  TVector3D KeyScale;

 private:
  void PositionChanged(TElement3D* sender);
  void RotationChanged(TElement3D* sender);
  void ScaleChanged(TElement3D* sender);
  void SetFlag(std::uint8_t& flag, bool use);
  void InvalidateAnimation();

  // The stored bytes, so that a record saves back exactly as read.
  std::uint8_t FUsePosition = 0;
  std::uint8_t FUseRotation = 0;
  std::uint8_t FUseScale = 0;
};

class TFrameAnimation3D : public TAnimation3D {
 public:
  TFrameAnimation3D() = default;
  // The platform animation goes with its reference.
  ~TFrameAnimation3D() override = default;

  const char* ClassName() const override { return "TFrameAnimation3D"; }

  std::unique_ptr<TKey3D> CreateKey() override;
  // Rebuilds the platform animation when keys changed, sets its time while the frame is shown (or
  // always animated), and marks the frame and its descendants to read their transforms back.
  void Update() override;

  void ReleaseAnimation();
  // A new frame needs a new platform animation bound to it.
  void SetFrame(TAnimatedFrame3D* frame);

  rm::Animation* DXAnimation() const { return FDXAnimation.Get(); }
  TAnimatedFrame3D* Frame() const { return FFrame; }

 private:
  void Build();
  void AddKeys();

  rtl::Ref<rm::Animation> FDXAnimation;
  TAnimatedFrame3D* FFrame = nullptr;
};
