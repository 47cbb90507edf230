#include "anim/Motion3D.h"

#include <algorithm>
#include <cmath>

#include "anim/Animation3D.h"
#include "core3d/SnapValue.h"
#include "core3d/Stream3D.h"
#include "platform/rtl/Cast.h"

namespace {

constexpr float kDefaultRate = 16.0f;
// The least Duration and Rate that a setter accepts.
constexpr float kLeastTiming = 0.001f;
// Room for every motion of a world, so starting and stopping motions frame by frame never
// allocates; the list grows past it only once, should a world play more.
constexpr std::size_t kReservedMotions = 256;

// Created on first use and never freed: a motion that dies while static objects are being torn
// down at exit still finds it.
std::vector<TMotion3D*>& PlayingList() {
  static std::vector<TMotion3D*>* const list = [] {
    auto* motions = new std::vector<TMotion3D*>();
    motions->reserve(kReservedMotions);
    return motions;
  }();
  return *list;
}

// The highest key index of the animation and of its direct children, but at least 0.
int LastKeyIndex(const TAnimation3D* animation) {
  if (animation == nullptr) return 0;
  int last = animation->KeyCount() - 1;
  for (int i = 0; i < animation->ChildCount(); ++i) last = std::max(last, animation->GetChild(i)->KeyCount() - 1);
  return std::max(last, 0);
}

// A position that is not finite is out of range too: it would reach the animations as their time.
bool OutOfRange(float position) { return !std::isfinite(position) || position < 0.0f; }

}  // namespace

TMotion3D::TMotion3D(TCollection3D* collection, const std::string& name)
    : TItemCollection3D(collection, name), FCollectionMotion(dynamic_cast<TCollectionMotion3D*>(collection)) {
  SetFirst(0.0f);
  SetLast(static_cast<float>(LastKeyIndex(Animation())));
  SetRate(kDefaultRate);
}

TMotion3D::~TMotion3D() {
  Stop();
  if (FCollectionMotion != nullptr) FCollectionMotion->MotionDestroyed(*this);
}

void TMotion3D::SetFirst(float x) {
  if (OutOfRange(x)) throw rtl::Exception("Motion3D error: first key out of range");
  if (x > FLast) throw rtl::Exception("Motion3D error: First > Last");
  FFirst = x;
}

void TMotion3D::SetLast(float x) {
  if (OutOfRange(x)) throw rtl::Exception("Motion3D error: last key out of range");
  if (x < FFirst) throw rtl::Exception("Motion3D error: Last < First");
  FLast = x;
}

void TMotion3D::SetDuration(float x) {
  FDuration = x > 0.0f ? x : kLeastTiming;
  FRate = (Span() + 1.0f) / FDuration;
}

void TMotion3D::SetRate(float x) {
  FRate = x > 0.0f ? x : kLeastTiming;
  FDuration = (Span() + 1.0f) / FRate;
}

// Through the checking setters, in the record's order: each range check sees the other end's old
// value, so a range that lies wholly below the current First is refused.
void TMotion3D::SetRange(float last, float first, float duration) {
  SetLast(last);
  SetFirst(first);
  SetDuration(duration);
}

void TMotion3D::Start() {
  FStartTime = 0.0f;
  FPlaying = true;
  OnStart(this);
}

void TMotion3D::Stop() {
  if (!FPlaying) return;
  FPlaying = false;
  if (FCollectionMotion != nullptr && FCollectionMotion->CurrentMotion() == this) FCollectionMotion->Stop();
  OnStop(this);
}

void TMotion3D::Advance(float now) {
  if (FStartTime == 0.0f) FStartTime = now;
  const float keys = (now - FStartTime) * FRate;
  if (Loop()) {
    FCurrent = LoopPosition(keys);
  } else {
    RunOnce(keys);
  }
  FCurrent = SnapValue(Clamped(FCurrent));
  if (TAnimation3D* animation = Animation()) animation->SetTime(FCurrent);
  OnStep(this);
}

float TMotion3D::LoopPosition(float keys) const {
  const float span = Span();
  // A single-key range has no period: it rests on its key rather than divide by zero.
  if (!(span > 0.0f)) return FFirst;
  const float turns = keys / span;
  const float fraction = turns - std::trunc(turns);
  return Reverse() ? FLast - fraction * span : FFirst + fraction * span;
}

// Current takes the unclamped position first, so a stop handler sees where the motion ran to.
void TMotion3D::RunOnce(float keys) {
  if (Reverse()) {
    FCurrent = FLast - keys;
    if (FCurrent < FFirst) {
      Stop();
      FCurrent = FFirst;
    }
  } else {
    FCurrent = FFirst + keys;
    if (FCurrent > FLast) {
      Stop();
      FCurrent = FLast;
    }
  }
}

// A position that is not a number (from a damaged start time) rests on First.
float TMotion3D::Clamped(float position) const {
  if (!(position >= FFirst)) return FFirst;
  return std::min(position, FLast);
}

TAnimation3D* TMotion3D::Animation() const {
  return FCollectionMotion != nullptr ? FCollectionMotion->Animation() : nullptr;
}

void TMotion3D::Assign(const TElement3D& source) {
  const auto& other = rtl::CheckedCast<const TMotion3D>(source);
  TItemCollection3D::Assign(other);
  SetRange(other.FLast, other.FFirst, other.FDuration);
  FLoop = other.FLoop;
  FReverse = other.FReverse;
  FStartTime = other.FStartTime;
  FCurrent = other.FCurrent;
}

void TMotion3D::LoadFromStream(rtl::TStream& stream) {
  TItemCollection3D::LoadFromStream(stream);
  const float last = ReadSingle(stream);
  const float first = ReadSingle(stream);
  SetRange(last, first, ReadSingle(stream));
  FLoop = ReadByte(stream);
  FReverse = ReadByte(stream);
  FStartTime = ReadSingle(stream);
  FCurrent = ReadSingle(stream);
}

void TMotion3D::SaveToStream(rtl::TStream& stream) {
  TItemCollection3D::SaveToStream(stream);
  WriteSingle(stream, FLast);
  WriteSingle(stream, FFirst);
  WriteSingle(stream, FDuration);
  WriteByte(stream, FLoop);
  WriteByte(stream, FReverse);
  WriteSingle(stream, FStartTime);
  WriteSingle(stream, FCurrent);
}

TCollectionMotion3D::TCollectionMotion3D(TCollection3D* collection, const std::string& name)
    : TCollection3D(collection, name) {
  SetItemClass(&ItemClassOf<TMotion3D>);
}

TCollectionMotion3D::~TCollectionMotion3D() {
  Stop();
  Clear();
}

void TCollectionMotion3D::Play(TMotion3D& motion) {
  if (motion.First() == motion.Last()) return;
  // Only its own motions: a motion stops, and dies, through the collection it was created in.
  if (FPlaying || motion.FCollectionMotion != this) {
    throw rtl::Exception("CollectionMotion3D error: play motion failed");
  }
  FCurrentMotion = &motion;
  motion.Start();
  PlayingList().push_back(&motion);
  FPlaying = true;
}

void TCollectionMotion3D::Stop() {
  if (!FPlaying) return;
  FPlaying = false;
  std::vector<TMotion3D*>& list = PlayingList();
  const auto found = std::ranges::find(list, FCurrentMotion);
  if (found == list.end()) throw rtl::Exception("Remove motion failed");
  list.erase(found);
  // Out of the list means not playing: a later stop or destruction must not report it again.
  FCurrentMotion->FPlaying = false;
  FCurrentMotion = nullptr;
}

// Whatever the motion's stop handler did (it may have played the motion again), the dying motion
// leaves the list and the collection's link to it goes.
void TCollectionMotion3D::MotionDestroyed(TMotion3D& motion) {
  if (FCurrentMotion != &motion) return;
  Stop();
  FCurrentMotion = nullptr;
}

const std::vector<TMotion3D*>& PlayingMotions() { return PlayingList(); }

void AdvanceMotions(float now) {
  // The length is read again every step: motions leave and join the list while it is walked.
  std::vector<TMotion3D*>& list = PlayingList();
  for (std::size_t i = 0; i < list.size(); ++i) list[i]->Advance(now);
}
