#pragma once

// The node of the scene graph. Each frame owns one retained-mode frame and mirrors it: parent and
// children (never owned: constructions, scenes and the map own them), position and orientation
// relative to the scene root, visibility by a clip box, depth buffering, and a key animation.
//
// A root frame keeps its position and orientation only in its caches. Once attached, the platform
// frame holds the truth and the caches are refreshed lazily: the Invalid bits say which are stale.

#include <cstdint>
#include <memory>
#include <vector>

#include "anim/FrameAnimation3D.h"
#include "core3d/Box3D.h"
#include "core3d/Orientation3D.h"
#include "core3d/Structure3D.h"
#include "core3d/Vector3D.h"
#include "platform/rm/Frame.h"
#include "platform/rtl/RefCounted.h"

class TFrame3D : public TStructure3D, public TAnimatedFrame3D {
 public:
  TFrame3D();
  // Children become roots, the frame leaves its parent, then the platform frame is released.
  ~TFrame3D() override;
  TFrame3D(const TFrame3D&) = delete;
  TFrame3D& operator=(const TFrame3D&) = delete;

  const char* ClassName() const override { return "TFrame3D"; }

  void Assign(const TElement3D& source) override;
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

  // Adds flags and the box bits to every child; a child that has children passes the flags on
  // through its own Invalidate. The frame's own bits are left alone.
  virtual void Invalidate(std::uint32_t flags);
  // Pushes the cached position, then the cached orientation, to the platform.
  virtual void Apply();
  // The box this frame adds to the boxes of its visual ancestors, which then search its subtree
  // too; null when neither it nor its subtree counts.
  virtual const TBox3D* ContributedBox() { return nullptr; }

  void SetParent(TFrame3D* frame);
  int ChildCount() const { return static_cast<int>(FChildren.size()); }
  TFrame3D* GetChild(int index) const;
  void ClearChildren();

  // The root of the platform tree: the reference of every position and orientation exchanged.
  rm::Frame* GetScene() const;
  // The caches, refreshed from the platform first when stale.
  TVector3D& GetPosition();
  TOrientation3D& GetOrientation();
  void ReadPosition();
  void ReadOrientation();
  // Nothing for a root frame, nor while the animation has keys (the animation moves the frame).
  void WritePosition();
  void WriteOrientation();
  // Puts the frame where its caches say in the scene it now lies in, keys or not, and takes the
  // caches as exact: for a frame that has just come into a scene, whose caches were read in another
  // one. A keyed frame stands there as a frame loaded from a file does, until its animation's next
  // time step moves it.
  void PlaceInScene();

  void SetVisible(bool visible);
  // Hidden stays hidden: the frame is clipped when asked to be or when it is not visible.
  void SetClipped(bool clip);
  void SetDXBox(const rm::Box& box);
  void SetDXBoxEnable(bool enable);
  void SetZBuffer(bool zBuffer);
  void SetMarked(bool marked) { FMarked = marked; }
  void SetTag(std::int32_t tag) { FTag = tag; }
  void SetFollowCamera(std::uint8_t followCamera) { FFollowCamera = followCamera; }

  // Replaces the box by the box around its eight corners carried from frame to scene coordinates.
  void TransformBox(TBox3D& box) const;
  // Copies the camera components that FollowCamera names into this frame: bits 1, 2, 4 the x, y, z
  // of direction and up; bits 8, 16, 32 the x, y, z of the position.
  void Follow(TFrame3D& camera);

  rm::Frame* DXFrame() const override { return FDXFrame.Get(); }
  void MarkMoved(std::uint32_t flags) override;

  bool Visible() const { return FVisible; }
  bool Clipped() const { return FClipped; }
  TFrame3D* Parent() const { return FParent; }
  std::uint32_t Invalid() const { return FInvalid; }
  std::int32_t Tag() const { return FTag; }
  bool ZBuffer() const { return FZBuffer; }
  bool Marked() const { return FMarked; }
  TFrameAnimation3D& Animation() const { return *FAnimation; }
  std::uint8_t FollowCamera() const { return FFollowCamera; }

 protected:
  void MarkInvalid(std::uint32_t bits) { FInvalid |= bits; }
  void ClearInvalid(std::uint32_t bits) { FInvalid &= ~bits; }

 private:
  void PositionChanged(TElement3D* sender);
  void OrientationChanged(TElement3D* sender);
  // The platform frame takes its transform from the caches: attached, and no animation keys.
  bool WritesTransform() const;
  void SendPosition();
  void SendOrientation();
  void ApplyClipping(bool clipped);
  void RemoveChild(TFrame3D& child);
  // Cuts the link to the parent without raising: for the destructor, which cannot report.
  void DetachQuietly();

  rtl::Ref<rm::Frame> FDXFrame;
  bool FVisible = true;
  bool FClipped = false;
  TFrame3D* FParent = nullptr;
  TVector3D FPosition;
  TOrientation3D FOrientation;
  std::uint32_t FInvalid = 0;
  std::int32_t FTag = 0;
  bool FZBuffer = true;
  bool FMarked = false;
  std::unique_ptr<TFrameAnimation3D> FAnimation;
  std::uint8_t FFollowCamera = 0;
  std::vector<TFrame3D*> FChildren;
};
