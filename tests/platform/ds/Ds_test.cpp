#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>

#include "platform/ds/Buffer.h"
#include "platform/ds/Sound.h"
#include "platform/ds/Spatial.h"
#include "platform/rtl/Faults.h"
#include "tests/platform/ds/WaveOutput.h"

using testing_support::kOutputRate;
using testing_support::ReadWaveOutput;
using testing_support::SleepMs;
using testing_support::Tone;
using testing_support::Wave;

namespace {

constexpr std::uint32_t kAllControls = ds::kCapsCtrl3D | ds::kCapsCtrlFrequency | ds::kCapsCtrlPan | ds::kCapsCtrlVolume;
// Whole periods fit a loop of 0.2 s, so looping adds no step to the wave.
constexpr double kToneHz = 450.0;
const ds::WaveFormat kMono16{ds::kWaveFormatPcm, 1, kOutputRate, kOutputRate * 2, 2, 16, 0};

// A sound object with its primary buffer and listener, and the secondary buffers a test makes.
// Closing releases everything in the platform's order and hands back what was heard.
class Session {
 public:
  Session() {
    EXPECT_EQ(ds::DirectSoundCreate(nullptr, FSound), ds::kOk);
    EXPECT_EQ(FSound->SetCooperativeLevel(1, ds::kScopePriority), ds::kOk);
    ds::BufferDesc primary;
    primary.Flags = ds::kCapsPrimaryBuffer | ds::kCapsCtrl3D | ds::kCapsCtrlVolume;
    EXPECT_EQ(FSound->CreateSoundBuffer(primary, FPrimary), ds::kOk);
    EXPECT_EQ(FPrimary->QueryListener(FListener), ds::kOk);
  }
  ~Session() { Release(); }

  ds::Sound& Sound() { return *FSound; }
  ds::Buffer& Primary() { return *FPrimary; }

  // Sets the listener's parameters; `change` edits the defaults.
  void SetListener(const std::function<void(ds::ListenerParams&)>& change) {
    ds::ListenerParams params;
    change(params);
    EXPECT_EQ(FListener->SetAllParameters(params, ds::kApplyImmediate), ds::kOk);
  }

  ds::Buffer& Add(const std::vector<std::uint8_t>& samples, std::uint32_t flags = kAllControls,
                  const ds::WaveFormat& format = kMono16) {
    ds::BufferDesc desc;
    desc.Flags = flags;
    desc.BufferBytes = static_cast<std::uint32_t>(samples.size());
    desc.Format = &format;
    FBuffers.emplace_back();
    EXPECT_EQ(FSound->CreateSoundBuffer(desc, FBuffers.back()), ds::kOk);
    Fill(*FBuffers.back(), samples);
    return *FBuffers.back();
  }

  static void Fill(ds::Buffer& buffer, const std::vector<std::uint8_t>& samples) {
    std::uint8_t *region1, *region2;
    std::uint32_t bytes1, bytes2;
    ASSERT_EQ(buffer.Lock(0, 0, region1, bytes1, region2, bytes2, ds::kLockEntireBuffer), ds::kOk);
    std::memcpy(region1, samples.data(), bytes1);
    ASSERT_EQ(buffer.Unlock(region1, bytes1, region2, bytes2), ds::kOk);
  }

  // Sets a buffer's 3D parameters; `change` edits the defaults.
  void Place(ds::Buffer& buffer, const std::function<void(ds::Buffer3DParams&)>& change) {
    FSpatial.emplace_back();
    ASSERT_EQ(buffer.Query3DBuffer(FSpatial.back()), ds::kOk);
    ds::Buffer3DParams params;
    change(params);
    EXPECT_EQ(FSpatial.back()->SetAllParameters(params, ds::kApplyImmediate), ds::kOk);
  }

  Wave Listen(int milliseconds) {
    SleepMs(milliseconds);
    Release();
    return ReadWaveOutput();
  }

 private:
  void Release() {
    FSpatial.clear();
    while (!FBuffers.empty()) FBuffers.pop_back();
    FListener.reset();
    FPrimary.reset();
    FSound.reset();
  }

  std::unique_ptr<ds::Sound> FSound;
  std::unique_ptr<ds::Buffer> FPrimary;
  std::unique_ptr<ds::Listener> FListener;
  std::vector<std::unique_ptr<ds::Buffer3D>> FSpatial;
  std::vector<std::unique_ptr<ds::Buffer>> FBuffers;
};

std::vector<std::uint8_t> Contents(ds::Buffer& buffer) {
  std::uint8_t *region1, *region2;
  std::uint32_t bytes1, bytes2;
  EXPECT_EQ(buffer.Lock(0, 0, region1, bytes1, region2, bytes2, ds::kLockEntireBuffer), ds::kOk);
  std::vector<std::uint8_t> bytes(region1, region1 + bytes1);
  EXPECT_EQ(buffer.Unlock(region1, bytes1, region2, bytes2), ds::kOk);
  return bytes;
}

class DsTest : public testing::Test {
 protected:
  void TearDown() override { rtl::faults::Reset(); }
};

}  // namespace

TEST_F(DsTest, LockGivesOneRegionOrTwoThatWrapAndUnlockTakesOnlyItsOwn) {
  Session session;
  ds::Buffer& buffer = session.Add(std::vector<std::uint8_t>(100, 0));
  std::uint8_t *region1, *region2;
  std::uint32_t bytes1, bytes2;

  ASSERT_EQ(buffer.Lock(10, 50, region1, bytes1, region2, bytes2, 0), ds::kOk);
  EXPECT_EQ(bytes1, 50u);
  EXPECT_EQ(region2, nullptr);
  EXPECT_EQ(bytes2, 0u);
  std::memset(region1, 7, bytes1);
  ASSERT_EQ(buffer.Unlock(region1, bytes1, region2, bytes2), ds::kOk);

  ASSERT_EQ(buffer.Lock(70, 50, region1, bytes1, region2, bytes2, 0), ds::kOk);
  EXPECT_EQ(bytes1, 30u);
  EXPECT_EQ(bytes2, 20u);
  EXPECT_EQ(region2 + 70, region1);  // the second region is the start of the same memory
  std::memset(region1, 8, bytes1);
  std::memset(region2, 9, bytes2);
  ASSERT_EQ(buffer.Unlock(region1, bytes1, region2, bytes2), ds::kOk);

  std::vector<std::uint8_t> expected(100, 0);
  std::fill(expected.begin(), expected.begin() + 20, 9);
  std::fill(expected.begin() + 20, expected.begin() + 60, 7);
  std::fill(expected.begin() + 70, expected.end(), 8);
  EXPECT_EQ(Contents(buffer), expected);

  EXPECT_EQ(buffer.Lock(100, 1, region1, bytes1, region2, bytes2, 0), ds::kErrInvalidParam);
  EXPECT_EQ(buffer.Lock(0, 101, region1, bytes1, region2, bytes2, 0), ds::kErrInvalidParam);
  EXPECT_EQ(buffer.Lock(0, 0, region1, bytes1, region2, bytes2, 0), ds::kErrInvalidParam);
  std::uint8_t foreign[4];
  EXPECT_EQ(buffer.Unlock(foreign, 4, nullptr, 0), ds::kErrInvalidParam);
  EXPECT_EQ(session.Primary().Lock(0, 4, region1, bytes1, region2, bytes2, 0), ds::kErrInvalidCall);
}

TEST_F(DsTest, CallsCheckTheirControlsRangesAndBufferKind) {
  Session session;
  const auto samples = Tone(0.01, kToneHz, 8000);
  ds::Buffer& plain = session.Add(samples, 0);
  ds::Buffer& full = session.Add(samples);

  EXPECT_EQ(plain.SetVolume(-100), ds::kErrControlUnavail);
  EXPECT_EQ(plain.SetPan(100), ds::kErrControlUnavail);
  EXPECT_EQ(plain.SetFrequency(11025), ds::kErrControlUnavail);
  EXPECT_EQ(full.SetVolume(1), ds::kErrInvalidParam);
  EXPECT_EQ(full.SetVolume(-10001), ds::kErrInvalidParam);
  EXPECT_EQ(full.SetPan(10001), ds::kErrInvalidParam);
  EXPECT_EQ(full.SetFrequency(99), ds::kErrInvalidParam);

  std::uint32_t frequency = 0;
  EXPECT_EQ(full.GetFrequency(frequency), ds::kOk);
  EXPECT_EQ(frequency, static_cast<std::uint32_t>(kOutputRate));  // the original rate
  EXPECT_EQ(full.SetFrequency(11025), ds::kOk);
  EXPECT_EQ(full.GetFrequency(frequency), ds::kOk);
  EXPECT_EQ(frequency, 11025u);

  EXPECT_EQ(full.SetFormat(kMono16), ds::kErrInvalidCall);  // only the primary buffer's format is set
  EXPECT_EQ(session.Sound().SetCooperativeLevel(1, ds::kScopeNormal), ds::kOk);
  EXPECT_EQ(session.Primary().SetFormat(kMono16), ds::kErrPrioLevelNeeded);
  EXPECT_EQ(session.Sound().SetCooperativeLevel(1, ds::kScopePriority), ds::kOk);
  ds::WaveFormat odd = kMono16;
  odd.BlockAlign = 3;
  EXPECT_EQ(session.Primary().SetFormat(odd), ds::kErrBadFormat);
  EXPECT_EQ(session.Primary().SetFormat(kMono16), ds::kOk);

  std::unique_ptr<ds::Buffer3D> buffer3D;
  std::unique_ptr<ds::Listener> listener;
  EXPECT_EQ(session.Primary().Query3DBuffer(buffer3D), ds::kErrNoInterface);
  EXPECT_EQ(full.QueryListener(listener), ds::kErrNoInterface);
  EXPECT_EQ(session.Primary().Play(0, 0, 0), ds::kErrInvalidParam);  // the mix only runs looping

  ds::BufferDesc desc;
  desc.BufferBytes = 100;
  std::unique_ptr<ds::Buffer> made;
  EXPECT_EQ(session.Sound().CreateSoundBuffer(desc, made), ds::kErrInvalidParam);  // no format
  ds::WaveFormat stereo24 = kMono16;
  stereo24.BitsPerSample = 24;
  desc.Format = &stereo24;
  EXPECT_EQ(session.Sound().CreateSoundBuffer(desc, made), ds::kErrBadFormat);
}

TEST_F(DsTest, ThreeDParametersAreCheckedAndReadBackAsSet) {
  Session session;
  ds::Buffer& buffer = session.Add(Tone(0.01, kToneHz, 8000));
  std::unique_ptr<ds::Buffer3D> buffer3D;
  ASSERT_EQ(buffer.Query3DBuffer(buffer3D), ds::kOk);
  ds::Buffer3DParams params;
  params.Position = {1.5f, -2.0f, 3.25f};
  params.InsideConeAngle = 30;
  params.OutsideConeAngle = 90;
  params.ConeOutsideVolume = -1200;
  params.MinDistance = 2.0f;
  params.MaxDistance = 50.0f;
  params.Mode = ds::kMode3DHeadRelative;
  ASSERT_EQ(buffer3D->SetAllParameters(params, ds::kApplyImmediate), ds::kOk);
  ds::Buffer3DParams read;
  ASSERT_EQ(buffer3D->GetAllParameters(read), ds::kOk);
  EXPECT_EQ(std::memcmp(&read, &params, sizeof params), 0);
  float distance = 0;
  std::uint32_t inside = 0, outside = 0;
  std::int32_t volume = 0;
  EXPECT_EQ(buffer3D->GetMinDistance(distance), ds::kOk);
  EXPECT_EQ(distance, 2.0f);
  EXPECT_EQ(buffer3D->GetConeAngles(inside, outside), ds::kOk);
  EXPECT_EQ(inside + outside, 120u);
  EXPECT_EQ(buffer3D->GetConeOutsideVolume(volume), ds::kOk);
  EXPECT_EQ(volume, -1200);

  for (const auto& spoil : std::vector<std::function<void(ds::Buffer3DParams&)>>{
           [](auto& p) { p.Size = 60; }, [](auto& p) { p.OutsideConeAngle = 361; },
           [](auto& p) { p.MinDistance = 0.0f; }, [](auto& p) { p.ConeOutsideVolume = 1; },
           [](auto& p) { p.Mode = 3; }, [](auto& p) { p.Velocity.x = std::numeric_limits<float>::infinity(); }}) {
    ds::Buffer3DParams bad = params;
    spoil(bad);
    EXPECT_EQ(buffer3D->SetAllParameters(bad, ds::kApplyImmediate), ds::kErrInvalidParam);
  }
  ASSERT_EQ(buffer3D->GetAllParameters(read), ds::kOk);
  EXPECT_EQ(std::memcmp(&read, &params, sizeof params), 0);  // refused blocks change nothing
}

// ---- what the device plays ----

// A 3D source to the listener's right, whichever way the listener faces, and a buffer without 3D
// control panned fully right, are heard on the right.
TEST_F(DsTest, ASoundOnTheListenersRightIsHeardOnTheRight) {
  const auto tone = Tone(0.2, kToneHz, 8000);
  for (const float facing : {1.0f, -1.0f, 0.0f}) {
    Session session;
    session.SetListener([&](ds::ListenerParams& p) { p.OrientFront = {0.0f, 0.0f, facing == 0.0f ? 1.0f : facing}; });
    ds::Buffer& source = session.Add(tone, facing == 0.0f ? ds::kCapsCtrlPan : kAllControls);
    if (facing == 0.0f) {
      EXPECT_EQ(source.SetPan(ds::kPanRight), ds::kOk);
    } else {
      session.Place(source, [&](ds::Buffer3DParams& p) { p.Position = {2.0f * facing, 0.0f, 0.5f}; });
    }
    ASSERT_EQ(source.Play(0, 0, ds::kPlayLooping), ds::kOk);
    const Wave wave = session.Listen(150);
    EXPECT_GT(wave.Rms(1), 4.0 * wave.Rms(0)) << "facing " << facing << ": left " << wave.Rms(0) << " right "
                                              << wave.Rms(1);
  }
}

// Each case plays the same tone straight ahead of the listener, so only the gain differs from the
// reference: a source at its minimum distance, at full volume, facing the listener.
TEST_F(DsTest, GainFollowsDistanceRolloffVolumeConeAndMode) {
  struct Case {
    const char* What;
    std::function<void(Session&, ds::Buffer&)> Set;
    double Gain;
  };
  const auto ahead = [](float z, std::function<void(ds::Buffer3DParams&)> more = {}) {
    return [z, more](Session& s, ds::Buffer& b) {
      s.Place(b, [&](ds::Buffer3DParams& p) {
        p.Position = {0.0f, 0.0f, z};
        p.ConeOrientation = {0.0f, 0.0f, -1.0f};
        if (more) more(p);
      });
    };
  };
  const std::vector<Case> cases = {
      {"reference", ahead(1.0f), 1.0},
      {"four times the minimum distance", ahead(4.0f), 0.25},
      {"beyond the maximum distance", ahead(8.0f, [](auto& p) { p.MaxDistance = 2.0f; }), 0.5},
      {"rolloff 2", [&](Session& s, ds::Buffer& b) {
         s.SetListener([](ds::ListenerParams& p) { p.RolloffFactor = 2.0f; });
         ahead(4.0f)(s, b);
       }, 1.0 / 7.0},
      {"volume -600", [&](Session& s, ds::Buffer& b) {
         ahead(1.0f)(s, b);
         EXPECT_EQ(b.SetVolume(-600), ds::kOk);
       }, 0.501},
      {"facing away, outside volume -2000", ahead(1.0f, [](auto& p) {
         p.ConeOrientation = {0.0f, 0.0f, 1.0f};
         p.InsideConeAngle = 30;
         p.OutsideConeAngle = 60;
         p.ConeOutsideVolume = -2000;
       }), 0.1},
      {"head-relative with the listener far away", [&](Session& s, ds::Buffer& b) {
         s.SetListener([](ds::ListenerParams& p) { p.Position = {100.0f, 0.0f, 100.0f}; });
         ahead(1.0f, [](auto& p) { p.Mode = ds::kMode3DHeadRelative; })(s, b);
       }, 1.0},
      {"disabled, far away", ahead(50.0f, [](auto& p) { p.Mode = ds::kMode3DDisable; }), 1.0},
  };
  const auto tone = Tone(0.2, kToneHz, 8000);
  double reference = 0.0;
  for (const Case& c : cases) {
    Session session;
    ds::Buffer& buffer = session.Add(tone);
    c.Set(session, buffer);
    ASSERT_EQ(buffer.Play(0, 0, ds::kPlayLooping), ds::kOk);
    const double rms = session.Listen(120).Rms();
    if (reference == 0.0) reference = rms;
    EXPECT_NEAR(rms / reference, c.Gain, 0.05 * c.Gain + 0.005) << c.What;
  }
  EXPECT_GT(reference, 1000.0);
}

TEST_F(DsTest, PitchFollowsFrequencyAndDopplerAtTheSpeedOfSoundOfTheDistanceFactor) {
  struct Case {
    std::uint32_t Frequency;
    float DistanceFactor;
    float Approach;  // units per second toward the listener
    double Ratio;
  };
  const double speed = 343.3;
  const std::vector<Case> cases = {{0, 1.0f, 0.0f, 1.0},
                                   {kOutputRate * 2, 1.0f, 0.0f, 2.0},
                                   {0, 1.0f, 34.33f, speed / (speed - 34.33)},
                                   {0, 2.0f, 34.33f, speed / 2 / (speed / 2 - 34.33)}};
  const auto tone = Tone(0.2, kToneHz, 8000);
  for (const Case& c : cases) {
    Session session;
    session.SetListener([&](ds::ListenerParams& p) { p.DistanceFactor = c.DistanceFactor; });
    ds::Buffer& buffer = session.Add(tone);
    // Ahead of the listener and coming closer: the velocity points back along -z.
    session.Place(buffer, [&](ds::Buffer3DParams& p) {
      p.Position = {0.0f, 0.0f, 1.0f};
      p.Velocity = {0.0f, 0.0f, -c.Approach};
    });
    if (c.Frequency != 0) {
      EXPECT_EQ(buffer.SetFrequency(c.Frequency), ds::kOk);
    }
    ASSERT_EQ(buffer.Play(0, 0, ds::kPlayLooping), ds::kOk);
    const Wave wave = session.Listen(150);
    // Wide enough for a loop seam or a late mix period on a busy machine, narrow enough to tell
    // every case from its neighbours (the nearest ratios differ by 0.11).
    EXPECT_NEAR(wave.Pitch() / kToneHz, c.Ratio, 0.05)
        << c.Frequency << " Hz, approaching at " << c.Approach << ", heard " << wave.AudibleFrames() << " frames";
  }
}
