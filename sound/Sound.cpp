#include "sound/Sound.h"

#include <algorithm>

#include "core3d/Stream3D.h"
#include "platform/rtl/Cast.h"
#include "platform/rtl/FloatGuard.h"

namespace {

constexpr std::uint16_t kDefaultBitsPerSample = 16;
constexpr std::uint32_t kDefaultSampleRate = 44100;
constexpr float kDefaultMinDistance = 500.0f;
// A samples record holds at least its name's length and its size.
constexpr std::int64_t kMinSamplesRecordBytes = 8;

// ---- the platform blocks inside sound records ----

template <class T>
T Read(rtl::TStream& stream) {
  return stream.ReadValue<T>();
}

ds::Vector ReadVector(rtl::TStream& stream) {
  ds::Vector v;
  v.x = ReadSingle(stream);
  v.y = ReadSingle(stream);
  v.z = ReadSingle(stream);
  return v;
}

void WriteVector(rtl::TStream& stream, const ds::Vector& v) {
  WriteSingle(stream, v.x);
  WriteSingle(stream, v.y);
  WriteSingle(stream, v.z);
}

// The format link is not stored: it reads as anything and is written as 0.
ds::BufferDesc ReadDescription(rtl::TStream& stream) {
  ds::BufferDesc d;
  d.Size = Read<std::uint32_t>(stream);
  d.Flags = Read<std::uint32_t>(stream);
  d.BufferBytes = Read<std::uint32_t>(stream);
  d.Reserved = Read<std::uint32_t>(stream);
  Read<std::uint32_t>(stream);
  return d;
}

// The buffer holds the samples; a file that claims a far larger one (a damaged size) gets no more
// than the samples, or than the default buffer when the samples are short.
ds::BufferDesc BoundedDescription(ds::BufferDesc d, const TSoundSamples* samples) {
  const std::uint32_t samplesBytes = samples != nullptr ? static_cast<std::uint32_t>(samples->Size()) : 0;
  d.BufferBytes = std::min(d.BufferBytes, std::max(samplesBytes, TDXSoundBuffer::kDefaultBufferBytes));
  return d;
}

void WriteDescription(rtl::TStream& stream, const ds::BufferDesc& d) {
  for (std::uint32_t field : {d.Size, d.Flags, d.BufferBytes, d.Reserved, std::uint32_t{0}}) stream.WriteValue(field);
}

ds::WaveFormat ReadWaveFormat(rtl::TStream& stream) {
  ds::WaveFormat f;
  f.FormatTag = Read<std::uint16_t>(stream);
  f.Channels = Read<std::uint16_t>(stream);
  f.SamplesPerSec = Read<std::uint32_t>(stream);
  f.AvgBytesPerSec = Read<std::uint32_t>(stream);
  f.BlockAlign = Read<std::uint16_t>(stream);
  f.BitsPerSample = Read<std::uint16_t>(stream);
  f.ExtraSize = Read<std::uint16_t>(stream);
  return f;
}

void WriteWaveFormat(rtl::TStream& stream, const ds::WaveFormat& f) {
  stream.WriteValue(f.FormatTag);
  stream.WriteValue(f.Channels);
  stream.WriteValue(f.SamplesPerSec);
  stream.WriteValue(f.AvgBytesPerSec);
  stream.WriteValue(f.BlockAlign);
  stream.WriteValue(f.BitsPerSample);
  stream.WriteValue(f.ExtraSize);
}

ds::Buffer3DParams Read3DParams(rtl::TStream& stream) {
  ds::Buffer3DParams p;
  p.Size = Read<std::uint32_t>(stream);
  p.Position = ReadVector(stream);
  p.Velocity = ReadVector(stream);
  p.InsideConeAngle = Read<std::uint32_t>(stream);
  p.OutsideConeAngle = Read<std::uint32_t>(stream);
  p.ConeOrientation = ReadVector(stream);
  p.ConeOutsideVolume = Read<std::int32_t>(stream);
  p.MinDistance = ReadSingle(stream);
  p.MaxDistance = ReadSingle(stream);
  p.Mode = Read<std::uint32_t>(stream);
  return p;
}

void Write3DParams(rtl::TStream& stream, const ds::Buffer3DParams& p) {
  stream.WriteValue(p.Size);
  WriteVector(stream, p.Position);
  WriteVector(stream, p.Velocity);
  stream.WriteValue(p.InsideConeAngle);
  stream.WriteValue(p.OutsideConeAngle);
  WriteVector(stream, p.ConeOrientation);
  stream.WriteValue(p.ConeOutsideVolume);
  WriteSingle(stream, p.MinDistance);
  WriteSingle(stream, p.MaxDistance);
  stream.WriteValue(p.Mode);
}

}  // namespace

// ---- TSoundDevice ----

TSoundDevice::TSoundDevice(ds::WindowHandle window) : FDXSound(std::make_unique<TDXSound>(window)) {
  FEnabled = FDXSound->Available();
  FListenerOrientation.SetRaw(0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f);
  FListenerOrientation.OnChange = TNotifyEvent::Bind<&TSoundDevice::ListenerOrientationChanged>(this);
  FListenerPosition.OnChange = TNotifyEvent::Bind<&TSoundDevice::ListenerPositionChanged>(this);
  FListenerVelocity.OnChange = TNotifyEvent::Bind<&TSoundDevice::ListenerVelocityChanged>(this);
  SetBitsPerSample(kDefaultBitsPerSample);
  SetSampleRate(kDefaultSampleRate);
  if (!Active()) return;
  UpdatePrimary();
  UpdateListener();
}

void TSoundDevice::SetEnabled(bool enabled) {
  if (enabled == FEnabled || !FDXSound->Available()) return;
  for (TSound3D* sound : FPlayingSounds) {
    if (enabled) {
      sound->Buffer().Resume();
    } else {
      sound->Buffer().Stop();
    }
  }
  FEnabled = enabled;
}

void TSoundDevice::SetUse3D(bool use3D) {
  if (use3D == FUse3D) return;
  for (const auto& buffer : FDXSound->Buffers()) buffer->SetControl3D(use3D);
  FUse3D = use3D;
}

void TSoundDevice::SetStereo(bool stereo) { FDXSound->PrimaryBuffer().SetChannels(stereo ? 2 : 1); }
void TSoundDevice::SetBitsPerSample(std::uint16_t bits) { FDXSound->PrimaryBuffer().SetBitsPerSample(bits); }
void TSoundDevice::SetSampleRate(std::uint32_t rate) { FDXSound->PrimaryBuffer().SetSampleRate(rate); }
void TSoundDevice::SetDistanceFactor(float factor) { FDXSound->Listener().SetDistanceFactor(factor); }
void TSoundDevice::SetDopplerFactor(float factor) { FDXSound->Listener().SetDopplerFactor(factor); }
void TSoundDevice::SetRolloffFactor(float factor) { FDXSound->Listener().SetRolloffFactor(factor); }

bool TSoundDevice::Stereo() const { return FDXSound->PrimaryBuffer().Format().Channels == 2; }
std::uint16_t TSoundDevice::BitsPerSample() const { return FDXSound->PrimaryBuffer().Format().BitsPerSample; }
std::uint32_t TSoundDevice::SampleRate() const { return FDXSound->PrimaryBuffer().Format().SamplesPerSec; }
float TSoundDevice::DistanceFactor() const { return FDXSound->Listener().Params().DistanceFactor; }
float TSoundDevice::DopplerFactor() const { return FDXSound->Listener().Params().DopplerFactor; }
float TSoundDevice::RolloffFactor() const { return FDXSound->Listener().Params().RolloffFactor; }

void TSoundDevice::ListenerOrientationChanged(TElement3D*) {
  const TVector3D& d = FListenerOrientation.Direction;
  const TVector3D& u = FListenerOrientation.Up;
  FDXSound->Listener().SetOrientation(d.X(), d.Y(), d.Z(), u.X(), u.Y(), u.Z());
}

void TSoundDevice::ListenerPositionChanged(TElement3D*) {
  FDXSound->Listener().SetPosition(FListenerPosition.X(), FListenerPosition.Y(), FListenerPosition.Z());
}

void TSoundDevice::ListenerVelocityChanged(TElement3D*) {
  FDXSound->Listener().SetVelocity(FListenerVelocity.X(), FListenerVelocity.Y(), FListenerVelocity.Z());
}

void TSoundDevice::PlaySound(TSound3D* sound) {
  if (!Active() || sound->Buffer().Playing()) return;
  StopSound(sound);
  FPlayingSounds.push_back(sound);
  sound->Update();
  sound->Buffer().Play();
}

void TSoundDevice::StopSound(TSound3D* sound) {
  if (!Active()) return;
  const auto found = std::find(FPlayingSounds.begin(), FPlayingSounds.end(), sound);
  if (found == FPlayingSounds.end()) return;
  FPlayingSounds.erase(found);
  sound->Buffer().Stop();
  sound->OnStop(sound);
}

void TSoundDevice::ForgetSound(TSound3D* sound) { std::erase(FPlayingSounds, sound); }

void TSoundDevice::UpdatePrimary() {
  TDXSoundBuffer& primary = FDXSound->PrimaryBuffer();
  if (primary.Created()) {
    primary.RestoreBuffer();
    primary.Apply();
    return;
  }
  primary.CreateBuffer();
  primary.Apply();
  primary.Play();
}

void TSoundDevice::UpdateListener() {
  FDXSound->Listener().AcquireInterface();
  FDXSound->Listener().Commit();
}

// A finished sound leaves the list before its OnStop runs, so a handler that plays it again, or
// stops other sounds, finds the list as it is; the walk goes on below whatever it left.
void TSoundDevice::Update() {
  rtl::FloatExceptionGuard guard;
  if (!Active()) return;
  UpdatePrimary();
  UpdateListener();
  for (std::size_t i = FPlayingSounds.size(); i > 0; i = std::min(i - 1, FPlayingSounds.size())) {
    TSound3D* sound = FPlayingSounds[i - 1];
    sound->Update();
    if (sound->Buffer().Playing()) continue;
    FPlayingSounds.erase(FPlayingSounds.begin() + static_cast<std::ptrdiff_t>(i - 1));
    sound->OnStop(sound);
  }
}

void TSoundDevice::Assign(const TElement3D& source) {
  TElement3D::Assign(source);
  const auto& other = rtl::CheckedCast<const TSoundDevice>(source);
  FFlag = other.FFlag;
  SetUse3D(other.FUse3D);
  SetStereo(other.Stereo());
  SetBitsPerSample(other.BitsPerSample());
  SetSampleRate(other.SampleRate());
  FListenerOrientation.Assign(other.FListenerOrientation);
  FListenerPosition.Assign(other.FListenerPosition);
  FListenerVelocity.Assign(other.FListenerVelocity);
  SetEnabled(other.FEnabled);
}

void TSoundDevice::LoadFromStream(rtl::TStream& stream) {
  FFlag = ReadByte(stream);
  SetUse3D(ReadByte(stream) != 0);
  SetStereo(ReadByte(stream) != 0);
  SetBitsPerSample(static_cast<std::uint16_t>(ReadInteger(stream)));
  SetSampleRate(static_cast<std::uint32_t>(ReadInteger(stream)));
  FListenerOrientation.LoadFromStream(stream);
  FListenerPosition.LoadFromStream(stream);
  FListenerVelocity.LoadFromStream(stream);
  SetEnabled(ReadByte(stream) != 0);
}

void TSoundDevice::SaveToStream(rtl::TStream& stream) {
  WriteByte(stream, FFlag);
  WriteByte(stream, FUse3D ? 1 : 0);
  WriteByte(stream, Stereo() ? 1 : 0);
  WriteInteger(stream, BitsPerSample());
  WriteInteger(stream, static_cast<std::int32_t>(SampleRate()));
  FListenerOrientation.SaveToStream(stream);
  FListenerPosition.SaveToStream(stream);
  FListenerVelocity.SaveToStream(stream);
  WriteByte(stream, FEnabled ? 1 : 0);
}

// ---- TSoundSamples ----

void TSoundSamples::Resize(std::uint32_t size) {
  if (size == FSize) return;
  FData.reset();
  FSize = size;
  if (size > 0) FData = std::make_unique<std::uint8_t[]>(size);
}

void TSoundSamples::Assign(const TElement3D& source) {
  TElement3D::Assign(source);
  const auto& other = rtl::CheckedCast<const TSoundSamples>(source);
  if (&other == this) return;
  Resize(other.FSize);
  std::copy_n(other.FData.get(), FSize, FData.get());
}

void TSoundSamples::LoadFromStream(rtl::TStream& stream) {
  FName = ReadString(stream);
  const auto size = Read<std::uint32_t>(stream);
  CheckRemaining(stream, size);
  Resize(size);
  if (size > 0) stream.ReadBuffer(FData.get(), size);
}

void TSoundSamples::SaveToStream(rtl::TStream& stream) {
  WriteString(stream, FName);
  stream.WriteValue(FSize);
  if (FSize > 0) stream.WriteBuffer(FData.get(), FSize);
}

// ---- TSound3D ----

TSound3D::TSound3D(TCollection3D* collection, const std::string& name)
    : TItemCollection3D(collection, name), FSounds(rtl::CheckedCast<TCollectionSound3D>(collection)) {
  FDevice = FSounds != nullptr ? FSounds->Device() : nullptr;
  if (FDevice == nullptr) throw rtl::Exception("Sound3D error: Sound device not assigned");
  FBuffer = &FDevice->DXSound().AddBuffer();
  for (TVector3D* v : {&FPosition, &FConeOrientation, &FVelocity}) {
    v->OnChange = TNotifyEvent::Bind<&TSound3D::VectorsChanged>(this);
  }
  FConeOrientation.SetXYZ(0.0f, 0.0f, 1.0f);
  SetMinDistance(kDefaultMinDistance);
}

TSound3D::~TSound3D() {
  // A sound that cannot be stopped goes all the same: its buffer is released below, and a destructor
  // has nobody to raise to.
  try {
    FDevice->StopSound(this);
  } catch (const std::exception&) {
  }
  FDevice->ForgetSound(this);
  ReleaseSamples();
  FBuffer->Owner().RemoveBuffer(FBuffer);
}

void TSound3D::VectorsChanged(TElement3D*) {
  TDXSound3DBuffer& sound3D = FBuffer->Sound3D();
  sound3D.SetPosition(FPosition.X(), FPosition.Y(), FPosition.Z());
  sound3D.SetConeOrientation(FConeOrientation.X(), FConeOrientation.Y(), FConeOrientation.Z());
  sound3D.SetVelocity(FVelocity.X(), FVelocity.Y(), FVelocity.Z());
}

void TSound3D::Play() { FDevice->PlaySound(this); }

void TSound3D::WriteSamples() {
  if (FSamples != nullptr && FSamples->Size() > 0) FBuffer->Write(0, FSamples->Size(), FSamples->Data());
}

void TSound3D::ReleaseSamples() {
  TSoundSamples* samples = FSamples;
  FSamples = nullptr;
  if (samples != nullptr) FSounds->ReleaseSamples(samples);
}

TDXSoundBuffer& TSound3D::Buffer() {
  if (FBuffer->Lost()) {
    FBuffer->RestoreBuffer();
    WriteSamples();
  }
  return *FBuffer;
}

void TSound3D::Update() {
  if (FBuffer->Created()) {
    Buffer();
  } else {
    FBuffer->CreateBuffer();
    WriteSamples();
  }
  OnUpdate(this);
  if (FBuffer->Pending() != 0) FBuffer->Apply();
  if (!FBuffer->Sound3D().InSync()) FBuffer->Sound3D().Commit();
}

void TSound3D::Assign(const TElement3D& source) {
  TItemCollection3D::Assign(source);
  const auto& other = rtl::CheckedCast<const TSound3D>(source);
  if (&other == this) return;
  ReleaseSamples();
  FBuffer->Owner().RemoveBuffer(FBuffer);
  FBuffer = &FDevice->DXSound().DuplicateBuffer(*other.FBuffer);
  if (other.FSamples != nullptr) {
    FSamples = FSounds->FindSamples(other.FSamples->Name());
    if (FSamples == nullptr) {
      FSamples = FSounds->NewSamples();
      FSamples->Assign(*other.FSamples);
    }
  }
  SetVolume(other.Volume());
  SetFrequency(other.Frequency());
  SetMaxDistance(other.MaxDistance());
  SetMinDistance(other.MinDistance());
  SetInsideConeAngle(other.InsideConeAngle());
  SetOutsideConeAngle(other.OutsideConeAngle());
  SetConeOutsideVolume(other.ConeOutsideVolume());
  FPosition.Assign(other.FPosition);
  FConeOrientation.Assign(other.FConeOrientation);
  FVelocity.Assign(other.FVelocity);
  SetLooping(other.Looping());
  OnStop = other.OnStop;
  FTemplateName = other.FTemplateName.empty() ? other.Name() : other.FTemplateName;
}

void TSound3D::LoadFromStream(rtl::TStream& stream) {
  TItemCollection3D::LoadFromStream(stream);
  ReleaseSamples();
  const std::string samplesName = ReadString(stream);
  if (!samplesName.empty()) FSamples = FSounds->FindSamples(samplesName);
  FBuffer->SetDescription(BoundedDescription(ReadDescription(stream), FSamples));
  FBuffer->SetFormat(ReadWaveFormat(stream));
  FBuffer->Sound3D().SetAllParameters(Read3DParams(stream));
  FPosition.LoadFromStream(stream);
  FConeOrientation.LoadFromStream(stream);
  FVelocity.LoadFromStream(stream);
  SetLooping(ReadByte(stream) != 0);
  Update();
}

void TSound3D::SaveToStream(rtl::TStream& stream) {
  TItemCollection3D::SaveToStream(stream);
  WriteString(stream, FSamples != nullptr ? FSamples->Name() : std::string());
  WriteDescription(stream, FBuffer->Description());
  WriteWaveFormat(stream, FBuffer->GetFormat());
  Write3DParams(stream, FBuffer->Sound3D().GetAllParameters());
  FPosition.SaveToStream(stream);
  FConeOrientation.SaveToStream(stream);
  FVelocity.SaveToStream(stream);
  WriteByte(stream, Looping() ? 1 : 0);
}

// ---- TCollectionSound3D ----

TCollectionSound3D::TCollectionSound3D(TCollection3D* collection, const std::string& name)
    : TCollection3D(collection, name) {
  SetItemClass(&ItemClassOf<TSound3D>);
}

// The sounds go while the pool they give their samples back to still exists.
TCollectionSound3D::~TCollectionSound3D() { Clear(); }

TCollectionSound3D::Pool::iterator TCollectionSound3D::FirstNamed(const std::string& name) {
  return std::lower_bound(FSamplesPool.begin(), FSamplesPool.end(), name,
                          [](const auto& samples, const std::string& n) { return samples->Name() < n; });
}

void TCollectionSound3D::AddToPool(std::unique_ptr<TSoundSamples> samples) {
  const auto after = std::upper_bound(FSamplesPool.begin(), FSamplesPool.end(), samples->Name(),
                                      [](const std::string& n, const auto& s) { return n < s->Name(); });
  FSamplesPool.insert(after, std::move(samples));
}

TSoundSamples* TCollectionSound3D::NewSamples() {
  auto samples = std::make_unique<TSoundSamples>(std::to_string(FSampleCounter));
  ++FSampleCounter;
  samples->AddRef();
  TSoundSamples* added = samples.get();
  AddToPool(std::move(samples));
  return added;
}

TSoundSamples* TCollectionSound3D::FindSamples(const std::string& name) {
  const auto found = FirstNamed(name);
  if (found == FSamplesPool.end() || (*found)->Name() != name) return nullptr;
  (*found)->AddRef();
  return found->get();
}

void TCollectionSound3D::ReleaseSamples(TSoundSamples* samples) {
  if (samples->Release() >= 1) return;
  for (auto it = FirstNamed(samples->Name()); it != FSamplesPool.end() && (*it)->Name() == samples->Name(); ++it) {
    if (it->get() == samples) {
      FSamplesPool.erase(it);
      return;
    }
  }
  throw rtl::Exception("CollectionSound3D: samples " + samples->Name() + " not deleted");
}

void TCollectionSound3D::Assign(const TElement3D& source) {
  const auto& other = rtl::CheckedCast<const TCollectionSound3D>(source);
  if (&other == this) return;
  FSampleCounter = 0;
  FDevice = other.FDevice;
  TCollection3D::Assign(source);
}

void TCollectionSound3D::LoadFromStream(rtl::TStream& stream) {
  Clear();
  FSamplesPool.clear();
  FSampleCounter = Read<std::uint32_t>(stream);
  const std::int32_t count = ReadCount(stream, kMinSamplesRecordBytes);
  for (std::int32_t i = 0; i < count; ++i) {
    auto samples = std::make_unique<TSoundSamples>();
    samples->LoadFromStream(stream);
    AddToPool(std::move(samples));
  }
  TCollection3D::LoadFromStream(stream);
}

void TCollectionSound3D::SaveToStream(rtl::TStream& stream) {
  stream.WriteValue(FSampleCounter);
  WriteInteger(stream, static_cast<std::int32_t>(FSamplesPool.size()));
  for (const auto& samples : FSamplesPool) samples->SaveToStream(stream);
  TCollection3D::SaveToStream(stream);
}
