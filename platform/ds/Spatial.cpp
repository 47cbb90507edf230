#include "platform/ds/Spatial.h"

#include <cmath>

#include "platform/ds/Buffer.h"
#include "platform/ds/Mapping.h"
#include "platform/ds/Sound.h"
#include "platform/rtl/Faults.h"

namespace ds {

namespace {

bool ValidSource(const Buffer3DParams& p) {
  const bool vectors = mapping::Finite(p.Position) && mapping::Finite(p.Velocity) && mapping::Finite(p.ConeOrientation);
  const bool cone = p.InsideConeAngle <= kConeAngleMax && p.OutsideConeAngle <= kConeAngleMax &&
                    p.ConeOutsideVolume >= kVolumeMin && p.ConeOutsideVolume <= kVolumeMax;
  const bool distances = std::isfinite(p.MinDistance) && std::isfinite(p.MaxDistance) && p.MinDistance > 0.0f &&
                         p.MaxDistance > 0.0f;
  return p.Size == kBuffer3DParamsBytes && vectors && cone && distances && p.Mode <= kMode3DDisable;
}

bool InRange(float factor, float max) { return factor >= 0.0f && factor <= max; }

bool ValidListener(const ListenerParams& p) {
  const bool vectors = mapping::Finite(p.Position) && mapping::Finite(p.Velocity) && mapping::Finite(p.OrientFront) &&
                       mapping::Finite(p.OrientTop);
  const bool factors = std::isfinite(p.DistanceFactor) && p.DistanceFactor > 0.0f &&
                       InRange(p.RolloffFactor, kRolloffFactorMax) && InRange(p.DopplerFactor, kDopplerFactorMax);
  return p.Size == kListenerParamsBytes && vectors && factors;
}

bool ValidApply(std::uint32_t apply) { return apply == kApplyImmediate || apply == kApplyDeferred; }

}  // namespace

Result Buffer3D::GetAllParameters(Buffer3DParams& params) const {
  if (const Result fault = rtl::faults::Check("ds.Buffer3D.GetAllParameters")) return fault;
  params = FBuffer->F3D;
  return kOk;
}

Result Buffer3D::SetAllParameters(const Buffer3DParams& params, std::uint32_t apply) {
  if (const Result fault = rtl::faults::Check("ds.Buffer3D.SetAllParameters")) return fault;
  if (!ValidSource(params) || !ValidApply(apply)) return kErrInvalidParam;
  FBuffer->SetSpatial(params);
  return kOk;
}

Result Buffer3D::GetMaxDistance(float& distance) const {
  if (const Result fault = rtl::faults::Check("ds.Buffer3D.GetMaxDistance")) return fault;
  distance = FBuffer->F3D.MaxDistance;
  return kOk;
}

Result Buffer3D::GetMinDistance(float& distance) const {
  if (const Result fault = rtl::faults::Check("ds.Buffer3D.GetMinDistance")) return fault;
  distance = FBuffer->F3D.MinDistance;
  return kOk;
}

Result Buffer3D::GetConeAngles(std::uint32_t& inside, std::uint32_t& outside) const {
  if (const Result fault = rtl::faults::Check("ds.Buffer3D.GetConeAngles")) return fault;
  inside = FBuffer->F3D.InsideConeAngle;
  outside = FBuffer->F3D.OutsideConeAngle;
  return kOk;
}

Result Buffer3D::GetConeOutsideVolume(std::int32_t& volume) const {
  if (const Result fault = rtl::faults::Check("ds.Buffer3D.GetConeOutsideVolume")) return fault;
  volume = FBuffer->F3D.ConeOutsideVolume;
  return kOk;
}

Result Listener::GetAllParameters(ListenerParams& params) const {
  if (const Result fault = rtl::faults::Check("ds.Listener.GetAllParameters")) return fault;
  params = FSound->FListener;
  return kOk;
}

Result Listener::SetAllParameters(const ListenerParams& params, std::uint32_t apply) {
  if (const Result fault = rtl::faults::Check("ds.Listener.SetAllParameters")) return fault;
  if (!ValidListener(params) || !ValidApply(apply)) return kErrInvalidParam;
  FSound->FListener = params;
  FSound->ApplyListener();
  return kOk;
}

}  // namespace ds
