#include "sound/DXSound.h"

#include <gtest/gtest.h>

#include <functional>

#include "core3d/CheckResult.h"
#include "platform/rtl/Faults.h"
#include "tests/platform/ds/WaveOutput.h"
#include "tests/support/Raises.h"

using testing_support::ExpectRaises;

namespace {

// Lock and read back the whole platform buffer.
std::vector<std::uint8_t> Contents(TDXSoundBuffer& buffer) {
  std::uint8_t *region1, *region2;
  std::uint32_t bytes1, bytes2;
  EXPECT_EQ(buffer.Buffer().Lock(0, 0, region1, bytes1, region2, bytes2, ds::kLockEntireBuffer), ds::kOk);
  std::vector<std::uint8_t> bytes(region1, region1 + bytes1);
  EXPECT_EQ(buffer.Buffer().Unlock(region1, bytes1, region2, bytes2), ds::kOk);
  return bytes;
}

class DXSoundTest : public testing::Test {
 public:
  void TearDown() override {
    rtl::faults::Reset();
    testing_support::SetAudioDeviceAvailable(true);
  }

  TDXSoundBuffer& Created() {
    TDXSoundBuffer& buffer = Sound.AddBuffer();
    buffer.CreateBuffer();
    return buffer;
  }

  TDXSound Sound{1};
};

}  // namespace

TEST(CheckResultTest, PassesZeroAndReportsTheLow12BitsOfAnythingElse) {
  EXPECT_NO_THROW(CheckResult(0, "unused"));
  ExpectRaises([] { CheckResult(static_cast<std::int32_t>(0x80070057), "Thing: Do failed"); },
               "Thing: Do failed code: 87");
  ExpectRaises([] { CheckResult(0x1234, "m"); }, "m code: 564");
}

TEST_F(DXSoundTest, WithoutASoundObjectNothingRaisesButTheAccessors) {
  rtl::faults::Arm("ds.DirectSoundCreate", ds::kErrNoDriver);
  TDXSound silent(1);
  EXPECT_FALSE(silent.Available());
  EXPECT_EQ(silent.CooperativeLevel(), ds::kScopePriority);
  ExpectRaises([&] { silent.DirectSound(); }, "DXSound: Direct Sound not created");

  TDXSoundBuffer& buffer = silent.AddBuffer();
  buffer.SetVolume(-500);
  buffer.SetPan(300);
  buffer.CreateBuffer();
  buffer.Apply();
  buffer.Play();
  buffer.Resume();
  buffer.Stop();
  buffer.RestoreBuffer();
  EXPECT_EQ(buffer.Write(0, 0, nullptr), 0u);  // no device: nothing is even checked
  EXPECT_FALSE(buffer.Playing());
  EXPECT_EQ(buffer.GetVolume(), -500);
  EXPECT_EQ(buffer.GetFrequency(), 22050u);
  buffer.Sound3D().SetMinDistance(7.0f);
  buffer.Sound3D().Commit();
  EXPECT_EQ(buffer.Sound3D().GetMinDistance(), 7.0f);
  silent.Listener().AcquireInterface();
  silent.Listener().Commit();
  silent.PrimaryBuffer().CreateBuffer();
  silent.PrimaryBuffer().Apply();

  ExpectRaises([&] { buffer.Buffer(); }, "TDXSoundBuffer: Buffer not created");
  ExpectRaises([&] { buffer.Sound3D().Interface(); }, "DXSound3DBuffer: Buffer not created");
  ExpectRaises([&] { silent.Listener().Interface(); }, "DXSound3DListener: Listener not created");
}

TEST_F(DXSoundTest, WriteChecksItsArgumentsBeforeLocking) {
  TDXSoundBuffer& buffer = Created();
  const std::uint8_t data[4] = {};
  ExpectRaises([&] { buffer.Write(0, 0, data); }, "DXSoundBuffer: write buffers failed, size not valid");
  ExpectRaises([&] { buffer.Write(10, 5, data); }, "DXSoundBuffer: write buffers failed, pos not valid");
  ExpectRaises([&] { buffer.Write(0, 4, nullptr); }, "DXSoundBuffer: write buffers failed, ptr not valid");
  EXPECT_EQ(buffer.Write(3, 4, data), 4u);
}

TEST_F(DXSoundTest, AWriteThatWrapsFillsBothRegionsInOrder) {
  TDXSoundBuffer& buffer = Created();
  ASSERT_EQ(buffer.GetCaps().BufferBytes, 88200u);
  std::vector<std::uint8_t> data(88200);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7 % 251);

  EXPECT_EQ(buffer.Write(28200, 88200, data.data()), 88200u);

  const std::vector<std::uint8_t> stored = Contents(buffer);
  // The first region (60000 bytes from 28200) holds the start of the data, the second (28200
  // bytes from 0) the rest.
  EXPECT_TRUE(std::equal(data.begin(), data.begin() + 60000, stored.begin() + 28200));
  EXPECT_TRUE(std::equal(data.begin() + 60000, data.end(), stored.begin()));
}

TEST_F(DXSoundTest, SettersGivenTheCurrentValueMarkNothing) {
  TDXSoundBuffer& buffer = Sound.AddBuffer();
  buffer.SetFlags(buffer.Description().Flags);
  buffer.SetDescription(buffer.Description());
  buffer.SetFormat(buffer.Format());
  buffer.SetChannels(2);
  buffer.SetBitsPerSample(16);
  buffer.SetSampleRate(22050);
  buffer.SetPosition(0);
  buffer.SetVolume(0);
  buffer.SetPan(0);
  buffer.SetFrequency(0);
  buffer.SetLooping(false);
  buffer.SetControl3D(true);
  buffer.Sound3D().SetAllParameters(ds::Buffer3DParams{});
  EXPECT_EQ(buffer.Pending(), 0);
  EXPECT_FALSE(buffer.Sound3D().InSync());  // a new block has never been sent

  buffer.SetVolume(-100);
  buffer.SetControl3D(false);
  buffer.SetSampleRate(11025);
  buffer.SetLooping(true);
  EXPECT_EQ(buffer.Pending(), TDXSoundBuffer::kPendingVolume | TDXSoundBuffer::kPendingRecreate |
                                  TDXSoundBuffer::kPendingFormat | TDXSoundBuffer::kPendingPlayMode);
}

TEST_F(DXSoundTest, ApplySendsOnlyWhatIsPending) {
  TDXSoundBuffer& buffer = Created();
  buffer.SetVolume(-700);
  buffer.Apply();
  EXPECT_EQ(buffer.GetVolume(), -700);
  EXPECT_EQ(buffer.Pending(), 0);

  rtl::faults::Arm("ds.Buffer.SetVolume", ds::kErrGeneric);
  buffer.SetVolume(-700);  // the same volume again: nothing to send
  EXPECT_NO_THROW(buffer.Apply());

  buffer.SetPan(-2500);  // placed by its 3D parameters: the pan is dropped, never sent
  rtl::faults::Arm("ds.Buffer.SetPan", ds::kErrGeneric);
  EXPECT_NO_THROW(buffer.Apply());
  EXPECT_EQ(buffer.Pending(), 0);
  EXPECT_EQ(buffer.GetPan(), 0);
  rtl::faults::Reset();

  TDXSoundBuffer& flat = Sound.AddBuffer();
  flat.SetControl3D(false);
  flat.CreateBuffer();
  flat.SetPan(-2500);
  flat.SetFrequency(11025);
  flat.Apply();
  EXPECT_EQ(flat.GetPan(), -2500);
  EXPECT_EQ(flat.GetFrequency(), 11025u);
}

TEST_F(DXSoundTest, ARecreateOrFormatChangeAloneLeavesASecondaryBufferAndIts3DBlockAlone) {
  TDXSoundBuffer& buffer = Created();
  buffer.Sound3D().SetMinDistance(3.0f);
  buffer.SetSampleRate(11025);
  buffer.SetFlags(buffer.Description().Flags | ds::kCapsStatic);
  buffer.Apply();
  EXPECT_FALSE(buffer.Sound3D().InSync());
  EXPECT_EQ(buffer.GetFormat().SamplesPerSec, 22050u);  // takes effect only when created again

  buffer.ReleaseBuffer();
  buffer.CreateBuffer();
  EXPECT_EQ(buffer.GetFormat().SamplesPerSec, 11025u);
  EXPECT_EQ(buffer.GetFormat().AvgBytesPerSec, 44100u);
  EXPECT_EQ(buffer.Pending(), 0);
  buffer.Sound3D().Commit();
  EXPECT_TRUE(buffer.Sound3D().InSync());
  EXPECT_EQ(buffer.Sound3D().GetMinDistance(), 3.0f);
}

TEST_F(DXSoundTest, ThePrimaryBufferTakesItsFormatAndHasNo3DBlock) {
  TDXSoundBuffer& primary = Sound.PrimaryBuffer();
  EXPECT_TRUE(primary.Primary());
  EXPECT_TRUE(primary.Looping());
  EXPECT_FALSE(primary.Sound3D().Available());
  primary.SetChannels(1);
  primary.SetSampleRate(44100);
  primary.CreateBuffer();
  EXPECT_EQ(primary.Description().Flags, ds::kCapsPrimaryBuffer | ds::kCapsCtrl3D);
  primary.Apply();
  const ds::WaveFormat format = primary.GetFormat();
  EXPECT_EQ(format.BlockAlign, 2);
  EXPECT_EQ(format.AvgBytesPerSec, 88200u);
  primary.Play();
  EXPECT_TRUE(primary.Playing());

  primary.SetPrimary(false);
  EXPECT_TRUE(primary.Sound3D().Available());
  primary.SetPrimary(true);
  EXPECT_FALSE(primary.Sound3D().Available());
}

TEST_F(DXSoundTest, TheListenerBelongsToThePrimaryBufferAndSnapsDust) {
  ExpectRaises([&] { TDXSound3DListener listener(&Sound.AddBuffer()); }, "DXSound3DListener: Sound buffer not primary");
  TDXSound3DListener& listener = Sound.Listener();
  Sound.PrimaryBuffer().CreateBuffer();
  listener.AcquireInterface();
  listener.SetPosition(1e-7f, 2.0f, 0.0f);
  EXPECT_EQ(listener.Params().Position, (ds::Vector{0.0f, 2.0f, 0.0f}));
  listener.SetOrientation(0.0f, -5e-7f, 1.0f, 3e-8f, 1.0f, 0.0f);
  EXPECT_EQ(listener.Params().OrientFront, (ds::Vector{0.0f, 0.0f, 1.0f}));
  EXPECT_EQ(listener.Params().OrientTop, (ds::Vector{0.0f, 1.0f, 0.0f}));
  listener.Commit();
  EXPECT_TRUE(listener.InSync());
  ds::ListenerParams sent;
  ASSERT_EQ(listener.Interface().GetAllParameters(sent), ds::kOk);
  EXPECT_EQ(sent.Position, (ds::Vector{0.0f, 2.0f, 0.0f}));

  listener.SetPosition(1e-7f, 2.0f, 0.0f);  // the same place once snapped
  listener.SetDopplerFactor(1.0f);
  EXPECT_TRUE(listener.InSync());
  listener.SetRolloffFactor(2.5f);
  EXPECT_FALSE(listener.InSync());
}

TEST_F(DXSoundTest, ADuplicateStartsWithTheOriginalsSettingsAndSharesItsSamples) {
  TDXSoundBuffer& original = Sound.AddBuffer();
  original.SetDescription({20, TDXSoundBuffer::kDefaultFlags, 8, 0, nullptr});
  original.SetChannels(1);
  original.CreateBuffer();
  original.SetVolume(-400);
  original.SetLooping(true);
  const std::uint8_t samples[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  original.Write(0, 8, samples);

  TDXSoundBuffer& duplicate = Sound.DuplicateBuffer(original);
  EXPECT_EQ(duplicate.Description().BufferBytes, 8u);
  EXPECT_EQ(duplicate.Description().Format, &duplicate.Format());
  EXPECT_EQ(duplicate.Format(), original.Format());
  EXPECT_TRUE(duplicate.Looping());
  EXPECT_EQ(duplicate.Pending(), original.Pending());
  duplicate.CreateBuffer();
  duplicate.Apply();
  EXPECT_EQ(duplicate.GetVolume(), -400);
  EXPECT_EQ(Contents(duplicate), std::vector<std::uint8_t>(samples, samples + 8));

  // A duplicate whose original went before it was created gets a buffer of its own.
  TDXSoundBuffer& orphan = Sound.DuplicateBuffer(duplicate);
  Sound.RemoveBuffer(&duplicate);
  orphan.CreateBuffer();
  EXPECT_EQ(Contents(orphan), std::vector<std::uint8_t>(8, 0));
}

TEST_F(DXSoundTest, FailingPlatformCallsRaiseTheirMessagesWithTheLow12BitsOfTheCode) {
  struct Case {
    const char* Call;
    std::function<void(DXSoundTest&)> Prepare;  // may be empty
    std::function<void(DXSoundTest&)> Act;
    const char* Message;
  };
  const auto created = [](DXSoundTest& t) -> TDXSoundBuffer& { return *t.Sound.Buffers().back(); };
  const auto primary = [](DXSoundTest& t) -> TDXSoundBuffer& {
    t.Sound.PrimaryBuffer().CreateBuffer();
    return t.Sound.PrimaryBuffer();
  };
  const std::uint8_t data[4] = {};
  // One call of each kind: the device, creating a buffer, reading a value, writing samples, playing,
  // restoring a lost buffer, applying a pending setting, the 3D buffer and the listener.
  const std::vector<Case> cases = {
      {"ds.Sound.SetCooperativeLevel", {}, [](auto& t) { t.Sound.SetCooperativeLevel(2); },
       "DXSound: Set cooperative level failed"},
      {"ds.Sound.CreateSoundBuffer", {}, [](auto& t) { t.Sound.AddBuffer().CreateBuffer(); },
       "DXSoundBuffer: Create sound buffer failed"},
      {"ds.Buffer.GetVolume", {}, [&](auto& t) { created(t).GetVolume(); }, "DXSoundBuffer: Get volume failed"},
      {"ds.Buffer.Lock", {}, [&](auto& t) { created(t).Write(0, 4, data); }, "DXSoundBuffer: Lock buffer failed"},
      {"ds.Buffer.Play", {}, [&](auto& t) { created(t).Play(); }, "DXSoundBuffer: Play buffer failed"},
      {"ds.Buffer.Restore", [](auto&) { rtl::faults::Arm("ds.Buffer.Lost", 1); },
       [&](auto& t) { created(t).RestoreBuffer(); }, "DXSoundBuffer: Restore buffer failed"},
      {"ds.Buffer.SetVolume", [&](auto& t) { created(t).SetVolume(-100); }, [&](auto& t) { created(t).Apply(); },
       "DXSoundBuffer: Set volume failed"},
      {"ds.Buffer3D.SetAllParameters", {}, [&](auto& t) { created(t).Sound3D().Commit(); },
       "DXSound3DBuffer: Update parameters failed"},
      {"ds.Listener.SetAllParameters",
       [&](auto& t) {
         primary(t);
         t.Sound.Listener().AcquireInterface();
       },
       [](auto& t) { t.Sound.Listener().Commit(); }, "DXSound3DListener: Set all parameters failed"},
  };
  for (const Case& c : cases) {
    DXSoundTest& t = *this;
    while (!Sound.Buffers().empty()) Sound.RemoveBuffer(Sound.Buffers().back().get());
    Created();
    if (c.Prepare) c.Prepare(t);
    rtl::faults::Arm(c.Call, ds::kErrBufferLost);
    SCOPED_TRACE(c.Call);
    ExpectRaises([&] { c.Act(t); }, std::string(c.Message) + " code: 150");
    rtl::faults::Reset();
  }
}
