#pragma once

// The sound object over OpenAL Soft: one output device and one context of its own. Each call
// selects that context first, so several sound objects can live side by side.
//
// A sound object must outlive the buffers it created (the object model releases them first).

#include <AL/alc.h>

#include <memory>
#include <vector>

#include "platform/ds/Types.h"

namespace ds {

class Buffer;
class Listener;

class Sound {
 public:
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

 private:
  friend Result DirectSoundCreate(const char* deviceName, std::unique_ptr<Sound>& sound);
  friend class Buffer;
  friend class Listener;

  Sound(ALCdevice* device, ALCcontext* context);
  void MakeCurrent() const;
  // Sends the listener block to OpenAL; the rolloff factor goes to every 3D source.
  void ApplyListener();
  Result Deliver(std::unique_ptr<Buffer> created, std::unique_ptr<Buffer>& buffer);

  ALCdevice* FDevice;
  ALCcontext* FContext;
  WindowHandle FWindow = 0;
  std::uint32_t FLevel = 0;
  ListenerParams FListener;
  std::vector<Buffer*> FBuffers;  // live buffers, not owned: the rolloff factor reaches them all
};

// Opens the named output device (null: the default one). Without a usable device the result is
// kErrNoDriver and `sound` stays empty.
Result DirectSoundCreate(const char* deviceName, std::unique_ptr<Sound>& sound);

}  // namespace ds
