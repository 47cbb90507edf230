#include "tools/worldbuilder/Sounds.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

#include "core3d/Stream3D.h"
#include "platform/rtl/MemoryStream.h"
#include "render/ShowView.h"
#include "scene/ItemSound3D.h"
#include "tools/worldbuilder/Assembly.h"
#include "tools/worldbuilder/Config.h"
#include "tools/worldbuilder/Herds.h"
#include "tools/worldbuilder/Land.h"
#include "tools/worldbuilder/Noise.h"

namespace worldbuilder {

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kRate = static_cast<float>(kShowSampleRate);

// One sound: its samples as a function of time, how long, and how far it carries.
struct TVoice {
  const char* name;
  float seconds;           // the whole loop, the silence after a call included
  float minimum, maximum;  // distances in metres: full volume within the first, silent past the second
  std::function<float(float t, TRandom& noise)> wave;
};

float Envelope(float t, float attack, float length) {
  if (t < 0.0f || t > length) return 0.0f;
  return std::min(1.0f, t / attack) * std::min(1.0f, (length - t) / (length * 0.4f));
}

// A call whose pitch glides from `from` to `to` Hz over `length` seconds, with harmonics.
float Call(float t, float from, float to, float length, float rasp, TRandom& noise) {
  const float phase = 2.0f * kPi * (from * t + 0.5f * (to - from) * t * t / length);
  const float tone = std::sin(phase) + 0.5f * std::sin(2.0f * phase) + 0.25f * std::sin(3.0f * phase);
  return Envelope(t, 0.05f, length) * (0.55f * tone + rasp * (noise.Unit() - 0.5f));
}

std::vector<TVoice> Voices() {
  return {
      {"GiantCall", 14.0f, 40.0f, 600.0f, [](float t, TRandom& n) { return Call(t, 70.0f, 48.0f, 2.6f, 0.3f, n); }},
      {"GrazerCall", 9.0f, 25.0f, 300.0f,
       [](float t, TRandom& n) {
         return Call(t, 220.0f, 160.0f, 0.6f, 0.2f, n) + Call(t - 0.9f, 210.0f, 150.0f, 0.7f, 0.2f, n);
       }},
      {"PlatedCall", 12.0f, 20.0f, 250.0f, [](float t, TRandom& n) { return Call(t, 110.0f, 90.0f, 1.2f, 0.6f, n); }},
      {"HunterCall", 6.0f, 15.0f, 250.0f,
       [](float t, TRandom& n) {
         float s = 0.0f;
         for (int k = 0; k < 4; ++k) s += Call(t - 0.22f * k, 900.0f, 1400.0f, 0.14f, 0.1f, n);
         return s + Call(t - 1.2f, 500.0f, 320.0f, 0.3f, 0.5f, n);
       }},
      {"FlyerCall", 8.0f, 30.0f, 400.0f, [](float t, TRandom& n) { return Call(t, 1800.0f, 1100.0f, 0.7f, 0.4f, n); }},
      {"SwimmerCall", 16.0f, 30.0f, 400.0f,
       [](float t, TRandom& n) { return Call(t, 160.0f, 240.0f, 1.8f, 0.15f, n); }},
      {"Water", 4.0f, 15.0f, 120.0f,
       [](float t, TRandom& n) {
         const float lap = 0.5f + 0.5f * std::sin(2.0f * kPi * t / 1.0f) * std::sin(2.0f * kPi * t / 4.0f);
         return 0.35f * lap * (n.Unit() - 0.5f) * (1.0f + std::sin(2.0f * kPi * 300.0f * t) * 0.2f);
       }},
      {"Insects", 2.0f, 3.0f, 40.0f,
       [](float t, TRandom& n) {
         const float buzz = std::sin(2.0f * kPi * 2400.0f * t) * (0.5f + 0.5f * std::sin(2.0f * kPi * 23.0f * t));
         return 0.25f * buzz * (0.7f + 0.3f * std::sin(2.0f * kPi * t / 2.0f)) + 0.05f * (n.Unit() - 0.5f);
       }},
      {"Wind", 6.0f, 60.0f, 600.0f,
       [](float t, TRandom& n) { return 0.5f * (0.6f + 0.4f * std::sin(2.0f * kPi * t / 6.0f)) * (n.Unit() - 0.5f); }},
  };
}

// Sixteen-bit mono samples; noise is low-passed a little so that it rustles instead of hissing.
std::vector<std::uint8_t> Samples(const TVoice& voice, std::uint32_t seed) {
  TRandom noise(seed);
  const auto count = static_cast<std::size_t>(voice.seconds * kRate);
  std::vector<std::uint8_t> bytes(count * 2);
  float smooth = 0.0f;
  for (std::size_t i = 0; i < count; ++i) {
    smooth += 0.35f * (voice.wave(static_cast<float>(i) / kRate, noise) - smooth);
    const auto value = static_cast<std::int16_t>(std::clamp(smooth, -1.0f, 1.0f) * 26000.0f);
    bytes[2 * i] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[2 * i + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
  }
  return bytes;
}

void WriteVector(rtl::TStream& s, float x, float y, float z) {
  for (float c : {x, y, z}) s.WriteValue(c);
}

// A sound's record as the world file lays it out: its samples' name, the buffer description,
// the wave format, the 3D parameters, its vectors and whether it loops.
void WriteSound(rtl::TStream& s, const TVoice& voice, const std::string& samples, std::uint32_t bytes) {
  WriteString(s, voice.name);
  WriteString(s, samples);
  for (std::uint32_t field : {20u, TDXSoundBuffer::kDefaultFlags, bytes, 0u, 0u}) s.WriteValue(field);
  s.WriteValue<std::uint16_t>(1);  // PCM, mono, 16 bits
  s.WriteValue<std::uint16_t>(1);
  s.WriteValue<std::uint32_t>(kShowSampleRate);
  s.WriteValue<std::uint32_t>(kShowSampleRate * 2);
  s.WriteValue<std::uint16_t>(2);
  s.WriteValue<std::uint16_t>(16);
  s.WriteValue<std::uint16_t>(0);
  s.WriteValue<std::uint32_t>(64);
  WriteVector(s, 0, 0, 0);
  WriteVector(s, 0, 0, 0);
  s.WriteValue<std::uint32_t>(360);
  s.WriteValue<std::uint32_t>(360);
  WriteVector(s, 0, 0, 1);
  s.WriteValue<std::int32_t>(0);
  s.WriteValue(voice.minimum * kUnit);
  s.WriteValue(voice.maximum * kUnit);
  s.WriteValue<std::uint32_t>(0);
  WriteVector(s, 0, 0, 0);
  WriteVector(s, 0, 0, 1);
  WriteVector(s, 0, 0, 0);
  WriteByte(s, 1);  // every voice loops: a call repeats after its silence
}

TItemSound3D& AddVoice(TWorld3D& world, TConstruction3D& holder, const std::string& voice) {
  auto& item = AddItem<TItemSound3D>(holder, "TItemSound3D");
  item.SetSound(&rtl::CheckedCast<TSound3D>(*world.Sounds().ItemByName(voice)));
  return item;
}

}  // namespace

void AddSounds(TWorld3D& world) {
  const std::vector<TVoice> voices = Voices();
  rtl::TMemoryStream s;
  s.WriteValue<std::uint32_t>(static_cast<std::uint32_t>(voices.size()));  // the samples' counter
  s.WriteValue<std::int32_t>(static_cast<std::int32_t>(voices.size()));
  std::vector<std::uint32_t> sizes;
  for (std::size_t i = 0; i < voices.size(); ++i) {
    const std::vector<std::uint8_t> bytes = Samples(voices[i], kPictureSeed + static_cast<std::uint32_t>(i));
    WriteString(s, std::to_string(i));
    s.WriteValue<std::uint32_t>(static_cast<std::uint32_t>(bytes.size()));
    s.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    sizes.push_back(static_cast<std::uint32_t>(bytes.size()));
  }
  s.WriteValue<std::int32_t>(static_cast<std::int32_t>(voices.size()));
  for (std::size_t i = 0; i < voices.size(); ++i) WriteSound(s, voices[i], std::to_string(i), sizes[i]);
  s.SetPosition(0);
  world.Sounds().LoadFromStream(s);
}

void PlaceSounds(TWorld3D& world, TScene3D& scene) {
  const char* calls[] = {"GiantCall", "GrazerCall", "PlatedCall", "HunterCall", "FlyerCall", "SwimmerCall"};
  for (const THerd& herd : Herds()) {
    auto& leader = rtl::CheckedCast<TObject3D>(*scene.Objects().ItemByName(std::string(herd.name) + "1"));
    TItemSound3D& call = AddVoice(world, leader, calls[static_cast<int>(herd.species)]);
    call.GetPosition().SetXYZ(0.0f, Height(herd.species) * kUnit * 0.7f, Reach(herd.species) * kUnit * 0.6f);
  }
  auto& still = rtl::CheckedCast<TObject3D>(*scene.Objects().Add("Ambience"));
  const float places[][3] = {{kLakeX + 120.0f, 0.0f, kLakeZ + 60.0f}, {60.0f, 0.0f, 80.0f}, {330.0f, 0.0f, 60.0f}};
  const char* voices[] = {"Water", "Insects", "Wind"};
  for (int i = 0; i < 3; ++i) {
    TItemSound3D& sound = AddVoice(world, still, voices[i]);
    const float x = places[i][0], z = places[i][2];
    Place(sound, x, std::max(kWaterLevel, GroundHeight(x, z)) + 2.0f, z);
  }
}

}  // namespace worldbuilder
