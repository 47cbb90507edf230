#pragma once

// A named surface description shared by mesh groups: a diffuse colour with alpha, a specular colour
// and power, an emissive intensity and an optional texture by name. The platform material carries
// specular, power and emissive; the diffuse colour and the texture are read by the groups that use
// the material, which hear of every change through the material's reference list.

#include <cstdint>
#include <memory>
#include <string>

#include "core3d/Collection3D.h"
#include "core3d/Color3D.h"
#include "core3d/ItemCollection3D.h"
#include "core3d/Reference3D.h"
#include "platform/rm/Material.h"

class TCollectionTexture3D;
class TTexture3D;

class TMaterial3D : public TItemCollection3D {
 public:
  TMaterial3D(TCollection3D* collection, const std::string& name);
  ~TMaterial3D() override;

  const char* ClassName() const override { return "TMaterial3D"; }

  // The platform material, created on first use.
  rm::Material* GetDXMaterial();
  void SendSpecular(std::uint8_t r, std::uint8_t g, std::uint8_t b);
  void SendPower(float power);
  // `emissive` is a percentage of Color: 100 emits the full diffuse colour.
  void SendEmissive(float emissive);

  void SetPower(float power);
  void SetEmissive(float emissive);
  void SetEmissiveEnabled(bool enabled);
  void SetSpecularEnabled(bool enabled);

  // The texture reference, created and linked to the collection's textures on first use.
  TReference3D& GetTextureRef();
  void LinkTexture();
  TTexture3D* GetTexture();
  void SetTexture(TTexture3D* texture);

  void Assign(const TElement3D& source) override;
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

  float Power() const { return FPower; }
  float Emissive() const { return FEmissive; }
  bool EmissiveEnabled() const { return FEmissiveEnabled != 0; }
  bool SpecularEnabled() const { return FSpecularEnabled != 0; }
  // The texture without creating the reference: null while there is none.
  TTexture3D* Texture() const;

  TColor3D Color;
  TColor3D SpecularColor;

 private:
  // Hooks of Color, SpecularColor and the texture reference.
  void ColorChanged(TElement3D* sender);
  void ApplySpecular(TElement3D* sender);
  void TextureChanged(TElement3D* sender);
  void SendSpecularState(bool enabled);
  // Power, emissive and the two switches through their setters (loading and assigning).
  void ApplyValues(float power, float emissive, bool emissiveEnabled, bool specularEnabled);

  rtl::Ref<rm::Material> FDXMaterial;
  float FPower = 0.0f;
  float FEmissive = 0.0f;
  std::uint8_t FEmissiveEnabled = 0;
  std::uint8_t FSpecularEnabled = 0;
  std::unique_ptr<TReference3D> FTextureRef;
};

// The materials of the world, with the texture collection their texture names resolve in.
class TCollectionMaterial3D : public TCollection3D {
 public:
  TCollectionMaterial3D(TCollection3D* collection, const std::string& name);

  const char* ClassName() const override { return "TCollectionMaterial3D"; }

  // Links every material's texture reference to the new collection (resolving pending names).
  void SetTextures(TCollectionTexture3D* textures);
  TCollectionTexture3D* Textures() const { return FTextures; }

 private:
  TCollectionTexture3D* FTextures = nullptr;
};
