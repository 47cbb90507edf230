#include "sound/Sound.h"

#include <gtest/gtest.h>

#include "core3d/Stream3D.h"
#include "platform/rtl/Cast.h"
#include "platform/rtl/Faults.h"
#include "tests/platform/ds/WaveOutput.h"
#include "tests/support/ElementBytes.h"
#include "tests/support/Raises.h"
#include "tests/support/StreamBytes.h"

using testing_support::ExpectRaises;
using testing_support::Hex;
using testing_support::Saved;
using testing_support::kOutputRate;
using testing_support::SleepMs;
using testing_support::StreamOf;
using testing_support::Tone;
using testing_support::ToHex;
using testing_support::Wave;

namespace {

constexpr double kToneHz = 450.0;

// A sound as the world file describes it: mono 16-bit samples at the output rate.
struct SoundRecord {
  SoundRecord(std::string name, std::string samples, std::uint32_t bufferBytes = 4, ds::Vector position = {},
              bool looping = false, float minDistance = 500.0f, std::uint32_t rate = kOutputRate)
      : Name(std::move(name)), Samples(std::move(samples)), BufferBytes(bufferBytes), Position(position),
        Looping(looping), MinDistance(minDistance), Rate(rate) {}

  std::string Name;
  std::string Samples;  // empty: none
  std::uint32_t BufferBytes;
  ds::Vector Position;
  bool Looping;
  float MinDistance;
  std::uint32_t Rate;  // samples per second of the mono 16-bit format
};

void PutVector(rtl::TMemoryStream& s, const ds::Vector& v) {
  for (float c : {v.x, v.y, v.z}) s.WriteValue(c);
}

// The sound collection's record, written field by field as the file format lays it out.
std::vector<std::uint8_t> CollectionRecord(const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& pool,
                                           const std::vector<SoundRecord>& sounds) {
  rtl::TMemoryStream s;
  s.WriteValue<std::uint32_t>(static_cast<std::uint32_t>(pool.size()));  // sample counter
  s.WriteValue<std::int32_t>(static_cast<std::int32_t>(pool.size()));
  for (const auto& [name, bytes] : pool) {
    WriteString(s, name);
    s.WriteValue<std::uint32_t>(static_cast<std::uint32_t>(bytes.size()));
    s.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  }
  s.WriteValue<std::int32_t>(static_cast<std::int32_t>(sounds.size()));
  for (const SoundRecord& r : sounds) {
    WriteString(s, r.Name);
    WriteString(s, r.Samples);
    for (std::uint32_t field : {20u, TDXSoundBuffer::kDefaultFlags, r.BufferBytes, 0u, 0u}) s.WriteValue(field);
    s.WriteValue<std::uint16_t>(1);  // PCM
    s.WriteValue<std::uint16_t>(1);
    s.WriteValue<std::uint32_t>(r.Rate);
    s.WriteValue<std::uint32_t>(r.Rate * 2);
    s.WriteValue<std::uint16_t>(2);
    s.WriteValue<std::uint16_t>(16);
    s.WriteValue<std::uint16_t>(0);
    s.WriteValue<std::uint32_t>(64);
    PutVector(s, r.Position);
    PutVector(s, {});
    s.WriteValue<std::uint32_t>(360);
    s.WriteValue<std::uint32_t>(360);
    PutVector(s, {0.0f, 0.0f, 1.0f});
    s.WriteValue<std::int32_t>(0);
    s.WriteValue(r.MinDistance);
    s.WriteValue(1e9f);
    s.WriteValue<std::uint32_t>(0);
    PutVector(s, r.Position);
    PutVector(s, {0.0f, 0.0f, 1.0f});
    PutVector(s, {});
    s.WriteValue<std::uint8_t>(r.Looping ? 1 : 0);
  }
  return s.Bytes();
}

// Counts the ends a sound reports.
struct StopCounter {
  int Count = 0;
  void Handle(TSound3D*) { ++Count; }
  TSoundEvent Event() { return TSoundEvent::Bind<&StopCounter::Handle>(this); }
};

// A device and a sound collection on it. Frames run every 10 ms, as the show would; closing
// frees the sounds, then the device, and hands back what was heard.
class World {
 public:
  World() : Device(std::make_unique<TSoundDevice>(1)), Sounds(std::make_unique<TCollectionSound3D>(nullptr, "Sounds")) {
    Sounds->SetDevice(Device.get());
  }

  void Load(const std::vector<std::uint8_t>& record) {
    rtl::TMemoryStream stream = StreamOf(record);
    Sounds->LoadFromStream(stream);
  }
  TSound3D& Sound(const std::string& name) const { return rtl::CheckedCast<TSound3D>(*Sounds->ItemByName(name)); }
  void Run(int milliseconds) {
    for (int t = 0; t < milliseconds; t += 10) {
      Device->Update();
      SleepMs(10);
    }
  }
  Wave Close() {
    Sounds.reset();
    Device.reset();
    return testing_support::ReadWaveOutput();
  }

  std::unique_ptr<TSoundDevice> Device;
  std::unique_ptr<TCollectionSound3D> Sounds;
};

class SoundTest : public testing::Test {
 protected:
  void TearDown() override {
    rtl::faults::Reset();
    testing_support::SetAudioDeviceAvailable(true);
  }
};

}  // namespace

// Output devices come and go: none can be opened at the start (the wave output's folder is missing),
// then one can; later that one fails as it plays (its file may grow no more), then writing works
// again. Throughout, the looping sound plays on, silent while there is no device, and it is heard
// from the device that opens last.
TEST_F(SoundTest, ALoopingSoundPlaysOnWhileDevicesComeAndGoAndIsHeardFromTheLastOne) {
  testing_support::SetAudioDeviceAvailable(false);
  World world;
  EXPECT_TRUE(world.Device->DXSound().Available()) << "a sound object waits for its device";
  EXPECT_TRUE(world.Device->Enabled());
  const auto tone = Tone(0.1, kToneHz, 8000);
  world.Load(CollectionRecord({{"0", tone}}, {{"Bird", "0", static_cast<std::uint32_t>(tone.size()), {}, true}}));
  TSound3D& bird = world.Sound("Bird");
  bird.Play();
  const ds::Sound& output = world.Device->DXSound().DirectSound();
  const auto expectPlaying = [&](bool device, const char* when) {
    EXPECT_EQ(output.HasDevice(), device) << when;
    EXPECT_TRUE(bird.Playing()) << when;
    EXPECT_EQ(world.Device->PlayingSounds(), std::vector<TSound3D*>{&bird}) << when;
  };
  world.Run(300);
  expectPlaying(false, "no device yet");

  testing_support::SetAudioDeviceAvailable(true);
  world.Run(ds::Sound::kRetryMs + 300);
  expectPlaying(true, "a device opened within the retry interval");
  const std::uintmax_t written = testing_support::AudioOutputBytes();
  world.Run(200);
  EXPECT_GT(testing_support::AudioOutputBytes(), written) << "the device plays";

  testing_support::SetAudioOutputWritable(false);
  world.Run(300);
  expectPlaying(false, "the failing device was let go");
  testing_support::SetAudioOutputWritable(true);
  world.Run(ds::Sound::kRetryMs + 500);
  expectPlaying(true, "the next device opened");
  world.Run(200);
  const Wave heard = world.Close();
  EXPECT_GT(heard.AudibleFrames(), static_cast<std::size_t>(kOutputRate / 2));
  EXPECT_NEAR(heard.Pitch(), kToneHz, 10.0);
}

TEST_F(SoundTest, TheDeviceStartsTheMixAndPushesListenerChangesAtOnce) {
  World world;
  TDXSound& dx = world.Device->DXSound();
  EXPECT_TRUE(world.Device->Enabled());
  EXPECT_TRUE(world.Device->Use3D());
  EXPECT_TRUE(dx.PrimaryBuffer().Playing());
  EXPECT_EQ(dx.PrimaryBuffer().GetFormat().SamplesPerSec, 44100u);
  EXPECT_TRUE(dx.Listener().InSync());

  world.Device->ListenerPosition().SetXYZ(1.0f, 2.0f, 3.0f);
  world.Device->ListenerOrientation().SetOrientation(1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f);
  world.Device->SetRolloffFactor(3.0f);
  world.Device->SetStereo(false);
  EXPECT_EQ(dx.Listener().Params().Position, (ds::Vector{1.0f, 2.0f, 3.0f}));
  EXPECT_EQ(dx.Listener().Params().OrientFront, (ds::Vector{1.0f, 0.0f, 0.0f}));
  EXPECT_EQ(dx.Listener().Params().OrientTop, (ds::Vector{0.0f, 0.0f, 1.0f}));
  EXPECT_FALSE(dx.Listener().InSync());
  world.Device->Update();
  ds::ListenerParams sent;
  ASSERT_EQ(dx.Listener().Interface().GetAllParameters(sent), ds::kOk);
  EXPECT_EQ(sent.RolloffFactor, 3.0f);
  EXPECT_EQ(sent.OrientFront, (ds::Vector{1.0f, 0.0f, 0.0f}));
  EXPECT_EQ(dx.PrimaryBuffer().GetFormat().Channels, 1);

  world.Load(CollectionRecord({}, {{"A", "", 100}, {"B", "", 100}}));
  world.Device->SetUse3D(false);
  for (const auto& buffer : dx.Buffers()) EXPECT_FALSE(buffer->Control3D());
}

TEST_F(SoundTest, RecordsRoundTripToTheSameBytesAndNamesShareOnePooledSamples) {
  World world;
  const std::vector<std::uint8_t> record = CollectionRecord(
      {{"0", {1, 2, 3, 4}}, {"1", {9, 9}}},
      {{"A", "0", 4, {1.0f, 2.0f, 3.0f}, true}, {"B", "0", 4}, {"C", ""}, {"D", "1", 4, {}, false, 7.0f}});
  world.Load(record);
  EXPECT_EQ(ToHex(Saved(*world.Sounds)), ToHex(record));

  TSound3D& a = world.Sound("A");
  TSound3D& b = world.Sound("B");
  EXPECT_EQ(a.Samples(), b.Samples());
  EXPECT_EQ(a.Samples()->RefCount(), 2);
  EXPECT_EQ(world.Sound("C").Samples(), nullptr);
  EXPECT_TRUE(a.Looping());
  EXPECT_EQ(a.Position().Y(), 2.0f);
  EXPECT_EQ(world.Sound("D").MinDistance(), 7.0f);
  EXPECT_TRUE(a.Buffer().Created());  // loading ends with an update: the samples are in place

  World other;
  rtl::TMemoryStream stream = StreamOf(Saved(*world.Sounds));
  other.Sounds->LoadFromStream(stream);
  EXPECT_EQ(Saved(*other.Sounds), record);

  world.Sounds->Delete(&a);
  EXPECT_EQ(b.Samples()->RefCount(), 1);
  world.Sounds->Delete(&b);
  ASSERT_EQ(world.Sounds->SamplesPool().size(), 1u);
  EXPECT_EQ(world.Sounds->SamplesPool()[0]->Name(), "1");
}

TEST_F(SoundTest, SamplesAndDeviceRecordsHoldTheirFieldsInOrder) {
  TSoundSamples samples("ab");
  samples.Resize(3);
  std::copy_n("\x01\x02\x03", 3, samples.Data());
  EXPECT_EQ(ToHex(Saved(samples)), "02 00 00 00 61 62 03 00 00 00 01 02 03");

  World world;
  world.Device->ListenerPosition().SetXYZ(0.5f, 0.0f, 0.0f);
  world.Device->SetSampleRate(22050);
  const std::vector<std::uint8_t> device = Saved(*world.Device);
  EXPECT_EQ(ToHex(device), "01 01 01 10 00 00 00 22 56 00 00 "
                           "00 00 00 00 00 00 00 00 00 00 80 3F 00 00 00 00 00 00 80 3F 00 00 00 00 "
                           "00 00 00 3F 00 00 00 00 00 00 00 00 "
                           "00 00 00 00 00 00 00 00 00 00 00 00 01");
  World copy;
  rtl::TMemoryStream stream = StreamOf(device);
  copy.Device->LoadFromStream(stream);
  EXPECT_EQ(Saved(*copy.Device), device);
}

TEST_F(SoundTest, DamagedRecordsFailWithAReadErrorBeforeAllocating) {
  World world;
  std::vector<std::uint8_t> huge = Hex("00 00 00 00 01 00 00 00 01 00 00 00 41 FF FF FF 7F 01 02");
  ExpectRaises([&] { world.Load(huge); }, "Stream read error");
  std::vector<std::uint8_t> many = Hex("00 00 00 00 FF FF FF 7F 00 00 00 00");
  ExpectRaises([&] { world.Load(many); }, "Stream read error");
  std::vector<std::uint8_t> cut = CollectionRecord({}, {{"A", "", 4}});
  cut.pop_back();
  ExpectRaises([&] { world.Load(cut); }, "Stream read error");
}

// A damaged buffer size made a 256 MB sound buffer out of a few bytes of file.
TEST_F(SoundTest, ABufferSizeFarBeyondItsSamplesIsBoundedByThem) {
  World world;
  const std::vector<std::uint8_t> small(2000, 0x10), large(100000, 0x10);
  world.Load(CollectionRecord({{"Small", small}, {"Large", large}},
                              {{"A", "Small", 200000000u}, {"B", "Large", 0x7FFFFFFFu}, {"C", "", 300000u}}));
  EXPECT_EQ(world.Sound("A").Buffer().Description().BufferBytes, TDXSoundBuffer::kDefaultBufferBytes);
  EXPECT_EQ(world.Sound("B").Buffer().Description().BufferBytes, 100000u);
  EXPECT_EQ(world.Sound("C").Buffer().Description().BufferBytes, TDXSoundBuffer::kDefaultBufferBytes);
}

TEST_F(SoundTest, ThePoolNamesNewSamplesByCounterAndRefusesToLoseOne) {
  World world;
  TSoundSamples* first = world.Sounds->NewSamples();
  TSoundSamples* second = world.Sounds->NewSamples();
  EXPECT_EQ(first->Name(), "0");
  EXPECT_EQ(second->Name(), "1");
  EXPECT_EQ(world.Sounds->SampleCounter(), 2u);
  EXPECT_EQ(world.Sounds->FindSamples("1"), second);
  EXPECT_EQ(second->RefCount(), 2);
  EXPECT_EQ(world.Sounds->FindSamples("01"), nullptr);
  world.Sounds->ReleaseSamples(second);
  world.Sounds->ReleaseSamples(second);
  EXPECT_EQ(world.Sounds->SamplesPool().size(), 1u);

  TSoundSamples stray("stray");
  stray.AddRef();
  ExpectRaises([&] { world.Sounds->ReleaseSamples(&stray); }, "CollectionSound3D: samples stray not deleted");
}

TEST_F(SoundTest, ACopiedSoundTakesItsTemplatesSettingsAndSamples) {
  World world;
  world.Load(CollectionRecord({{"0", {1, 2, 3, 4}}}, {{"Frog", "0", 4, {3.0f, 0.0f, 0.0f}, true}}));
  TSound3D& frog = world.Sound("Frog");
  StopCounter stops;
  frog.OnStop = stops.Event();
  frog.SetVolume(-800);
  frog.SetMaxDistance(40.0f);
  frog.Update();

  auto& copy = static_cast<TSound3D&>(*world.Sounds->Add("Frog0001"));
  copy.Assign(frog);
  auto& copyOfCopy = static_cast<TSound3D&>(*world.Sounds->Add("Frog0002"));
  copyOfCopy.Assign(copy);
  EXPECT_EQ(copy.TemplateName(), "Frog");
  EXPECT_EQ(copyOfCopy.TemplateName(), "Frog");
  EXPECT_EQ(copyOfCopy.Samples(), frog.Samples());
  EXPECT_EQ(frog.Samples()->RefCount(), 3);
  EXPECT_EQ(copy.Volume(), -800);
  EXPECT_EQ(copy.MaxDistance(), 40.0f);
  EXPECT_EQ(copy.Position().X(), 3.0f);
  EXPECT_TRUE(copy.Looping());
  EXPECT_TRUE(copy.OnStop == frog.OnStop);
  copy.Update();
  EXPECT_EQ(copy.Buffer().Sound3D().GetAllParameters().Position, (ds::Vector{3.0f, 0.0f, 0.0f}));

  World elsewhere;  // a pool without the template's samples gets a copy of its own
  elsewhere.Load(CollectionRecord({}, {}));
  auto& foreign = static_cast<TSound3D&>(*elsewhere.Sounds->Add("Frog"));
  foreign.Assign(copy);  // (its buffer is made on the other device and never created here)
  ASSERT_NE(foreign.Samples(), nullptr);
  EXPECT_EQ(foreign.Samples()->Name(), "0");
  EXPECT_EQ(foreign.Samples()->Size(), 4u);
  EXPECT_EQ(frog.Samples()->RefCount(), 3);
}

// Every sound item plays a private copy of its template; the copy must keep the template's format.
TEST_F(SoundTest, ACopyOfASlowerSoundKeepsItsFormatAndIsHeardForItsLength) {
  World world;
  const auto call = Tone(0.1, kToneHz, 8000);  // 0.1 s at the output rate: 0.2 s at half of it
  const auto bytes = static_cast<std::uint32_t>(call.size());
  world.Load(CollectionRecord({{"0", call}}, {{"Call", "0", bytes, {}, false, 500.0f, kOutputRate / 2}}));
  auto& copy = static_cast<TSound3D&>(*world.Sounds->Add("Call0001"));
  copy.Assign(world.Sound("Call"));
  EXPECT_EQ(copy.Buffer().GetFormat().SamplesPerSec, static_cast<std::uint32_t>(kOutputRate / 2));
  EXPECT_EQ(copy.Buffer().GetFormat().Channels, 1);
  EXPECT_EQ(testing_support::Saved(copy).size(), testing_support::Saved(world.Sound("Call")).size());
  copy.Play();
  world.Run(350);
  const Wave wave = world.Close();
  EXPECT_NEAR(static_cast<double>(wave.AudibleFrames()), 0.2 * kOutputRate, 0.03 * kOutputRate);
}

// Sound output is off by default in the show, and the show frees every sound when it ends.
TEST_F(SoundTest, ASoundFreedWhileOutputIsOffLeavesThePlayingList) {
  World world;
  const auto tone = Tone(0.2, kToneHz, 3000);
  const auto bytes = static_cast<std::uint32_t>(tone.size());
  world.Load(CollectionRecord({{"0", tone}}, {{"A", "0", bytes}, {"B", "0", bytes}}));
  world.Sound("A").Play();
  world.Sound("B").Play();
  world.Device->SetEnabled(false);
  world.Sounds->Delete(&world.Sound("A"));
  EXPECT_EQ(world.Device->PlayingSounds(), std::vector<TSound3D*>{&world.Sound("B")});
  world.Device->SetEnabled(true);
  world.Device->Update();
  EXPECT_TRUE(world.Sound("B").Playing());
}

TEST_F(SoundTest, ASoundNeedsASoundCollectionWithADevice) {
  TCollectionSound3D orphans(nullptr, "Orphans");
  ExpectRaises([&] { orphans.Add("Lost"); }, "Sound3D error: Sound device not assigned");
  EXPECT_EQ(orphans.Count(), 0);
}

TEST_F(SoundTest, UpdateLetsOnUpdatePlaceTheSoundBeforeSendingAndRestoresALostBuffer) {
  World world;
  const auto tone = Tone(0.01, kToneHz, 8000);
  world.Load(CollectionRecord({{"0", tone}}, {{"Bell", "0", static_cast<std::uint32_t>(tone.size())}}));
  TSound3D& bell = world.Sound("Bell");
  struct Mover {
    void Handle(TSound3D* sound) { sound->Position().SetXYZ(4.0f, 5.0f, 6.0f); }
  } mover;
  bell.OnUpdate = TSoundEvent::Bind<&Mover::Handle>(&mover);
  bell.Update();
  EXPECT_EQ(bell.Buffer().Sound3D().GetAllParameters().Position, (ds::Vector{4.0f, 5.0f, 6.0f}));

  rtl::faults::Arm("ds.Buffer.Lost", 1);
  TDXSoundBuffer& buffer = bell.Buffer();
  EXPECT_FALSE(buffer.Lost());
  std::uint8_t *region1, *region2;
  std::uint32_t bytes1, bytes2;
  ASSERT_EQ(buffer.Buffer().Lock(0, 0, region1, bytes1, region2, bytes2, ds::kLockEntireBuffer), ds::kOk);
  EXPECT_TRUE(std::equal(tone.begin(), tone.end(), region1));
  ASSERT_EQ(buffer.Buffer().Unlock(region1, bytes1, region2, bytes2), ds::kOk);
}

// ---- what the world sounds like ----

TEST_F(SoundTest, ASoundIsHeardOnItsSideQuieterFartherAwayAndScaledByItsVolume) {
  struct Case {
    const char* What;
    ds::Vector Position;
    std::int32_t Volume;
    double Gain;  // against the first case
  };
  const std::vector<Case> cases = {{"at the minimum distance ahead", {0.0f, 0.0f, 500.0f}, 0, 1.0},
                                   {"twice as far", {0.0f, 0.0f, 1000.0f}, 0, 0.5},
                                   {"at -2000 hundredths of a decibel", {0.0f, 0.0f, 500.0f}, -2000, 0.1},
                                   {"to the right", {500.0f, 0.0f, 0.0f}, 0, 0.0}};
  const auto tone = Tone(0.2, kToneHz, 8000);
  double reference = 0.0;
  for (const Case& c : cases) {
    World world;
    world.Load(CollectionRecord(
        {{"0", tone}}, {{"Hum", "0", static_cast<std::uint32_t>(tone.size()), c.Position, true}}));
    TSound3D& hum = world.Sound("Hum");
    hum.SetVolume(c.Volume);
    hum.Play();
    world.Run(120);
    EXPECT_TRUE(hum.Playing());
    const Wave wave = world.Close();
    SCOPED_TRACE(c.What);
    if (c.Gain == 0.0) {
      EXPECT_GT(wave.Rms(1), 4.0 * wave.Rms(0)) << "left " << wave.Rms(0) << " right " << wave.Rms(1);
      continue;
    }
    if (reference == 0.0) reference = wave.Rms();
    EXPECT_NEAR(wave.Rms() / reference, c.Gain, 0.05 * c.Gain);
  }
}

TEST_F(SoundTest, AOneShotSoundIsHeardForItsOwnLengthAndEndsOnce) {
  World world;
  const auto shot = Tone(0.08, kToneHz, 8000);
  world.Load(CollectionRecord({{"0", shot}}, {{"Shot", "0", static_cast<std::uint32_t>(shot.size())}}));
  StopCounter stops;
  world.Sound("Shot").OnStop = stops.Event();
  world.Sound("Shot").Play();
  world.Device->Update();
  EXPECT_EQ(world.Device->PlayingSounds().size(), 1u);
  world.Run(200);
  EXPECT_EQ(stops.Count, 1);
  EXPECT_TRUE(world.Device->PlayingSounds().empty());
  const Wave wave = world.Close();
  EXPECT_NEAR(static_cast<double>(wave.AudibleFrames()), 0.08 * kOutputRate, 0.015 * kOutputRate);
}

TEST_F(SoundTest, ALoopingSoundKeepsPlayingAndPlayingItAgainLeavesItWhereItIs) {
  World world;
  const auto loop = Tone(0.04, kToneHz, 8000);
  world.Load(CollectionRecord({{"0", loop}}, {{"Loop", "0", static_cast<std::uint32_t>(loop.size()), {}, true}}));
  TSound3D& sound = world.Sound("Loop");
  StopCounter stops;
  sound.OnStop = stops.Event();
  sound.Play();
  world.Run(250);
  EXPECT_EQ(stops.Count, 0);
  EXPECT_EQ(world.Device->PlayingSounds(), std::vector<TSound3D*>{&sound});
  world.Device->SetEnabled(false);  // holds the cursor still for the comparison
  const std::uint32_t before = sound.Buffer().GetPosition();
  world.Device->SetEnabled(true);
  sound.Play();
  world.Device->Update();
  EXPECT_GE(sound.Buffer().GetPosition(), before);
  world.Device->StopSound(&sound);
  EXPECT_EQ(stops.Count, 1);
  EXPECT_TRUE(world.Device->PlayingSounds().empty());
  const Wave wave = world.Close();
  EXPECT_GT(wave.AudibleFrames(), static_cast<std::size_t>(0.2 * kOutputRate));
}

TEST_F(SoundTest, DisablingStopsEverySoundWhereItIsAndEnablingGoesOnFromThere) {
  World world;
  const auto tone = Tone(0.2, kToneHz, 3000);
  const auto bytes = static_cast<std::uint32_t>(tone.size());
  world.Load(CollectionRecord({{"0", tone}}, {{"A", "0", bytes}, {"B", "0", bytes}, {"C", "0", bytes}}));
  for (const char* name : {"A", "B", "C"}) world.Sound(name).Play();
  world.Device->Update();
  world.Run(60);

  world.Device->SetEnabled(false);
  std::vector<std::uint32_t> stopped;
  for (const char* name : {"A", "B", "C"}) {
    EXPECT_FALSE(world.Sound(name).Playing()) << name;
    stopped.push_back(world.Sound(name).Buffer().GetPosition());
    EXPECT_GT(stopped.back(), 0u) << name;
  }
  world.Run(80);
  EXPECT_EQ(world.Device->PlayingSounds().size(), 3u);

  world.Device->SetEnabled(true);
  for (int i = 0; i < 3; ++i) {
    TSound3D& sound = world.Sound(std::string(1, static_cast<char>('A' + i)));
    EXPECT_TRUE(sound.Playing());
    EXPECT_GE(sound.Buffer().GetPosition(), stopped[i]);
  }
  world.Run(250);
  EXPECT_TRUE(world.Device->PlayingSounds().empty());
  const Wave wave = world.Close();
  // Heard for the length of the tone in all, with the pause as a silence inside it.
  EXPECT_NEAR(static_cast<double>(wave.AudibleFrames()), 0.2 * kOutputRate, 0.02 * kOutputRate);
  EXPECT_GT(wave.LongestGapFrames(), static_cast<std::size_t>(0.05 * kOutputRate));
}
