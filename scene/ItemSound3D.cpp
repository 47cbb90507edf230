#include "scene/ItemSound3D.h"

#include "core3d/Collection3D.h"
#include "core3d/Stream3D.h"
#include "platform/rtl/Cast.h"
#include "platform/rtl/Exceptions.h"
#include "scene/Construction3D.h"
#include "sound/Sound.h"

namespace {

constexpr const char* kNotAssigned = "ItemSound3D: Sound not assigned";

std::string TemplateNameOf(const TSound3D* sound) {
  if (sound == nullptr) return {};
  return sound->TemplateName().empty() ? sound->Name() : sound->TemplateName();
}

}  // namespace

TItemSound3D::~TItemSound3D() { Unfollow(); }

TSound3D* TItemSound3D::Sound() const { return rtl::CheckedCast<TSound3D>(FSoundRef.Item()); }

TSound3D& TItemSound3D::GetSound() const {
  TSound3D* sound = Sound();
  if (sound == nullptr) throw rtl::Exception(kNotAssigned);
  return *sound;
}

void TItemSound3D::UpdateSound(TSound3D*) {
  TSound3D* sound = Sound();
  if (sound == nullptr) return;
  sound->Position().Assign(GetPosition());
  sound->ConeOrientation().Assign(GetOrientation().Direction);
}

void TItemSound3D::Invalidate(std::uint32_t flags) {
  TItem3D::Invalidate(flags);
  UpdateSound();
}

void TItemSound3D::Link() {
  TCollectionConstruction3D* constructions = ConstructionCollection(Construction());
  if (constructions != nullptr && constructions->Sounds() != nullptr) FSoundRef.SetCollection(constructions->Sounds());
}

void TItemSound3D::Follow(TSound3D& sound) { sound.OnUpdate = TSoundEvent::Bind<&TItemSound3D::UpdateSound>(this); }

// Only a handler that is this item's own is removed.
void TItemSound3D::Unfollow() {
  TSound3D* sound = Sound();
  if (sound != nullptr && sound->OnUpdate == TSoundEvent::Bind<&TItemSound3D::UpdateSound>(this)) {
    sound->OnUpdate.Clear();
  }
}

void TItemSound3D::DeleteSound() {
  TSound3D* sound = Sound();
  if (sound == nullptr) return;
  Unfollow();
  sound->Collection()->Delete(sound);
}

// The copied name is stored also when it is empty: otherwise clearing the sound and setting the
// same template again would stop at the name check and leave the item silent.
void TItemSound3D::SetSound(TSound3D* sound) {
  const std::string name = TemplateNameOf(sound);
  // Its own copy is never a new template: deleting it first would leave nothing to copy from.
  if (name == FSoundName || (sound != nullptr && sound == Sound())) return;
  Link();
  DeleteSound();
  FSoundName = name;
  if (name.empty()) return;
  TCollection3D* sounds = FSoundRef.Collection();
  if (sounds == nullptr) throw rtl::Exception(kNotAssigned);
  auto& copy = rtl::CheckedCast<TSound3D>(*sounds->Add(sounds->UniqueName(name)));
  FSoundRef.SetItem(&copy);
  copy.Assign(*sound);
  UpdateSound();
  Follow(copy);
}

void TItemSound3D::Assign(const TElement3D& source) {
  const auto& other = rtl::CheckedCast<const TItemSound3D>(source);
  TUpdateBracket bracket(*this);
  TItem3D::Assign(source);
  SetSound(other.Sound());
}

void TItemSound3D::LoadFromStream(rtl::TStream& stream) {
  TUpdateBracket bracket(*this);
  TItem3D::LoadFromStream(stream);
  Link();
  Unfollow();
  FSoundName = ReadString(stream);
  FSoundRef.LoadFromStream(stream);
  Follow(GetSound());
}

void TItemSound3D::SaveToStream(rtl::TStream& stream) {
  TItem3D::SaveToStream(stream);
  WriteString(stream, FSoundName);
  FSoundRef.SaveToStream(stream);
}
