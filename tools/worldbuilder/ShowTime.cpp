#include "tools/worldbuilder/ShowTime.h"

#include "anim/Motion3D.h"
#include "scene/Object3D.h"
#include "scene/Scene3D.h"

namespace worldbuilder {

TShowTime::TShowTime(TMap3D& map, float start) : FStart(start) {
  for (int s = 0; s < map.Scenes().Count(); ++s) {
    TCollectionObject3D& objects = static_cast<TScene3D*>(map.Scenes().GetItem(s))->Objects();
    for (int i = 0; i < objects.Count(); ++i) {
      TCollectionMotion3D& motions = static_cast<TObject3D*>(objects.GetItem(i))->Motions();
      if (motions.Count() == 0 || motions.Playing()) continue;
      auto& motion = *static_cast<TMotion3D*>(motions.GetItem(0));
      motion.SetLoop(true);
      motions.Play(motion);
    }
  }
  AdvanceMotions(FStart);
}

void TShowTime::At(float seconds) { AdvanceMotions(FStart + seconds); }

}  // namespace worldbuilder
