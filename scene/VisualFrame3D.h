#pragma once

// A frame that keeps the bounding box, in scene coordinates, of everything visual below it: its
// visual frame descendants that count in boxes and the visual items. The box is recomputed when
// asked for while stale; a change anywhere below marks the whole chain of visual ancestors stale.

#include <cstdint>

#include "core3d/Box3D.h"
#include "scene/Frame3D.h"

class TVisualFrame3D : public TFrame3D {
 public:
  // The box starts stale: nothing has been gathered into it yet.
  TVisualFrame3D() { MarkInvalid(kInvalidBox); }

  const char* ClassName() const override { return "TVisualFrame3D"; }

  void Assign(const TElement3D& source) override;
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

  // The frame's operation, then the box is marked stale up the chain.
  void Invalidate(std::uint32_t flags) override;
  const TBox3D* ContributedBox() override { return InBox() ? &GetBox() : nullptr; }

  TBox3D& GetBox();
  void InvalidateBox();
  void SetInBox(bool inBox) { FInBox = inBox ? 1 : 0; }

  bool InBox() const { return FInBox != 0; }

 private:
  void IncludeSubtree(TFrame3D& frame);

  TBox3D FBox;
  std::uint8_t FInBox = 1;  // the stored byte, so that a record saves back exactly as read
};
