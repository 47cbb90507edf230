#include "scene/SoundAnimation3D.h"

#include <algorithm>
#include <cmath>

#include "scene/ItemSound3D.h"
#include "sound/Sound.h"

// Times beyond the 32-bit range count as its ends, so the conversion cannot overflow; a time that
// is not a number changes nothing.
void TItemSoundAnimation3D::Update() {
  const double whole = std::trunc(static_cast<double>(Time()));
  if (std::isnan(whole)) return;
  constexpr double kLow = std::numeric_limits<std::int32_t>::min();
  constexpr double kHigh = std::numeric_limits<std::int32_t>::max();
  const auto index = static_cast<std::int32_t>(std::clamp(whole, kLow, kHigh));
  if (index < FLastIndex && FSoundItem != nullptr) FSoundItem->GetSound().Play();
  FLastIndex = index;
}
