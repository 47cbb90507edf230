#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core3d/Structure3D.h"

class TAnimation3D;

// One key of an animation: subclasses hold what the animated object shows at the key's index.
// A key tells its animation when it changes (TAnimation3D::Invalidate), so the animation rebuilds.
class TKey3D : public TStructure3D {
 public:
  explicit TKey3D(TAnimation3D* keyAnimation) : FKeyAnimation(keyAnimation) {}

  const char* ClassName() const override { return "TKey3D"; }

  TAnimation3D* KeyAnimation() const { return FKeyAnimation; }

 private:
  TAnimation3D* FKeyAnimation;
};

// The base of every animation: an ordered list of owned keys, a current time measured in key
// indices, and child animations (not owned) that receive the same time before this one updates.
// A child has one parent; destroying either side unlinks the other, so no list keeps a dead link.
class TAnimation3D : public TElement3D {
 public:
  TAnimation3D() = default;
  ~TAnimation3D() override;
  TAnimation3D(const TAnimation3D&) = delete;
  TAnimation3D& operator=(const TAnimation3D&) = delete;

  const char* ClassName() const override { return "TAnimation3D"; }

  void Assign(const TElement3D& source) override;
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

  // A new key of the subclass's kind whose KeyAnimation is this animation, or none for an
  // animation that holds no keys.
  virtual std::unique_ptr<TKey3D> CreateKey() = 0;
  // Shows the animated object at Time; runs after every time change.
  virtual void Update() {}

  // The children first, in list order, then this animation's own time and Update.
  void SetTime(float t);
  void SetActive(bool active);
  // Appends a key from CreateKey and marks the keys changed; returns none when CreateKey gave none.
  TKey3D* AddKey();
  // Frees the keys from the last to the first.
  void ClearKeys();
  void AddAnimation(TAnimation3D& child);
  void RemoveAnimation(TAnimation3D& child);
  // Keys changed since the platform last saw them.
  void Invalidate() { FRebuild = true; }

  int KeyCount() const { return static_cast<int>(FKeys.size()); }
  TKey3D* GetKey(int index) const;
  int ChildCount() const { return static_cast<int>(FChildAnimations.size()); }
  TAnimation3D* GetChild(int index) const;

  void SetTag(std::int32_t tag) { FTag = tag; }
  void SetAlwaysAnimate(bool alwaysAnimate) { FAlwaysAnimate = alwaysAnimate ? 1 : 0; }

  std::int32_t Tag() const { return FTag; }
  float Time() const { return FTime; }
  TAnimation3D* ParentAnimation() const { return FParentAnimation; }
  bool Rebuild() const { return FRebuild; }
  bool AlwaysAnimate() const { return FAlwaysAnimate != 0; }
  bool Active() const { return FActive; }

 protected:
  // Subclasses clear it once the platform holds the current keys.
  void SetRebuild(bool rebuild) { FRebuild = rebuild; }

 private:
  std::int32_t FTag = 0;
  float FTime = 0.0f;
  TAnimation3D* FParentAnimation = nullptr;
  std::vector<std::unique_ptr<TKey3D>> FKeys;
  std::vector<TAnimation3D*> FChildAnimations;
  bool FRebuild = true;
  std::uint8_t FAlwaysAnimate = 0;  // the stored byte, so a record saves back exactly as read
  bool FActive = true;
};
