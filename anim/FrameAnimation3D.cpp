#include "anim/FrameAnimation3D.h"

#include "core3d/CheckResult.h"
#include "core3d/RetainedMode.h"
#include "core3d/SnapValue.h"
#include "core3d/Stream3D.h"
#include "platform/rm/Math.h"
#include "platform/rtl/Cast.h"

namespace {
// Plays once, a spline through the positions, scale and rotation keys and position keys: 0x39.
constexpr std::uint32_t kAnimationOptions = rm::D3DRMANIMATION_OPEN | rm::D3DRMANIMATION_SPLINEPOSITION |
                                            rm::D3DRMANIMATION_SCALEANDROTATION | rm::D3DRMANIMATION_POSITION;
constexpr rm::Quaternion kNoRotation{1.0f, {0.0f, 0.0f, 0.0f}};
}  // namespace

TFrameKey3D::TFrameKey3D(TAnimation3D* keyAnimation) : TKey3D(keyAnimation) {
  AddElements(&KeyPosition, &KeyRotation, &KeyScale);
  // Each value marks its own part of the key used instead of going through the structure.
  KeyPosition.OnChange = TNotifyEvent::Bind<&TFrameKey3D::PositionChanged>(this);
  KeyRotation.OnChange = TNotifyEvent::Bind<&TFrameKey3D::RotationChanged>(this);
  KeyScale.OnChange = TNotifyEvent::Bind<&TFrameKey3D::ScaleChanged>(this);
}

void TFrameKey3D::InvalidateAnimation() {
  if (KeyAnimation() != nullptr) KeyAnimation()->Invalidate();
}

void TFrameKey3D::SetFlag(std::uint8_t& flag, bool use) {
  if (use == (flag != 0)) return;
  InvalidateAnimation();
  flag = use ? 1 : 0;
}

void TFrameKey3D::SetUsePosition(bool use) { SetFlag(FUsePosition, use); }
void TFrameKey3D::SetUseRotation(bool use) { SetFlag(FUseRotation, use); }
void TFrameKey3D::SetUseScale(bool use) { SetFlag(FUseScale, use); }

// SetRaw snaps the components it stores.
void TFrameKey3D::PositionChanged(TElement3D*) {
  KeyPosition.SetRaw(KeyPosition.X(), KeyPosition.Y(), KeyPosition.Z());
  SetUsePosition(true);
  InvalidateAnimation();
}

void TFrameKey3D::RotationChanged(TElement3D*) {
  TVector3D& axis = KeyRotation.Axis;
  axis.SetRaw(axis.X(), axis.Y(), axis.Z());
  // A snapped angle notifies once more; the second pass finds nothing left to snap.
  KeyRotation.Angle.SetValue(SnapValue(KeyRotation.Angle.Value()));
  SetUseRotation(true);
  InvalidateAnimation();
}

void TFrameKey3D::ScaleChanged(TElement3D*) {
  KeyScale.SetRaw(KeyScale.X(), KeyScale.Y(), KeyScale.Z());
  SetUseScale(true);
  InvalidateAnimation();
}

// Assigning the values marks all three used; the source's flags then decide.
void TFrameKey3D::Assign(const TElement3D& source) {
  const auto& other = rtl::CheckedCast<const TFrameKey3D>(source);
  TKey3D::Assign(source);
  SetUsePosition(other.UsePosition());
  SetUseRotation(other.UseRotation());
  SetUseScale(other.UseScale());
}

// The stored flags win over those the values' notifications set.
void TFrameKey3D::LoadFromStream(rtl::TStream& stream) {
  TKey3D::LoadFromStream(stream);
  FUsePosition = ReadByte(stream);
  FUseRotation = ReadByte(stream);
  FUseScale = ReadByte(stream);
}

void TFrameKey3D::SaveToStream(rtl::TStream& stream) {
  TKey3D::SaveToStream(stream);
  WriteByte(stream, FUsePosition);
  WriteByte(stream, FUseRotation);
  WriteByte(stream, FUseScale);
}

std::unique_ptr<TKey3D> TFrameAnimation3D::CreateKey() { return std::make_unique<TFrameKey3D>(this); }

void TFrameAnimation3D::ReleaseAnimation() {
  if (!FDXAnimation) return;
  FDXAnimation.Reset();
  Invalidate();
}

void TFrameAnimation3D::SetFrame(TAnimatedFrame3D* frame) {
  if (frame == FFrame) return;
  FFrame = frame;
  Invalidate();
}

void TFrameAnimation3D::Update() {
  if (KeyCount() == 0) return;
  if (Rebuild()) Build();
  if (Active() || AlwaysAnimate()) {
    CheckResult(FDXAnimation->SetTime(Time()), "FrameAnimation3D error: Set time failed");
  }
  FFrame->MarkMoved(TAnimatedFrame3D::kInvalidPosition | TAnimatedFrame3D::kInvalidOrientation);
}

// A failure on the way leaves Rebuild set, so the next Update starts again.
void TFrameAnimation3D::Build() {
  ReleaseAnimation();
  if (FFrame == nullptr) throw rtl::Exception("FrameAnimation3D error: frame not assigned");
  CheckResult(RetainedMode().CreateAnimation(&FDXAnimation), "FrameAnimation3D error: Create animation failed");
  CheckResult(FDXAnimation->SetFrame(FFrame->DXFrame()), "FrameAnimation3D error: Set frame failed");
  CheckResult(FDXAnimation->SetOptions(kAnimationOptions), "FrameAnimation3D error: Set animation options failed");
  AddKeys();
  FFrame->MarkMoved(TAnimatedFrame3D::kInvalidPosition | TAnimatedFrame3D::kInvalidOrientation |
                    TAnimatedFrame3D::kInvalidTopology);
  SetRebuild(false);
}

// Key i at time i. Each rotation key is composed onto all earlier ones: the keys turn step by step.
void TFrameAnimation3D::AddKeys() {
  rm::Quaternion rotation = kNoRotation;
  for (int i = 0; i < KeyCount(); ++i) {
    const auto& key = static_cast<const TFrameKey3D&>(*GetKey(i));
    const auto t = static_cast<float>(i);
    if (key.UseRotation()) {
      const TRotation3D& step = key.KeyRotation;
      rotation =
          rm::QuaternionMultiply(rotation, rm::QuaternionFromRotation(step.Axis.GetVector(), step.Angle.Value()));
      CheckResult(FDXAnimation->AddRotateKey(t, rotation), "FrameAnimation3D error: Add rotation key failed");
    }
    if (key.UseScale()) {
      const TVector3D& scale = key.KeyScale;
      CheckResult(FDXAnimation->AddScaleKey(t, scale.X(), scale.Y(), scale.Z()),
                  "FrameAnimation3D error: Add scale key failed");
    }
    if (key.UsePosition()) {
      const TVector3D& position = key.KeyPosition;
      CheckResult(FDXAnimation->AddPositionKey(t, position.X(), position.Y(), position.Z()),
                  "FrameAnimation3D error: Add position key failed");
    }
  }
}
