#pragma once

// Restarts a sound item's sound whenever the whole-key part of the time goes down: a looping
// motion wrapped or a motion started again. It holds no keys.

#include <cstdint>
#include <limits>
#include <memory>

#include "anim/Animation3D.h"

class TItemSound3D;

class TItemSoundAnimation3D : public TAnimation3D {
 public:
  explicit TItemSoundAnimation3D(TItemSound3D* soundItem) : FSoundItem(soundItem) {}

  const char* ClassName() const override { return "TItemSoundAnimation3D"; }

  std::unique_ptr<TKey3D> CreateKey() override { return nullptr; }
  // Plays at the first update and whenever the time fell below the last whole key; Active is
  // not consulted.
  void Update() override;

  TItemSound3D* SoundItem() const { return FSoundItem; }
  std::int32_t LastIndex() const { return FLastIndex; }

 private:
  TItemSound3D* FSoundItem;
  std::int32_t FLastIndex = std::numeric_limits<std::int32_t>::max();
};
