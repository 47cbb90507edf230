#include "platform/ds/Buffer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/ds/Mapping.h"
#include "platform/ds/Sound.h"
#include "platform/ds/Spatial.h"
#include "platform/rtl/Faults.h"

namespace ds {

namespace {

bool ValidPcm(const WaveFormat& f) {
  const bool shape = f.FormatTag == kWaveFormatPcm && (f.Channels == 1 || f.Channels == 2) &&
                     (f.BitsPerSample == 8 || f.BitsPerSample == 16);
  return shape && f.SamplesPerSec >= kFrequencyMin && f.SamplesPerSec <= kFrequencyMax &&
         f.BlockAlign == f.Channels * f.BitsPerSample / 8 && f.AvgBytesPerSec == f.BlockAlign * f.SamplesPerSec;
}

ALenum AlFormatOf(const WaveFormat& f) {
  if (f.Channels == 1) return f.BitsPerSample == 8 ? AL_FORMAT_MONO8 : AL_FORMAT_MONO16;
  return f.BitsPerSample == 8 ? AL_FORMAT_STEREO8 : AL_FORMAT_STEREO16;
}

// Where a buffer without 3D control sounds: on the unit circle around the listener, as far to the
// side as the pan attenuates the other one (fully to one side at kPanLeft or kPanRight).
Vector PanDirection(std::int32_t pan) {
  const float other = mapping::Gain(-std::abs(pan));
  const float angle = std::copysign(std::numbers::pi_v<float> / 2.0f * (1.0f - other), static_cast<float>(pan));
  return {std::sin(angle), 0.0f, std::cos(angle)};
}

}  // namespace

Buffer::Store::~Store() { Detach(); }

bool Buffer::Store::Attach() {
  if (Name != 0) return true;
  alGetError();
  alGenBuffers(1, &Name);
  if (alGetError() != AL_NO_ERROR) {
    Name = 0;
    return false;
  }
  Fill();
  return true;
}

void Buffer::Store::Fill() const {
  const auto whole = Bytes.size() / BlockAlign * BlockAlign;
  alBufferData(Name, Format, Bytes.data(), static_cast<ALsizei>(whole), Rate);
}

void Buffer::Store::Detach() {
  if (Name != 0) alDeleteBuffers(1, &Name);
  Name = 0;
}

Buffer::Buffer(Sound* sound, const BufferDesc& desc) : FSound(sound), FDesc(desc) {
  if (desc.Format != nullptr) FFormat = *desc.Format;
  FDesc.Format = nullptr;  // the caller's format block is not ours to keep pointing at
  FSound->FBuffers.push_back(this);
}

Buffer::~Buffer() {
  FSound->MakeCurrent();
  Detach();
  if (FStore != nullptr) std::erase(FStore->Users, this);
  FStore.reset();
  std::erase(FSound->FBuffers, this);
}

Result Buffer::CreateSource(std::shared_ptr<Store> store) {
  if (store == nullptr) {
    if (!ValidPcm(FFormat)) return kErrBadFormat;
    store = std::make_shared<Store>();
    store->Bytes.assign(FDesc.BufferBytes, 0);
    store->Format = AlFormatOf(FFormat);
    store->Rate = static_cast<ALsizei>(FFormat.SamplesPerSec);
    store->BlockAlign = FFormat.BlockAlign;
  }
  if (FSound->HasDevice()) {
    FSound->MakeCurrent();
    if (!store->Attach() || !GenerateSource()) return kErrOutOfMemory;
  }
  FStore = std::move(store);
  FStore->Users.push_back(this);
  Upload();
  return kOk;
}

void Buffer::Attach() {
  if (Primary()) {
    ApplyGain();
    return;
  }
  if (FStore == nullptr || !FStore->Attach() || !GenerateSource()) return;  // no room: silent until the next device
  alSourcei(FSource, AL_BUFFER, static_cast<ALint>(FStore->Name));
  alSourcei(FSource, AL_LOOPING, FLooping ? AL_TRUE : AL_FALSE);
  ApplyGain();
  ApplySpatial();
  if (FPlaying && FLooping) Start();
}

bool Buffer::GenerateSource() {
  alGetError();
  alGenSources(1, &FSource);
  if (alGetError() == AL_NO_ERROR) return true;
  FSource = 0;
  return false;
}

void Buffer::Detach() {
  if (FSource != 0) {
    alSourceStop(FSource);
    alSourcei(FSource, AL_BUFFER, 0);
    alDeleteSources(1, &FSource);
    FSource = 0;
  }
  if (FStore != nullptr && std::ranges::none_of(FStore->Users, [](const Buffer* b) { return b->FSource != 0; })) {
    FStore->Detach();
  }
}

bool Buffer::SourcePlaying() const {
  if (Primary()) return FPlayingPrimary;
  if (FSource == 0) return FPlaying && FLooping;
  ALint state = AL_STOPPED;
  alGetSourcei(FSource, AL_SOURCE_STATE, &state);
  return state == AL_PLAYING;
}

void Buffer::Start() {
  FPlaying = true;
  if (FSource == 0) return;
  alSourcei(FSource, AL_BYTE_OFFSET, static_cast<ALint>(FCursor));
  FCursor = 0;
  alSourcePlay(FSource);
}

void Buffer::Halt() {
  if (FSource == 0) return;
  alSourcePause(FSource);
  ALint offset = 0;
  alGetSourcei(FSource, AL_BYTE_OFFSET, &offset);
  FCursor = static_cast<std::uint32_t>(offset);
  alSourceStop(FSource);
}

// OpenAL refuses new data for a buffer that a source holds: every source sharing the samples lets
// go of it for the upload and picks it up again, a playing one where it was.
void Buffer::Upload() {
  if (FStore->Name == 0) return;  // no device: the samples wait in the copy
  FSound->MakeCurrent();
  for (Buffer* user : FStore->Users) {
    if (user->FSource == 0) continue;
    user->FResumeAfterUpload = user->SourcePlaying();
    if (user->FResumeAfterUpload) user->Halt();
    alSourcei(user->FSource, AL_BUFFER, 0);
  }
  FStore->Fill();
  for (Buffer* user : FStore->Users) {
    if (user->FSource == 0) continue;
    alSourcei(user->FSource, AL_BUFFER, static_cast<ALint>(FStore->Name));
    if (user->FResumeAfterUpload) user->Start();
  }
}

void Buffer::Lose() {
  FLost = true;
  FPlayingPrimary = false;
  FPlaying = false;
  if (Primary()) return;
  if (FSource != 0) alSourceStop(FSource);
  FCursor = 0;
  std::fill(FStore->Bytes.begin(), FStore->Bytes.end(), std::uint8_t{0});
  Upload();
}

void Buffer::ApplyGain() const {
  if (Primary()) {
    if (FSound->HasDevice()) alListenerf(AL_GAIN, mapping::Gain(FVolume));
    return;
  }
  if (FSource == 0) return;
  alSourcef(FSource, AL_GAIN, mapping::Gain(FVolume));
  const float rate = static_cast<float>(FFormat.SamplesPerSec);
  alSourcef(FSource, AL_PITCH, FFrequency == kFrequencyOriginal ? 1.0f : static_cast<float>(FFrequency) / rate);
}

void Buffer::ApplySpatial() const {
  if (FSource == 0) return;
  if (!HasControl(kCapsCtrl3D)) {
    alSourcei(FSource, AL_SOURCE_RELATIVE, AL_TRUE);
    alSourcef(FSource, AL_ROLLOFF_FACTOR, 0.0f);
    mapping::SetSourceVector(FSource, AL_POSITION, PanDirection(FPan));
    return;
  }
  const bool atListener = F3D.Mode == kMode3DDisable;
  alSourcei(FSource, AL_SOURCE_RELATIVE, F3D.Mode == kMode3DNormal ? AL_FALSE : AL_TRUE);
  mapping::SetSourceVector(FSource, AL_POSITION, atListener ? Vector{} : F3D.Position);
  mapping::SetSourceVector(FSource, AL_VELOCITY, atListener ? Vector{} : F3D.Velocity);
  mapping::SetSourceVector(FSource, AL_DIRECTION, F3D.ConeOrientation);
  alSourcef(FSource, AL_CONE_INNER_ANGLE, static_cast<float>(F3D.InsideConeAngle));
  alSourcef(FSource, AL_CONE_OUTER_ANGLE, static_cast<float>(F3D.OutsideConeAngle));
  alSourcef(FSource, AL_CONE_OUTER_GAIN, mapping::Gain(F3D.ConeOutsideVolume));
  alSourcef(FSource, AL_REFERENCE_DISTANCE, F3D.MinDistance);
  alSourcef(FSource, AL_MAX_DISTANCE, F3D.MaxDistance);
  ApplyRolloff();
}

void Buffer::ApplyRolloff() const {
  if (FSource != 0 && HasControl(kCapsCtrl3D)) {
    alSourcef(FSource, AL_ROLLOFF_FACTOR, FSound->FListener.RolloffFactor);
  }
}

void Buffer::SetSpatial(const Buffer3DParams& params) {
  F3D = params;
  FSound->MakeCurrent();
  ApplySpatial();
}

Result Buffer::GetCaps(BufferCaps& caps) const {
  if (const Result fault = rtl::faults::Check("ds.Buffer.GetCaps")) return fault;
  if (caps.Size != kBufferCapsBytes) return kErrInvalidParam;
  caps.Flags = FDesc.Flags;
  caps.BufferBytes = FStore != nullptr ? static_cast<std::uint32_t>(FStore->Bytes.size()) : 0;
  return kOk;
}

Result Buffer::GetFormat(WaveFormat& format) const {
  if (const Result fault = rtl::faults::Check("ds.Buffer.GetFormat")) return fault;
  format = FFormat;
  return kOk;
}

Result Buffer::SetFormat(const WaveFormat& format) {
  if (const Result fault = rtl::faults::Check("ds.Buffer.SetFormat")) return fault;
  if (!Primary()) return kErrInvalidCall;
  if (FSound->FLevel < kScopePriority) return kErrPrioLevelNeeded;
  if (!ValidPcm(format)) return kErrBadFormat;
  FFormat = format;
  return kOk;
}

Result Buffer::GetStatus(std::uint32_t& status) {
  status = 0;
  if (const Result fault = rtl::faults::Check("ds.Buffer.GetStatus")) return fault;
  FSound->KeepDevice();
  FSound->MakeCurrent();
  if (rtl::faults::Check("ds.Buffer.Lost") != 0) Lose();
  if (FLost) status |= kStatusBufferLost;
  if (SourcePlaying()) status |= FLooping ? kStatusPlaying | kStatusLooping : kStatusPlaying;
  return kOk;
}

Result Buffer::GetCurrentPosition(std::uint32_t& play, std::uint32_t& write) const {
  if (const Result fault = rtl::faults::Check("ds.Buffer.GetCurrentPosition")) return fault;
  FSound->MakeCurrent();
  play = FCursor;
  if (FSource != 0 && SourcePlaying()) {
    ALint offset = 0;
    alGetSourcei(FSource, AL_BYTE_OFFSET, &offset);
    play = static_cast<std::uint32_t>(offset);
  }
  write = play;  // the samples reach OpenAL whole on unlock: anything may be written at any time
  return kOk;
}

Result Buffer::SetCurrentPosition(std::uint32_t position) {
  if (const Result fault = rtl::faults::Check("ds.Buffer.SetCurrentPosition")) return fault;
  if (Primary()) return kOk;  // the mix has no cursor to move
  if (position >= FStore->Bytes.size()) return kErrInvalidParam;
  FSound->MakeCurrent();
  if (FSource != 0 && SourcePlaying()) {
    alSourcei(FSource, AL_BYTE_OFFSET, static_cast<ALint>(position));
  } else {
    FCursor = position;
  }
  return kOk;
}

Result Buffer::Lock(std::uint32_t offset, std::uint32_t bytes, std::uint8_t*& region1, std::uint32_t& bytes1,
                    std::uint8_t*& region2, std::uint32_t& bytes2, std::uint32_t flags) {
  region1 = region2 = nullptr;
  bytes1 = bytes2 = 0;
  if (const Result fault = rtl::faults::Check("ds.Buffer.Lock")) return fault;
  if (Primary()) return kErrInvalidCall;
  if (FLost) return kErrBufferLost;
  std::vector<std::uint8_t>& data = FStore->Bytes;
  if ((flags & kLockEntireBuffer) != 0) bytes = static_cast<std::uint32_t>(data.size());
  if (bytes == 0 || offset >= data.size() || bytes > data.size()) return kErrInvalidParam;
  bytes1 = std::min<std::uint32_t>(bytes, static_cast<std::uint32_t>(data.size()) - offset);
  region1 = data.data() + offset;
  bytes2 = bytes - bytes1;
  if (bytes2 > 0) region2 = data.data();
  return kOk;
}

Result Buffer::Unlock(const std::uint8_t* region1, std::uint32_t bytes1, const std::uint8_t* region2,
                      std::uint32_t bytes2) {
  if (const Result fault = rtl::faults::Check("ds.Buffer.Unlock")) return fault;
  if (Primary()) return kErrInvalidCall;
  const std::uint8_t* begin = FStore->Bytes.data();
  const std::uint8_t* end = begin + FStore->Bytes.size();
  const bool firstInside = region1 >= begin && region1 < end && bytes1 <= static_cast<std::size_t>(end - region1);
  const bool secondInside = region2 == nullptr ? bytes2 == 0 : region2 == begin && bytes2 <= FStore->Bytes.size();
  if (!firstInside || !secondInside) return kErrInvalidParam;
  Upload();
  return kOk;
}

Result Buffer::Play(std::uint32_t reserved, std::uint32_t /*priority*/, std::uint32_t flags) {
  if (const Result fault = rtl::faults::Check("ds.Buffer.Play")) return fault;
  if (reserved != 0) return kErrInvalidParam;
  if (FLost) return kErrBufferLost;
  FLooping = (flags & kPlayLooping) != 0;
  if (Primary()) {
    if (!FLooping) return kErrInvalidParam;  // the mix only ever runs looping
    FPlayingPrimary = true;
    return kOk;
  }
  FSound->MakeCurrent();
  if (FSource != 0) alSourcei(FSource, AL_LOOPING, FLooping ? AL_TRUE : AL_FALSE);
  if (!SourcePlaying()) Start();
  FPlaying = true;
  return kOk;
}

Result Buffer::Stop() {
  if (const Result fault = rtl::faults::Check("ds.Buffer.Stop")) return fault;
  FSound->MakeCurrent();
  if (FSource != 0 && SourcePlaying()) Halt();
  FPlayingPrimary = false;
  FPlaying = false;
  return kOk;
}

Result Buffer::Restore() {
  if (const Result fault = rtl::faults::Check("ds.Buffer.Restore")) return fault;
  FLost = false;
  return kOk;
}

Result Buffer::CheckControl(std::string_view call, std::uint32_t control) const {
  if (const Result fault = rtl::faults::Check(call)) return fault;
  return HasControl(control) ? kOk : kErrControlUnavail;
}

Result Buffer::GetVolume(std::int32_t& volume) const {
  if (const Result result = CheckControl("ds.Buffer.GetVolume", kCapsCtrlVolume)) return result;
  volume = FVolume;
  return kOk;
}

Result Buffer::SetVolume(std::int32_t volume) {
  if (const Result result = CheckControl("ds.Buffer.SetVolume", kCapsCtrlVolume)) return result;
  if (volume < kVolumeMin || volume > kVolumeMax) return kErrInvalidParam;
  FVolume = volume;
  FSound->MakeCurrent();
  ApplyGain();
  return kOk;
}

Result Buffer::GetPan(std::int32_t& pan) const {
  if (const Result result = CheckControl("ds.Buffer.GetPan", kCapsCtrlPan)) return result;
  pan = FPan;
  return kOk;
}

Result Buffer::SetPan(std::int32_t pan) {
  if (const Result result = CheckControl("ds.Buffer.SetPan", kCapsCtrlPan)) return result;
  if (pan < kPanLeft || pan > kPanRight) return kErrInvalidParam;
  FPan = pan;
  FSound->MakeCurrent();
  ApplySpatial();
  return kOk;
}

Result Buffer::GetFrequency(std::uint32_t& frequency) const {
  if (const Result result = CheckControl("ds.Buffer.GetFrequency", kCapsCtrlFrequency)) return result;
  frequency = FFrequency == kFrequencyOriginal ? FFormat.SamplesPerSec : FFrequency;
  return kOk;
}

Result Buffer::SetFrequency(std::uint32_t frequency) {
  if (const Result result = CheckControl("ds.Buffer.SetFrequency", kCapsCtrlFrequency)) return result;
  if (frequency != kFrequencyOriginal && (frequency < kFrequencyMin || frequency > kFrequencyMax)) {
    return kErrInvalidParam;
  }
  FFrequency = frequency;
  FSound->MakeCurrent();
  ApplyGain();
  return kOk;
}

Result Buffer::Query3DBuffer(std::unique_ptr<Buffer3D>& buffer3D) {
  buffer3D.reset();
  if (const Result fault = rtl::faults::Check("ds.Buffer.Query3DBuffer")) return fault;
  if (Primary()) return kErrNoInterface;
  buffer3D.reset(new Buffer3D(this));
  return kOk;
}

Result Buffer::QueryListener(std::unique_ptr<Listener>& listener) {
  listener.reset();
  if (const Result fault = rtl::faults::Check("ds.Buffer.QueryListener")) return fault;
  if (!Primary() || !HasControl(kCapsCtrl3D)) return kErrNoInterface;
  listener.reset(new Listener(FSound));
  return kOk;
}

}  // namespace ds
