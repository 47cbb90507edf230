#pragma once

// The common base of the visual resources (textures and meshes): a bounding box computed lazily,
// a topology box, and a change counter.

#include <cstdint>

#include "core3d/Box3D.h"
#include "core3d/ItemCollection3D.h"
#include "core3d/TopologyBox3D.h"
#include "platform/rm/Object.h"

class TVisual3D : public TItemCollection3D {
 public:
  TVisual3D(TCollection3D* collection, const std::string& name);

  const char* ClassName() const override { return "TVisual3D"; }

  // The box, recomputed first when the content changed since it was last computed. A cache: asking
  // for it does not change the resource.
  TBox3D& GetBox() const;
  void Touch() { ++FVersion; }
  // Recomputes Box; subclasses know how.
  virtual void UpdateBox() const {}

  void Assign(const TElement3D& source) override;
  // The visual record: the structure part, Box (after UpdateBox when saving), TopologyBox.
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

  TTopologyBox3D TopologyBox;
  std::int32_t Version() const { return FVersion; }
  std::int32_t BoxVersion() const { return FBoxVersion; }
  // The platform object frames show for this resource (the texture or the mesh itself).
  rm::Visual* DXVisual() const { return FDXVisual; }

 protected:
  void SetBoxVersion(std::int32_t version) const { FBoxVersion = version; }
  void SetDXVisual(rm::Visual* visual) { FDXVisual = visual; }
  mutable TBox3D FBox;

 private:
  std::int32_t FVersion = 0;
  mutable std::int32_t FBoxVersion = -1;
  rm::Visual* FDXVisual = nullptr;  // held by the subclass
};
