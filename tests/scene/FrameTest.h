#pragma once

#include <gtest/gtest.h>

#include "platform/rm/Frame.h"
#include "platform/rm/Object.h"
#include "scene/Frame3D.h"
#include "tests/resources/ResourceTest.h"

namespace testing_support {

// The result armed faults return, and the suffix CheckResult makes of it.
constexpr std::int32_t kFault = rm::D3DRMERR_BADVALUE;
constexpr const char* kFaultSuffix = " code: 781";

inline void ExpectVector(const rm::Vector& v, float x, float y, float z) {
  EXPECT_NEAR(v.x, x, 1e-5f);
  EXPECT_NEAR(v.y, y, 1e-5f);
  EXPECT_NEAR(v.z, z, 1e-5f);
}

inline void ExpectVector(const TVector3D& v, float x, float y, float z) { ExpectVector(v.GetVector(), x, y, z); }

// Where the platform has the frame, seen from its scene root.
inline rm::Vector PlatformPosition(const TFrame3D& frame) {
  rm::Vector p{};
  EXPECT_EQ(frame.DXFrame()->GetPosition(frame.GetScene(), &p), rm::D3DRM_OK);
  return p;
}

inline rm::Vector PlatformDirection(const TFrame3D& frame) {
  rm::Vector d{};
  rm::Vector u{};
  EXPECT_EQ(frame.DXFrame()->GetOrientation(frame.GetScene(), &d, &u), rm::D3DRM_OK);
  return d;
}

// Frames need a retained-mode root; Scene is a root frame to hang others below.
class FrameTest : public RetainedModeTest {
 protected:
  TFrame3D Scene;
};

}  // namespace testing_support
