#pragma once

// The sound object over OpenAL Soft: one output device and one context of its own. Each call
// selects that context first, so several sound objects can live side by side.
//
// Output devices come and go (a sound server that is not running yet, a server that ends, a card
// unplugged): without a device every buffer keeps its samples and settings and plays silently, and
// a device is looked for again every kRetryMs while buffers are asked for their status (once a
// frame, the wait growing while none can be opened). Once one opens, every buffer gets its OpenAL objects back and looping sounds that were
// playing play on. A device OpenAL reports disconnected is let go at the next status read.
//
// A sound object must outlive the buffers it created (the object model releases them first).

#include <AL/alc.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ds/Types.h"

namespace ds {

class Buffer;
class Listener;

class Sound {
 public:
  // A device is looked for again after kRetryMs; each failed try doubles the wait up to kRetryMaxMs
  // (every failed open may leave lines on stderr from the system's sound libraries), and a device
  // that opens or goes away starts it at kRetryMs again.
  static constexpr int kRetryMs = 2000;
  static constexpr int kRetryMaxMs = 32000;

  ~Sound();
  Sound(const Sound&) = delete;
  Sound& operator=(const Sound&) = delete;

  Result SetCooperativeLevel(WindowHandle window, std::uint32_t level);
  // A primary buffer (flags with kCapsPrimaryBuffer, no bytes, no format) or a secondary buffer
  // with a PCM format of 8 or 16 bits, one or two channels.
  Result CreateSoundBuffer(const BufferDesc& desc, std::unique_ptr<Buffer>& buffer);
  // A second buffer over the same sample memory, with the original's settings, not playing.
  Result DuplicateSoundBuffer(const Buffer& original, std::unique_ptr<Buffer>& duplicate);

  std::uint32_t CooperativeLevel() const { return FLevel; }
  // Whether an output device is open now.
  bool HasDevice() const { return FContext != nullptr; }
  // Lets a disconnected device go, and when none is open and the time has come, tries to open one.
  void KeepDevice();

 private:
  friend Result DirectSoundCreate(const char* deviceName, std::unique_ptr<Sound>& sound);
  friend class Buffer;
  friend class Listener;

  explicit Sound(std::optional<std::string> deviceName);
  void OpenDevice();
  void CloseDevice();
  void MakeCurrent() const;
  // Sends the listener block to OpenAL; the rolloff factor goes to every 3D source.
  void ApplyListener();
  Result Deliver(std::unique_ptr<Buffer> created, std::unique_ptr<Buffer>& buffer);

  std::optional<std::string> FDeviceName;  // none: the default device
  ALCdevice* FDevice = nullptr;
  ALCcontext* FContext = nullptr;
  std::chrono::steady_clock::time_point FNextOpen;
  int FRetryMs = kRetryMs;
  WindowHandle FWindow = 0;
  std::uint32_t FLevel = 0;
  ListenerParams FListener;
  std::vector<Buffer*> FBuffers;  // live buffers, not owned: the rolloff factor reaches them all
};

// A sound object on the named output device (null: the default one); without a device now, one that
// waits for it.
Result DirectSoundCreate(const char* deviceName, std::unique_ptr<Sound>& sound);

}  // namespace ds
