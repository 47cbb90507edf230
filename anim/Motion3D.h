#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core3d/Collection3D.h"
#include "platform/rtl/Event.h"

class TAnimation3D;
class TCollectionMotion3D;
class TMotion3D;

// A motion callback: a routine bound to the object that listens, called with the motion.
using TMotionEvent = rtl::TEvent<TMotion3D*>;

// Turns wall-clock seconds into a key position: plays the keys First..Last forwards or backwards,
// once or looping, at Rate keys per second, and sets that position as the time of its collection's
// animation. Duration × Rate = Last − First + 1; a looping motion repeats every Last − First keys.
// The arithmetic is done in single precision.
class TMotion3D : public TItemCollection3D {
 public:
  // Covers every key of the collection's animation and of its direct children, at 16 keys a second.
  TMotion3D(TCollection3D* collection, const std::string& name);
  // Stops the motion; it leaves the playing list even when its stop handler played it again.
  ~TMotion3D() override;

  const char* ClassName() const override { return "TMotion3D"; }

  void Assign(const TElement3D& source) override;
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

  // The range setters refuse a negative or non-finite position and a crossed range, keeping the
  // old value; neither recomputes Duration or Rate.
  void SetFirst(float x);
  void SetLast(float x);
  // Both keep the other one in step; values of 0 or less become 0.001.
  void SetDuration(float x);
  void SetRate(float x);
  void SetLoop(bool loop) { FLoop = loop ? 1 : 0; }
  void SetReverse(bool reverse) { FReverse = reverse ? 1 : 0; }

  // The next Advance takes its time as the start.
  void Start();
  // Only while playing: leaves the playing list through the collection, then calls OnStop.
  void Stop();
  // Moves Current to the key position `now` seconds give, sets it as the animation's time, then
  // calls OnStep. A motion that runs once stops at the end of its range.
  void Advance(float now);

  float First() const { return FFirst; }
  float Last() const { return FLast; }
  bool Loop() const { return FLoop != 0; }
  bool Reverse() const { return FReverse != 0; }
  float Duration() const { return FDuration; }
  float StartTime() const { return FStartTime; }
  float Rate() const { return FRate; }
  float Current() const { return FCurrent; }
  bool Playing() const { return FPlaying; }
  // The collection the motion was created in, when that is a motion collection.
  TCollectionMotion3D* CollectionMotion() const { return FCollectionMotion; }

  TMotionEvent OnStart;
  TMotionEvent OnStop;
  TMotionEvent OnStep;

 private:
  friend class TCollectionMotion3D;  // a collection that stops ends its motion's playing state

  float Span() const { return FLast - FFirst; }
  void SetRange(float last, float first, float duration);
  float LoopPosition(float keys) const;
  void RunOnce(float keys);
  float Clamped(float position) const;
  TAnimation3D* Animation() const;

  // Kept from construction: a collection unregisters an item before freeing it, and a dying
  // motion must still reach the collection that plays it.
  TCollectionMotion3D* FCollectionMotion;
  float FFirst = 0.0f;
  float FLast = 0.0f;
  std::uint8_t FLoop = 1;  // stored bytes, so a record saves back exactly as read
  std::uint8_t FReverse = 0;
  float FDuration = 0.0f;
  float FStartTime = 0.0f;
  float FRate = 16.0f;
  float FCurrent = 0.0f;
  bool FPlaying = false;
};

// The named motions of one animated object; it plays at most one of them at a time and only its
// own. Playing motions sit in one list of the program that AdvanceMotions walks every frame.
class TCollectionMotion3D : public TCollection3D {
 public:
  TCollectionMotion3D(TCollection3D* collection, const std::string& name);
  // Stops, then frees the motions while the collection is still whole, since they stop through it.
  ~TCollectionMotion3D() override;

  const char* ClassName() const override { return "TCollectionMotion3D"; }

  void SetAnimation(TAnimation3D* animation) { FAnimation = animation; }
  // A motion whose range is a single key is not played.
  void Play(TMotion3D& motion);
  // Takes the current motion out of the playing list; its stop handler is not called.
  void Stop();

  TAnimation3D* Animation() const { return FAnimation; }
  TMotion3D* CurrentMotion() const { return FCurrentMotion; }
  bool Playing() const { return FPlaying; }

 private:
  friend class TMotion3D;  // a dying motion drops the collection's link to it

  void MotionDestroyed(TMotion3D& motion);

  TAnimation3D* FAnimation = nullptr;
  TMotion3D* FCurrentMotion = nullptr;
  bool FPlaying = false;
};

// The motions now playing, in the order they started.
const std::vector<TMotion3D*>& PlayingMotions();

// Advances every playing motion to `now` seconds. A motion that stops leaves the list at once, so
// the one after it moves into its place and waits for the next pass; one started meanwhile is
// appended and reached in this pass.
void AdvanceMotions(float now);
