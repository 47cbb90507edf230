#pragma once

// The frame that carries the world's background colour, its fog and an optional background mesh
// drawn behind everything. While no map is set the setters only store their values.

#include <cstdint>

#include "core3d/Color3D.h"
#include "core3d/Reference3D.h"
#include "scene/Frame3D.h"

class TCollectionMesh3D;
class TMap3D;
class TVisual3D;

class TBackground3D : public TFrame3D {
 public:
  TBackground3D();
  // The reference lets go of the mesh without calling back into the dying frame.
  ~TBackground3D() override;

  const char* ClassName() const override { return "TBackground3D"; }

  void Assign(const TElement3D& source) override;
  // The frame record, the mesh's name, the colour, Enabled, FogEnable, FogStart, FogEnd.
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

  TVisual3D* GetMesh() const;
  void SetMesh(TVisual3D* mesh);
  void SetMeshes(TCollectionMesh3D* meshes);
  void SetMap(TMap3D* map) { FMap = map; }
  void SetEnabled(bool enabled) { FEnabled = enabled ? 1 : 0; }
  // The map's root gets the fog as set; the background frame gets it nine times as far away.
  void SetFogEnable(bool on);
  void SetFogStart(float start);
  void SetFogEnd(float end);

  TColor3D& Color() { return FColor; }
  TReference3D& MeshRef() { return FMeshRef; }
  rm::Visual* DXVisual() const { return FDXVisual; }
  bool Enabled() const { return FEnabled != 0; }
  bool FogEnable() const { return FFogEnable != 0; }
  float FogStart() const { return FFogStart; }
  float FogEnd() const { return FFogEnd; }

 private:
  void MeshChanged(TElement3D* sender);
  void ColorChanged(TElement3D* sender);
  // Sends the fog distances; `failure` is the message for the map root's refusal.
  void SendFogParams(const char* failure);
  rm::Frame* MapRootFrame() const;

  // The background's parent, so that its position reaches the platform.
  TFrame3D FAnchor;
  TReference3D FMeshRef;
  rm::Visual* FDXVisual = nullptr;  // held by the platform frame while added
  TMap3D* FMap = nullptr;
  TColor3D FColor;
  std::uint8_t FEnabled = 1;
  std::uint8_t FFogEnable = 0;
  float FFogStart = 0.0f;
  float FFogEnd = 0.0f;
};
