#pragma once

// An item that shows a visual resource (a mesh or a texture) named by a reference. It keeps the
// visual's box and topology box carried to scene coordinates, both recomputed lazily: bit 4 of
// Invalid marks the box stale, bit 8 the topology box.

#include "core3d/Box3D.h"
#include "core3d/Reference3D.h"
#include "core3d/TopologyBox3D.h"
#include "scene/Item3D.h"

class TVisual3D;

class TVisualItem3D : public TItem3D {
 public:
  TVisualItem3D();
  // The reference lets go of the visual without calling back into the dying item.
  ~TVisualItem3D() override;

  const char* ClassName() const override { return "TVisualItem3D"; }

  void Assign(const TElement3D& source) override;
  // The item record, the visual's name, the topology box. The name is read once Link chose the
  // collection it is looked up in.
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

  // The frame's operation, then the world box is marked stale.
  void Invalidate(std::uint32_t flags) override;
  void Refresh() override;
  const TBox3D* ContributedBox() override { return &GetBox(); }

  TVisual3D* GetVisual() const;
  void SetVisual(TVisual3D* visual);
  void InvalidateWorldBox();
  // Without a visual the stale box is returned as it is.
  TBox3D& GetBox();
  void UpdateTopology();
  // Read from the mesh's surfaces in order: the last surface that has a say decides.
  bool IsDecal() const;
  bool IsTransparent() const;

  TBox3D& WorldBox() { return FWorldBox; }
  TTopologyBox3D& TopologyBox() { return FTopologyBox; }
  rm::Visual* DXVisual() const { return FDXVisual; }
  TReference3D& VisualRef() { return FVisualRef; }

 private:
  void VisualChanged(TElement3D* sender);
  void AddDXVisual(rm::Visual* visual);
  void DeleteDXVisual();

  TBox3D FWorldBox;
  TTopologyBox3D FTopologyBox;
  rm::Visual* FDXVisual = nullptr;  // held by the platform frame while added
  TReference3D FVisualRef;
};
