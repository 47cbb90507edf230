#pragma once

// An item that plays a positional sound at its frame. Each sound item plays a private copy of a
// template sound, added to the sound collection under the template's name and a four-digit counter;
// the copy pulls the item's position and direction on every update.

#include <string>

#include "core3d/Reference3D.h"
#include "scene/Item3D.h"
#include "scene/SoundAnimation3D.h"

class TSound3D;

class TItemSound3D : public TItem3D {
 public:
  TItemSound3D() : FSoundAnimation(this) {}
  // The private sound stops calling back into the dying item.
  ~TItemSound3D() override;

  const char* ClassName() const override { return "TItemSound3D"; }

  void Assign(const TElement3D& source) override;
  // The item record, the template's name, the private sound's name. A record naming no sound
  // raises "ItemSound3D: Sound not assigned".
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

  // The frame's operation, then the sound follows the frame.
  void Invalidate(std::uint32_t flags) override;
  // The reference looks in the sounds of the construction's collection.
  void Link() override;

  // Raises "ItemSound3D: Sound not assigned" when there is none.
  TSound3D& GetSound() const;
  // Replaces the private copy by a fresh copy of `sound`; nothing when the template's name is the
  // one already copied. Null removes the copy.
  void SetSound(TSound3D* sound);
  // Copies the frame's position and direction into the private sound, when there is one.
  void UpdateSound(TSound3D* sender = nullptr);

  const std::string& SoundName() const { return FSoundName; }
  TReference3D& SoundRef() { return FSoundRef; }
  TItemSoundAnimation3D& SoundAnimation() { return FSoundAnimation; }

 private:
  TSound3D* Sound() const;
  void Follow(TSound3D& sound);
  void Unfollow();
  void DeleteSound();

  std::string FSoundName;
  TReference3D FSoundRef;
  TItemSoundAnimation3D FSoundAnimation;
};
