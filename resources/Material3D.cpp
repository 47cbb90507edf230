#include "resources/Material3D.h"

#include "core3d/CheckResult.h"
#include "core3d/RetainedMode.h"
#include "core3d/Stream3D.h"
#include "platform/rtl/Cast.h"
#include "resources/Texture3D.h"

namespace {
// Emissive is a percentage of a colour held in bytes: 100 % of 255 is 1.0 on the platform.
constexpr float kEmissiveScale = 25500.0f;
}  // namespace

TMaterial3D::TMaterial3D(TCollection3D* collection, const std::string& name) : TItemCollection3D(collection, name) {
  AddElements(&Color, &SpecularColor);
  // The colours act on the platform and the users themselves instead of going through the
  // structure's change forwarding.
  Color.OnChange = TNotifyEvent::Bind<&TMaterial3D::ColorChanged>(this);
  SpecularColor.OnChange = TNotifyEvent::Bind<&TMaterial3D::ApplySpecular>(this);
}

TMaterial3D::~TMaterial3D() {
  // A dying material tells nobody that its texture went: its users are detached right after.
  if (FTextureRef) FTextureRef->OnChange.Clear();
  FTextureRef.reset();
  FDXMaterial.Reset();
}

rm::Material* TMaterial3D::GetDXMaterial() {
  if (!FDXMaterial) {
    CheckResult(RetainedMode().CreateMaterial(0.0f, &FDXMaterial), "Material3D error: Create material failed");
  }
  return FDXMaterial.Get();
}

void TMaterial3D::SendSpecular(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  const rm::ColorRGB specular{r / 255.0f, g / 255.0f, b / 255.0f};
  CheckResult(GetDXMaterial()->SetSpecular(specular), "Material3D error: Set specular failed");
}

void TMaterial3D::SendPower(float power) {
  CheckResult(GetDXMaterial()->SetPower(power), "Material3D error: Set power failed");
}

void TMaterial3D::SendEmissive(float emissive) {
  const float k = emissive / kEmissiveScale;
  const rm::ColorRGB color{Color.GetComponent(TColor3D::kRed) * k, Color.GetComponent(TColor3D::kGreen) * k,
                           Color.GetComponent(TColor3D::kBlue) * k};
  CheckResult(GetDXMaterial()->SetEmissive(color), "Material3D error: Set emissive failed");
}

// Enabled, the platform gets the specular colour and power; disabled, zeros. A power of 0 with a
// colour would light every face with the full specular colour.
void TMaterial3D::SendSpecularState(bool enabled) {
  if (enabled) {
    SendSpecular(SpecularColor.GetComponent(TColor3D::kRed), SpecularColor.GetComponent(TColor3D::kGreen),
                 SpecularColor.GetComponent(TColor3D::kBlue));
    SendPower(FPower);
  } else {
    SendSpecular(0, 0, 0);
    SendPower(0.0f);
  }
}

// The emissive colour is a share of Color, so it follows Color.
void TMaterial3D::ColorChanged(TElement3D*) {
  if (FEmissiveEnabled) SendEmissive(FEmissive);
  Changed();
  NotifyReferences();
}

// A disabled specular stays zero on the platform.
void TMaterial3D::ApplySpecular(TElement3D*) {
  if (FSpecularEnabled) SendSpecularState(true);
}

void TMaterial3D::TextureChanged(TElement3D*) {
  Changed();
  NotifyReferences();
}

void TMaterial3D::SetPower(float power) {
  if (power == FPower) return;
  if (FSpecularEnabled) SendPower(power);
  FPower = power;
  Changed();
}

void TMaterial3D::SetEmissive(float emissive) {
  if (emissive == FEmissive) return;
  if (FEmissiveEnabled) SendEmissive(emissive);
  FEmissive = emissive;
  Changed();
}

void TMaterial3D::SetEmissiveEnabled(bool enabled) {
  if (enabled == EmissiveEnabled()) return;
  SendEmissive(enabled ? FEmissive : 0.0f);
  FEmissiveEnabled = enabled ? 1 : 0;
}

void TMaterial3D::SetSpecularEnabled(bool enabled) {
  if (enabled == SpecularEnabled()) return;
  SendSpecularState(enabled);
  FSpecularEnabled = enabled ? 1 : 0;
}

TReference3D& TMaterial3D::GetTextureRef() {
  if (!FTextureRef) {
    FTextureRef = std::make_unique<TReference3D>();
    FTextureRef->OnChange = TNotifyEvent::Bind<&TMaterial3D::TextureChanged>(this);
    LinkTexture();
  }
  return *FTextureRef;
}

void TMaterial3D::LinkTexture() {
  if (!FTextureRef) return;
  // Outside any collection there are no textures to resolve against: the name waits.
  const auto* materials = rtl::CheckedCast<TCollectionMaterial3D>(Collection());
  FTextureRef->SetCollection(materials != nullptr ? materials->Textures() : nullptr);
}

TTexture3D* TMaterial3D::Texture() const {
  return FTextureRef ? rtl::CheckedCast<TTexture3D>(FTextureRef->Item()) : nullptr;
}

TTexture3D* TMaterial3D::GetTexture() {
  GetTextureRef();
  return Texture();
}

void TMaterial3D::SetTexture(TTexture3D* texture) {
  if (texture != GetTexture()) GetTextureRef().SetItem(texture);
}

// With both switches on, the colours' hooks bring the platform to the enabled state with the values
// held so far; the setters below then send what differs and switch off what the record disables.
void TMaterial3D::ApplyValues(float power, float emissive, bool emissiveEnabled, bool specularEnabled) {
  SetPower(power);
  SetEmissive(emissive);
  SetEmissiveEnabled(emissiveEnabled);
  SetSpecularEnabled(specularEnabled);
}

void TMaterial3D::Assign(const TElement3D& source) {
  const auto& other = rtl::CheckedCast<const TMaterial3D>(source);
  if (&other == this) return;  // the switches are turned on below before the source's are read
  TUpdateBracket bracket(*this);
  FEmissiveEnabled = 1;
  FSpecularEnabled = 1;
  TItemCollection3D::Assign(other);
  ApplyValues(other.FPower, other.FEmissive, other.EmissiveEnabled(), other.SpecularEnabled());
  SetTexture(other.Texture());
}

void TMaterial3D::LoadFromStream(rtl::TStream& stream) {
  TUpdateBracket bracket(*this);
  FEmissiveEnabled = 1;
  FSpecularEnabled = 1;
  TItemCollection3D::LoadFromStream(stream);
  const float power = ReadSingle(stream);
  const float emissive = ReadSingle(stream);
  const bool emissiveEnabled = ReadByte(stream) != 0;
  const bool specularEnabled = ReadByte(stream) != 0;
  GetTextureRef().LoadFromStream(stream);
  ApplyValues(power, emissive, emissiveEnabled, specularEnabled);
}

void TMaterial3D::SaveToStream(rtl::TStream& stream) {
  TItemCollection3D::SaveToStream(stream);
  WriteSingle(stream, FPower);
  WriteSingle(stream, FEmissive);
  WriteByte(stream, FEmissiveEnabled);
  WriteByte(stream, FSpecularEnabled);
  WriteString(stream, FTextureRef ? FTextureRef->GetItemName() : std::string());
}

TCollectionMaterial3D::TCollectionMaterial3D(TCollection3D* collection, const std::string& name)
    : TCollection3D(collection, name) {
  SetItemClass(&ItemClassOf<TMaterial3D>);
}

void TCollectionMaterial3D::SetTextures(TCollectionTexture3D* textures) {
  if (textures == FTextures) return;
  FTextures = textures;
  for (int i = 0; i < Count(); ++i) rtl::CheckedCast<TMaterial3D>(GetItem(i))->LinkTexture();
}
