#include "sound/DXSound.h"

#include <algorithm>
#include <cstring>

#include "core3d/CheckResult.h"
#include "core3d/SnapValue.h"
#include "platform/rtl/Exceptions.h"

namespace {

// What a primary buffer keeps of its flags when it is created.
constexpr std::uint32_t kPrimaryFlagsMask = ds::kCapsPrimaryBuffer | ds::kCapsCtrl3D | ds::kCapsCtrlVolume;

// In 32-bit unsigned arithmetic: the two 16-bit fields of a damaged file multiply past an int.
void ComputeBlockAlign(ds::WaveFormat& format) {
  format.BlockAlign = static_cast<std::uint16_t>(std::uint32_t{format.Channels} * format.BitsPerSample / 8);
  format.AvgBytesPerSec = format.BlockAlign * format.SamplesPerSec;
}

std::uint32_t WithFlag(std::uint32_t flags, std::uint32_t flag, bool on) { return on ? flags | flag : flags & ~flag; }

}  // namespace

// ---- TDXSound3DBlock ----

template <class TBlock, class TInterface>
void TDXSound3DBlock<TBlock, TInterface>::Commit() {
  if (!FAvailable || FInSync) return;
  FInSync = true;
  FParams.Size = sizeof(TBlock);
  CheckResult(Interface().SetAllParameters(FParams, FApplyMode), FMessages.CommitFailed);
}

template <class TBlock, class TInterface>
TInterface& TDXSound3DBlock<TBlock, TInterface>::Interface() const {
  if (FInterface == nullptr) throw rtl::Exception(FMessages.NotCreated);
  return *FInterface;
}

template class TDXSound3DBlock<ds::ListenerParams, ds::Listener>;
template class TDXSound3DBlock<ds::Buffer3DParams, ds::Buffer3D>;

// ---- TDXSound3DListener ----

TDXSound3DListener::TDXSound3DListener(TDXSoundBuffer* buffer)
    : TDXSound3DBlock(buffer, buffer->Available(),
                      {"DXSound3DListener: Listener not created", "DXSound3DListener: Set all parameters failed"}) {
  if (!buffer->Primary()) throw rtl::Exception("DXSound3DListener: Sound buffer not primary");
}

void TDXSound3DListener::StoreSnapped(ds::Vector& field, float x, float y, float z) {
  Store(field, ds::Vector{SnapValue(x), SnapValue(y), SnapValue(z)});
}

void TDXSound3DListener::SetOrientation(float frontX, float frontY, float frontZ, float topX, float topY, float topZ) {
  StoreSnapped(FParams.OrientFront, frontX, frontY, frontZ);
  StoreSnapped(FParams.OrientTop, topX, topY, topZ);
}

void TDXSound3DListener::AcquireInterface() {
  if (!FAvailable || FInterface != nullptr) return;
  CheckResult(FBuffer->Buffer().QueryListener(FInterface), "DXSound3DListener: Query interface listener failed");
}

// ---- TDXSound3DBuffer ----

TDXSound3DBuffer::TDXSound3DBuffer(TDXSoundBuffer* buffer)
    : TDXSound3DBlock(buffer, buffer->Available(),
                      {"DXSound3DBuffer: Buffer not created", "DXSound3DBuffer: Update parameters failed"}) {}

void TDXSound3DBuffer::SetAllParameters(const ds::Buffer3DParams& params) {
  if (std::memcmp(&FParams, &params, sizeof params) == 0) return;
  FParams = params;
  FInSync = false;
}

ds::Buffer3DParams TDXSound3DBuffer::GetAllParameters() const {
  if (FInterface == nullptr) return FParams;
  ds::Buffer3DParams params;
  CheckResult(FInterface->GetAllParameters(params), "DXSound3DBuffer: Get all parameters failed");
  return params;
}

float TDXSound3DBuffer::GetMaxDistance() const {
  if (FInterface == nullptr) return FParams.MaxDistance;
  float distance = 0.0f;
  CheckResult(FInterface->GetMaxDistance(distance), "DXSound3DBuffer: Get max distance failed");
  return distance;
}

float TDXSound3DBuffer::GetMinDistance() const {
  if (FInterface == nullptr) return FParams.MinDistance;
  float distance = 0.0f;
  CheckResult(FInterface->GetMinDistance(distance), "DXSound3DBuffer: Get min distance failed");
  return distance;
}

void TDXSound3DBuffer::GetConeAngles(std::uint32_t& inside, std::uint32_t& outside) const {
  inside = FParams.InsideConeAngle;
  outside = FParams.OutsideConeAngle;
  if (FInterface == nullptr) return;
  CheckResult(FInterface->GetConeAngles(inside, outside), "DXSound3DBuffer: Get cone angles failed");
}

std::uint32_t TDXSound3DBuffer::GetInsideConeAngle() const {
  std::uint32_t inside = 0, outside = 0;
  GetConeAngles(inside, outside);
  return inside;
}

std::uint32_t TDXSound3DBuffer::GetOutsideConeAngle() const {
  std::uint32_t inside = 0, outside = 0;
  GetConeAngles(inside, outside);
  return outside;
}

std::int32_t TDXSound3DBuffer::GetConeOutsideVolume() const {
  if (FInterface == nullptr) return FParams.ConeOutsideVolume;
  std::int32_t volume = 0;
  CheckResult(FInterface->GetConeOutsideVolume(volume), "DXSound3DBuffer: Get cone outside volume failed");
  return volume;
}

void TDXSound3DBuffer::AcquireInterface() {
  if (!FAvailable || FInterface != nullptr) return;
  CheckResult(FBuffer->Buffer().Query3DBuffer(FInterface), "DXSound3DBuffer: Query interface Sound3D buffer failed");
}

// ---- TDXSoundBuffer ----

TDXSoundBuffer::TDXSoundBuffer(TDXSound* owner) : FOwner(owner), FAvailable(owner->Available()) {
  FDescription.Flags = kDefaultFlags;
  FDescription.BufferBytes = kDefaultBufferBytes;
  FDescription.Format = &FFormat;
  FSound3D = std::make_unique<TDXSound3DBuffer>(this);
}

TDXSoundBuffer::~TDXSoundBuffer() { ReleaseBuffer(); }

template <class T>
void TDXSoundBuffer::Record(T& field, const T& value, std::uint8_t pending) {
  if (field == value) return;
  field = value;
  FPending |= pending;
}

void TDXSoundBuffer::SetFlags(std::uint32_t flags) { Record(FDescription.Flags, flags, kPendingRecreate); }

void TDXSoundBuffer::SetDescription(const ds::BufferDesc& description) {
  const ds::BufferDesc& d = FDescription;
  if (d.Size == description.Size && d.Flags == description.Flags && d.BufferBytes == description.BufferBytes &&
      d.Reserved == description.Reserved) {
    return;
  }
  FDescription = description;
  FDescription.Format = &FFormat;
  FPending |= kPendingRecreate;
}

void TDXSoundBuffer::SetFormat(const ds::WaveFormat& format) { Record(FFormat, format, kPendingFormat); }
void TDXSoundBuffer::SetChannels(std::uint16_t channels) { Record(FFormat.Channels, channels, kPendingFormat); }
void TDXSoundBuffer::SetBitsPerSample(std::uint16_t bits) { Record(FFormat.BitsPerSample, bits, kPendingFormat); }
void TDXSoundBuffer::SetSampleRate(std::uint32_t rate) { Record(FFormat.SamplesPerSec, rate, kPendingFormat); }
void TDXSoundBuffer::SetPosition(std::uint32_t position) { Record(FPosition, position, kPendingPosition); }
void TDXSoundBuffer::SetVolume(std::int32_t volume) { Record(FVolume, volume, kPendingVolume); }
void TDXSoundBuffer::SetPan(std::int32_t pan) { Record(FPan, pan, kPendingPan); }
void TDXSoundBuffer::SetFrequency(std::uint32_t frequency) { Record(FFrequency, frequency, kPendingFrequency); }
void TDXSoundBuffer::SetLooping(bool looping) { Record(FLooping, looping, kPendingPlayMode); }

void TDXSoundBuffer::SetPrimary(bool primary) {
  SetFlags(WithFlag(FDescription.Flags, ds::kCapsPrimaryBuffer, primary));
  FSound3D->SetAvailable(!primary && FAvailable);
}

void TDXSoundBuffer::SetControl3D(bool control3D) {
  SetFlags(WithFlag(FDescription.Flags, ds::kCapsCtrl3D, control3D));
}

ds::BufferCaps TDXSoundBuffer::GetCaps() const {
  ds::BufferCaps caps;
  if (FBuffer == nullptr) {
    caps.Flags = FDescription.Flags;
    caps.BufferBytes = FDescription.BufferBytes;
    return caps;
  }
  CheckResult(FBuffer->GetCaps(caps), "DXSoundBuffer: Get caps failed");
  return caps;
}

std::uint32_t TDXSoundBuffer::GetStatus() const {
  if (FBuffer == nullptr) return 0;
  std::uint32_t status = 0;
  CheckResult(FBuffer->GetStatus(status), "DXSoundBuffer: Get status failed");
  return status;
}

std::uint32_t TDXSoundBuffer::GetFlags() const { return FBuffer != nullptr ? GetCaps().Flags : FDescription.Flags; }

ds::WaveFormat TDXSoundBuffer::GetFormat() const {
  if (FBuffer == nullptr) return FFormat;
  ds::WaveFormat format;
  CheckResult(FBuffer->GetFormat(format), "DXSoundBuffer: Get format failed");
  return format;
}

std::uint32_t TDXSoundBuffer::GetPosition() const {
  if (FBuffer == nullptr) return FPosition;
  std::uint32_t play = 0, write = 0;
  CheckResult(FBuffer->GetCurrentPosition(play, write), "DXSoundBuffer: Get current play position failed");
  return play;
}

std::int32_t TDXSoundBuffer::GetVolume() const {
  if (FBuffer == nullptr) return FVolume;
  std::int32_t volume = 0;
  CheckResult(FBuffer->GetVolume(volume), "DXSoundBuffer: Get volume failed");
  return volume;
}

std::int32_t TDXSoundBuffer::GetPan() const {
  if (FBuffer == nullptr) return FPan;
  std::int32_t pan = 0;
  CheckResult(FBuffer->GetPan(pan), "DXSoundBuffer: Get pan failed");
  return pan;
}

std::uint32_t TDXSoundBuffer::GetFrequency() const {
  if (FBuffer == nullptr) return FFrequency != ds::kFrequencyOriginal ? FFrequency : FFormat.SamplesPerSec;
  std::uint32_t frequency = 0;
  CheckResult(FBuffer->GetFrequency(frequency), "DXSoundBuffer: Get frequency failed");
  return frequency;
}

std::uint32_t TDXSoundBuffer::Write(std::uint32_t pos, std::uint32_t size, const void* data) {
  if (!FAvailable) return 0;
  if (size == 0) throw rtl::Exception("DXSoundBuffer: write buffers failed, size not valid");
  if (pos > size - 1) throw rtl::Exception("DXSoundBuffer: write buffers failed, pos not valid");
  if (data == nullptr) throw rtl::Exception("DXSoundBuffer: write buffers failed, ptr not valid");
  std::uint8_t* region1 = nullptr;
  std::uint8_t* region2 = nullptr;
  std::uint32_t bytes1 = 0, bytes2 = 0;
  CheckResult(Buffer().Lock(pos, size, region1, bytes1, region2, bytes2, 0), "DXSoundBuffer: Lock buffer failed");
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  std::memcpy(region1, bytes, bytes1);
  if (region2 != nullptr) std::memcpy(region2, bytes + bytes1, bytes2);
  CheckResult(Buffer().Unlock(region1, bytes1, region2, bytes2), "DXSoundBuffer: UnLock buffer failed");
  return bytes1 + bytes2;
}

void TDXSoundBuffer::StartPlaying() {
  CheckResult(Buffer().Play(0, 0, FLooping ? ds::kPlayLooping : 0), "DXSoundBuffer: Play buffer failed");
  FPending &= ~kPendingPlayMode;
}

void TDXSoundBuffer::Play() {
  if (!FAvailable) return;
  FPosition = 0;
  FPending |= kPendingPosition;
  StartPlaying();
}

void TDXSoundBuffer::Resume() {
  if (FAvailable) StartPlaying();
}

void TDXSoundBuffer::Stop() {
  if (FAvailable) CheckResult(Buffer().Stop(), "DXSoundBuffer: Stop buffer failed");
}

void TDXSoundBuffer::CreateBuffer() {
  if (!FAvailable || FBuffer != nullptr) return;
  if (Primary()) {
    FDescription.BufferBytes = 0;
    FDescription.Format = nullptr;
    FDescription.Flags &= kPrimaryFlagsMask;
  } else {
    ComputeBlockAlign(FFormat);
    FDescription.Format = &FFormat;
  }
  if (FSource != nullptr && !Primary()) {
    CheckResult(FOwner->DirectSound().DuplicateSoundBuffer(*FSource, FBuffer),
                "DXSoundBuffer: Duplicate sound buffer failed");
  } else {
    CheckResult(FOwner->DirectSound().CreateSoundBuffer(FDescription, FBuffer),
                "DXSoundBuffer: Create sound buffer failed");
    if (!Primary()) FPending &= ~kPendingFormat;
  }
  FPending &= ~kPendingRecreate;
  FSound3D->AcquireInterface();
}

template <class Send>
void TDXSoundBuffer::ApplyStep(std::uint8_t pending, Send send) {
  if ((FPending & pending) == 0) return;
  send();
  FPending &= ~pending;
}

void TDXSoundBuffer::Apply() {
  if (!FAvailable) return;
  if (!Primary() && (FPending & ~(kPendingRecreate | kPendingFormat)) == 0) return;
  if (Primary()) {
    ApplyStep(kPendingFormat, [this] {
      ComputeBlockAlign(FFormat);
      CheckResult(Buffer().SetFormat(FFormat), "DXSoundBuffer: Set format failed");
    });
  }
  ApplyStep(kPendingPosition, [this] {
    CheckResult(Buffer().SetCurrentPosition(FPosition), "DXSoundBuffer: Set current play position failed");
  });
  ApplyStep(kPendingVolume, [this] { CheckResult(Buffer().SetVolume(FVolume), "DXSoundBuffer: Set volume failed"); });
  // A 3D-controlled buffer is placed by its 3D parameters: a pan would fight them.
  ApplyStep(kPendingPan, [this] {
    if (!Control3D()) CheckResult(Buffer().SetPan(FPan), "DXSoundBuffer: Set pan failed");
  });
  ApplyStep(kPendingFrequency, [this] {
    CheckResult(Buffer().SetFrequency(FFrequency), "DXSoundBuffer: Set frequency failed");
  });
  FSound3D->Commit();
}

void TDXSoundBuffer::RestoreBuffer() {
  if (FAvailable && Lost()) CheckResult(Buffer().Restore(), "DXSoundBuffer: Restore buffer failed");
}

void TDXSoundBuffer::ReleaseBuffer() {
  FSound3D->ReleaseInterface();
  if (FBuffer == nullptr) return;
  FOwner->ForgetSource(FBuffer.get());
  FBuffer.reset();
}

ds::Buffer& TDXSoundBuffer::Buffer() const {
  if (FBuffer == nullptr) throw rtl::Exception("TDXSoundBuffer: Buffer not created");
  return *FBuffer;
}

// ---- TDXSound ----

TDXSound::TDXSound(ds::WindowHandle window) : FWindowHandle(window) {
  FAvailable = ds::DirectSoundCreate(nullptr, FDirectSound) == ds::kOk;
  SetCooperativeLevel(ds::kScopePriority);
  FPrimaryBuffer = std::make_unique<TDXSoundBuffer>(this);
  FPrimaryBuffer->SetFlags(0);
  FPrimaryBuffer->SetPrimary(true);
  FPrimaryBuffer->SetLooping(true);
  FPrimaryBuffer->SetControl3D(true);
  FListener = std::make_unique<TDXSound3DListener>(FPrimaryBuffer.get());
}

// Buffers go from the last to the first, then the listener, the primary buffer and the sound
// object (members in reverse order of declaration).
TDXSound::~TDXSound() {
  while (!FBuffers.empty()) RemoveBuffer(FBuffers.back().get());
}

void TDXSound::SetCooperativeLevel(std::uint32_t level) {
  if (FAvailable) {
    CheckResult(DirectSound().SetCooperativeLevel(FWindowHandle, level), "DXSound: Set cooperative level failed");
  }
  FCooperativeLevel = level;
}

TDXSoundBuffer& TDXSound::AddBuffer() {
  FBuffers.push_back(std::make_unique<TDXSoundBuffer>(this));
  return *FBuffers.back();
}

TDXSoundBuffer& TDXSound::DuplicateBuffer(const TDXSoundBuffer& buffer) {
  TDXSoundBuffer& duplicate = AddBuffer();
  duplicate.FSource = buffer.FBuffer.get();
  duplicate.FDescription = buffer.FDescription;
  duplicate.FDescription.Format = &duplicate.FFormat;
  duplicate.FFormat = buffer.FFormat;
  duplicate.FPosition = buffer.FPosition;
  duplicate.FVolume = buffer.FVolume;
  duplicate.FPan = buffer.FPan;
  duplicate.FFrequency = buffer.FFrequency;
  duplicate.FLooping = buffer.FLooping;
  duplicate.FPending = buffer.FPending;
  return duplicate;
}

// The entry leaves the list before the buffer is freed, so nothing the buffer's release walks
// finds it half destroyed.
void TDXSound::RemoveBuffer(TDXSoundBuffer* buffer) {
  const auto found = std::find_if(FBuffers.begin(), FBuffers.end(), [buffer](const auto& b) { return b.get() == buffer; });
  if (found == FBuffers.end()) return;
  std::unique_ptr<TDXSoundBuffer> removed = std::move(*found);
  FBuffers.erase(found);
}

void TDXSound::ForgetSource(const ds::Buffer* source) {
  for (const auto& buffer : FBuffers) {
    if (buffer->FSource == source) buffer->FSource = nullptr;
  }
}

ds::Sound& TDXSound::DirectSound() const {
  if (FDirectSound == nullptr) throw rtl::Exception("DXSound: Direct Sound not created");
  return *FDirectSound;
}
