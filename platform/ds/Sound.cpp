#include "platform/ds/Sound.h"

#include <AL/al.h>
#include <AL/alext.h>

#include <algorithm>
#include <cstdlib>

#include "platform/ds/Buffer.h"
#include "platform/ds/Mapping.h"
#include "platform/rtl/Faults.h"

namespace ds {

namespace {

// The world may hold many sounds; OpenAL Soft's default of 256 sources is not a limit the
// platform had.
const ALCint kContextAttributes[] = {ALC_MONO_SOURCES, 960, ALC_STEREO_SOURCES, 64, 0};

constexpr std::uint32_t kLevelHighest = 4;

}  // namespace

Result DirectSoundCreate(const char* deviceName, std::unique_ptr<Sound>& sound) {
  sound.reset();
  if (const Result fault = rtl::faults::Check("ds.DirectSoundCreate")) return fault;
  // OpenAL Soft reports every device it fails to open; a show that waits for one keeps trying, so
  // its reports stay off unless the user asks for them.
  setenv("ALSOFT_LOGLEVEL", "0", 0);
  sound.reset(new Sound(deviceName != nullptr ? std::optional<std::string>(deviceName) : std::nullopt));
  return kOk;
}

Sound::Sound(std::optional<std::string> deviceName) : FDeviceName(std::move(deviceName)) { OpenDevice(); }

Sound::~Sound() { CloseDevice(); }

void Sound::OpenDevice() {
  FNextOpen = std::chrono::steady_clock::now() + std::chrono::milliseconds(FRetryMs);
  FRetryMs = std::min(2 * FRetryMs, kRetryMaxMs);
  FDevice = alcOpenDevice(FDeviceName ? FDeviceName->c_str() : nullptr);
  if (FDevice == nullptr) return;
  FContext = alcCreateContext(FDevice, kContextAttributes);
  if (FContext == nullptr) {
    alcCloseDevice(FDevice);
    FDevice = nullptr;
    return;
  }
  FRetryMs = kRetryMs;
  MakeCurrent();
  alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
  ApplyListener();
  for (Buffer* buffer : FBuffers) buffer->Attach();
}

void Sound::CloseDevice() {
  if (FContext == nullptr) return;
  MakeCurrent();
  for (Buffer* buffer : FBuffers) buffer->Detach();
  alcMakeContextCurrent(nullptr);
  alcDestroyContext(FContext);
  alcCloseDevice(FDevice);
  FContext = nullptr;
  FDevice = nullptr;
  FRetryMs = kRetryMs;
  FNextOpen = std::chrono::steady_clock::now() + std::chrono::milliseconds(FRetryMs);
}

void Sound::KeepDevice() {
  if (FDevice != nullptr) {
    ALCint connected = ALC_TRUE;
    alcGetIntegerv(FDevice, ALC_CONNECTED, 1, &connected);
    if (connected == ALC_FALSE) CloseDevice();
    return;
  }
  if (std::chrono::steady_clock::now() >= FNextOpen) OpenDevice();
}

void Sound::MakeCurrent() const {
  if (FContext != nullptr && alcGetCurrentContext() != FContext) alcMakeContextCurrent(FContext);
}

Result Sound::SetCooperativeLevel(WindowHandle window, std::uint32_t level) {
  if (const Result fault = rtl::faults::Check("ds.Sound.SetCooperativeLevel")) return fault;
  if (level < kScopeNormal || level > kLevelHighest) return kErrInvalidParam;
  FWindow = window;
  FLevel = level;
  return kOk;
}

Result Sound::CreateSoundBuffer(const BufferDesc& desc, std::unique_ptr<Buffer>& buffer) {
  buffer.reset();
  if (const Result fault = rtl::faults::Check("ds.Sound.CreateSoundBuffer")) return fault;
  if (desc.Size != kBufferDescBytes) return kErrInvalidParam;
  std::unique_ptr<Buffer> created(new Buffer(this, desc));
  if ((desc.Flags & kCapsPrimaryBuffer) != 0) {
    if (desc.BufferBytes != 0 || desc.Format != nullptr) return kErrInvalidParam;
    return Deliver(std::move(created), buffer);
  }
  if (desc.Format == nullptr) return kErrInvalidParam;
  if (desc.BufferBytes < kBufferBytesMin || desc.BufferBytes > kBufferBytesMax) return kErrInvalidParam;
  if (const Result result = created->CreateSource(nullptr)) return result;
  return Deliver(std::move(created), buffer);
}

Result Sound::DuplicateSoundBuffer(const Buffer& original, std::unique_ptr<Buffer>& duplicate) {
  duplicate.reset();
  if (const Result fault = rtl::faults::Check("ds.Sound.DuplicateSoundBuffer")) return fault;
  if (original.FSound != this || original.Primary()) return kErrInvalidCall;
  std::unique_ptr<Buffer> created(new Buffer(this, original.FDesc));
  created->FFormat = original.FFormat;  // the description no longer points at a format
  created->FVolume = original.FVolume;
  created->FPan = original.FPan;
  created->FFrequency = original.FFrequency;
  created->F3D = original.F3D;
  if (const Result result = created->CreateSource(original.FStore)) return result;
  return Deliver(std::move(created), duplicate);
}

Result Sound::Deliver(std::unique_ptr<Buffer> created, std::unique_ptr<Buffer>& buffer) {
  created->ApplyGain();
  created->ApplySpatial();
  buffer = std::move(created);
  return kOk;
}

void Sound::ApplyListener() {
  if (FContext == nullptr) return;
  MakeCurrent();
  const ListenerParams& p = FListener;
  alListener3f(AL_POSITION, p.Position.x, p.Position.y, -p.Position.z);
  alListener3f(AL_VELOCITY, p.Velocity.x, p.Velocity.y, -p.Velocity.z);
  const ALfloat orientation[6] = {p.OrientFront.x, p.OrientFront.y, -p.OrientFront.z,
                                  p.OrientTop.x,   p.OrientTop.y,   -p.OrientTop.z};
  alListenerfv(AL_ORIENTATION, orientation);
  alSpeedOfSound(mapping::kSpeedOfSound / p.DistanceFactor);
  alDopplerFactor(p.DopplerFactor);
  for (const Buffer* buffer : FBuffers) buffer->ApplyRolloff();
}

}  // namespace ds
