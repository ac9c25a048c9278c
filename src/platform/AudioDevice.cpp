// AudioDevice.cpp — the OpenAL Soft output: sample buffers, voices and the music stream.
#include "platform/AudioDevice.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

namespace {

// 200 sound slots may each overlap VoiceInstanceCap instances, plus the music stream.
constexpr ALCint MonoSourceRequest = 1000;
constexpr ALCint StereoSourceRequest = 24;

// Twelve buffers of 2048 frames keep about 0.56 s queued ahead of the speaker.
constexpr int StreamBufferCount = 12;
constexpr int StreamBufferFrames = 2048;
// The feeder wakes this often; far shorter than the queue, so one late wake-up never starves it.
constexpr auto FeederPeriod = std::chrono::milliseconds(10);
// A silent output never mixes more than this at once, whatever the pause before.
constexpr int SilentMaxFrames = AudioRate / 10;
constexpr int LoopbackChunkFrames = 1024;

}  // namespace

namespace {

// ---------------------------------------------------------------------------------------------
// Output state

struct TSampleBuffer {
  ALuint Name = 0;
  int References = 0;  // the creator's plus one per voice; 0 marks a free entry
};

struct TVoice {
  bool Used = false;
  int Buffer = -1;
  bool Loop = false;
  float Gain = 1.0f;
  ALfloat Position[3] = {0, 0, 0};  // already in OpenAL's right-handed frame
  std::vector<ALuint> Sources;      // created on first need, at most VoiceInstanceCap
};

struct TStream {
  std::mutex Lock;  // held while refilling; the feeder and the main thread both refill
  ALuint Source = 0;
  ALuint Buffers[StreamBufferCount] = {};
  std::vector<ALuint> Free;  // buffers not queued
  TStreamFill Fill = nullptr;
  bool Active = false;
  float Gain = 1.0f;
  std::vector<int16_t> Scratch;
  int Underruns = 0;
};

enum class TOutputKind { None, Device, Silent, Loopback };

struct TOutput {
  TOutputKind Kind = TOutputKind::None;
  ALCdevice* Device = nullptr;
  ALCcontext* Context = nullptr;
  LPALCRENDERSAMPLESSOFT RenderSamples = nullptr;
  std::string Name;
  std::vector<TSampleBuffer> Buffers;
  std::vector<TVoice> Voices;
  TStream Stream;

  std::thread Feeder;
  std::mutex FeederLock;
  std::condition_variable FeederWake;
  bool FeederStop = false;
};

TOutput Out;

bool IsOpen() { return Out.Kind != TOutputKind::None; }

TSampleBuffer* FindBuffer(int buffer) {
  if (buffer < 0 || buffer >= static_cast<int>(Out.Buffers.size())) return nullptr;
  TSampleBuffer& b = Out.Buffers[buffer];
  return b.References > 0 ? &b : nullptr;
}

TVoice* FindVoice(int voice) {
  if (voice < 0 || voice >= static_cast<int>(Out.Voices.size())) return nullptr;
  TVoice& v = Out.Voices[voice];
  return v.Used ? &v : nullptr;
}

void DropBufferReference(int buffer) {
  TSampleBuffer* b = FindBuffer(buffer);
  if (b == nullptr || --b->References > 0) return;
  alDeleteBuffers(1, &b->Name);
  b->Name = 0;
}

template <typename T>
int FreeIndex(std::vector<T>& table, bool (*isFree)(const T&)) {
  for (size_t i = 0; i < table.size(); ++i)
    if (isFree(table[i])) return static_cast<int>(i);
  table.emplace_back();
  return static_cast<int>(table.size() - 1);
}

// ---------------------------------------------------------------------------------------------
// Music stream

void StreamRefill() {
  TStream& s = Out.Stream;
  if (!s.Active || s.Fill == nullptr) return;
  ALint processed = 0;
  alGetSourcei(s.Source, AL_BUFFERS_PROCESSED, &processed);
  while (processed-- > 0) {
    ALuint buffer = 0;
    alSourceUnqueueBuffers(s.Source, 1, &buffer);
    s.Free.push_back(buffer);
  }
  s.Scratch.resize(static_cast<size_t>(StreamBufferFrames) * 2);
  while (!s.Free.empty()) {
    const ALuint buffer = s.Free.back();
    s.Free.pop_back();
    s.Fill(s.Scratch.data(), StreamBufferFrames);
    alBufferData(buffer, AL_FORMAT_STEREO16, s.Scratch.data(),
                 static_cast<ALsizei>(s.Scratch.size() * sizeof(int16_t)), AudioRate);
    alSourceQueueBuffers(s.Source, 1, &buffer);
  }
  // Starting, or recovering from a queue that ran dry while the machine stalled.
  ALint state = AL_STOPPED;
  alGetSourcei(s.Source, AL_SOURCE_STATE, &state);
  if (state == AL_STOPPED) ++s.Underruns;
  if (state != AL_PLAYING) alSourcePlay(s.Source);
}

void StreamDropQueue() {
  TStream& s = Out.Stream;
  alSourceStop(s.Source);
  alSourcei(s.Source, AL_BUFFER, 0);  // unqueues every buffer of a stopped source
  alSourceRewind(s.Source);           // back to initial: the next start is not a stall
  s.Free.assign(s.Buffers, s.Buffers + StreamBufferCount);
}

bool StreamCreate() {
  TStream& s = Out.Stream;
  alGetError();
  alGenSources(1, &s.Source);
  if (alGetError() != AL_NO_ERROR) return false;
  alGenBuffers(StreamBufferCount, s.Buffers);
  if (alGetError() != AL_NO_ERROR) {
    alDeleteSources(1, &s.Source);
    s.Source = 0;
    return false;
  }
  alSourcei(s.Source, AL_SOURCE_RELATIVE, AL_TRUE);
  alSource3f(s.Source, AL_POSITION, 0, 0, 0);
  alSourcef(s.Source, AL_ROLLOFF_FACTOR, 0);
  alSourcef(s.Source, AL_GAIN, s.Gain);
  s.Free.assign(s.Buffers, s.Buffers + StreamBufferCount);
  return true;
}

void StreamDestroy() {
  TStream& s = Out.Stream;
  std::lock_guard lock(s.Lock);
  if (s.Source != 0) {
    StreamDropQueue();
    alDeleteSources(1, &s.Source);
    alDeleteBuffers(StreamBufferCount, s.Buffers);
  }
  s.Source = 0;
  s.Free.clear();
  s.Active = false;
  s.Fill = nullptr;
  s.Gain = 1.0f;
  s.Underruns = 0;
}

// ---------------------------------------------------------------------------------------------
// Feeder thread: keeps the music queue full and, for the silent output, mixes in real time.

void FeederMain() {
  using Clock = std::chrono::steady_clock;
  std::vector<int16_t> sink;
  auto mixedUntil = Clock::now();
  std::unique_lock lock(Out.FeederLock);
  while (!Out.FeederStop) {
    Out.FeederWake.wait_for(lock, FeederPeriod);
    if (Out.FeederStop) break;
    lock.unlock();
    {
      std::lock_guard streamLock(Out.Stream.Lock);
      StreamRefill();
    }
    if (Out.Kind == TOutputKind::Silent) {
      const auto now = Clock::now();
      const auto due = std::chrono::duration_cast<std::chrono::microseconds>(now - mixedUntil).count();
      const int frames = static_cast<int>(std::min<long long>(due * AudioRate / 1000000, SilentMaxFrames));
      if (frames > 0) {
        sink.resize(static_cast<size_t>(frames) * 2);
        Out.RenderSamples(Out.Device, sink.data(), frames);
      }
      mixedUntil = now;
    }
    lock.lock();
  }
}

// ---------------------------------------------------------------------------------------------
// Opening

bool CreateContext(const ALCint* formatAttributes) {
  std::vector<ALCint> attributes = {ALC_MONO_SOURCES, MonoSourceRequest, ALC_STEREO_SOURCES, StereoSourceRequest};
  for (const ALCint* a = formatAttributes; a != nullptr && *a != 0; ++a) attributes.push_back(*a);
  attributes.push_back(0);
  Out.Context = alcCreateContext(Out.Device, attributes.data());
  if (Out.Context == nullptr || !alcMakeContextCurrent(Out.Context)) {
    if (Out.Context != nullptr) alcDestroyContext(Out.Context);
    Out.Context = nullptr;
    return false;
  }
  // The listener stays at the origin facing the library's default way; positions arrive
  // left-handed and are mirrored in z on the way in.
  alListener3f(AL_POSITION, 0, 0, 0);
  return true;
}

bool OpenLoopback() {
  if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback")) return false;
  auto openLoopback = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
  auto formatSupported =
      reinterpret_cast<LPALCISRENDERFORMATSUPPORTEDSOFT>(alcGetProcAddress(nullptr, "alcIsRenderFormatSupportedSOFT"));
  Out.RenderSamples = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
  if (openLoopback == nullptr || formatSupported == nullptr || Out.RenderSamples == nullptr) return false;
  Out.Device = openLoopback(nullptr);
  if (Out.Device == nullptr) return false;
  if (!formatSupported(Out.Device, AudioRate, ALC_STEREO_SOFT, ALC_SHORT_SOFT)) {
    alcCloseDevice(Out.Device);
    Out.Device = nullptr;
    return false;
  }
  // No HRTF, whatever a user's configuration asks: the render must be the plain stereo mix.
  const ALCint format[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_SHORT_SOFT,
                           ALC_FREQUENCY, AudioRate, ALC_HRTF_SOFT, ALC_FALSE, 0};
  if (!CreateContext(format)) {
    alcCloseDevice(Out.Device);
    Out.Device = nullptr;
    return false;
  }
  return true;
}

bool OpenDefaultDevice() {
  Out.Device = alcOpenDevice(nullptr);
  if (Out.Device == nullptr) return false;
  if (!CreateContext(nullptr)) {
    alcCloseDevice(Out.Device);
    Out.Device = nullptr;
    return false;
  }
  return true;
}

}  // namespace

bool OpenAudioOutput(TAudioOutput output) {
  if (IsOpen()) return true;
  // A program that ends without closing must still stop the feeder before anything it uses
  // is torn down; handlers registered now run before OpenAL's own clean-up and our statics'.
  static const bool closesAtExit = std::atexit([] { CloseAudioOutput(); }) == 0;
  (void)closesAtExit;
  if (output == TAudioOutput::Device && OpenDefaultDevice()) {
    Out.Kind = TOutputKind::Device;
  } else if (OpenLoopback()) {
    Out.Kind = output == TAudioOutput::Loopback ? TOutputKind::Loopback : TOutputKind::Silent;
  } else {
    return false;
  }
  const ALCchar* name = alcGetString(Out.Device, ALC_DEVICE_SPECIFIER);
  Out.Name = name != nullptr ? name : "";
  if (Out.Kind == TOutputKind::Silent) Out.Name = "silent (" + Out.Name + ")";
  if (!StreamCreate()) {
    CloseAudioOutput();
    return false;
  }
  if (Out.Kind != TOutputKind::Loopback) {
    Out.FeederStop = false;
    Out.Feeder = std::thread(FeederMain);
  }
  return true;
}

void CloseAudioOutput() {
  if (Out.Feeder.joinable()) {
    {
      std::lock_guard lock(Out.FeederLock);
      Out.FeederStop = true;
    }
    Out.FeederWake.notify_all();
    Out.Feeder.join();
  }
  if (Out.Context != nullptr) {
    StreamDestroy();
    for (TVoice& v : Out.Voices)
      if (!v.Sources.empty()) {
        alSourceStopv(static_cast<ALsizei>(v.Sources.size()), v.Sources.data());
        alDeleteSources(static_cast<ALsizei>(v.Sources.size()), v.Sources.data());
      }
    for (TSampleBuffer& b : Out.Buffers)
      if (b.References > 0) alDeleteBuffers(1, &b.Name);
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(Out.Context);
  }
  if (Out.Device != nullptr) alcCloseDevice(Out.Device);
  Out.Voices.clear();
  Out.Buffers.clear();
  Out.Context = nullptr;
  Out.Device = nullptr;
  Out.RenderSamples = nullptr;
  Out.Name.clear();
  Out.Kind = TOutputKind::None;
}

bool AudioOutputOpen() { return IsOpen(); }
std::string AudioOutputName() { return Out.Name; }

bool RenderAudioOutput(int16_t* out, int frames) {
  if (Out.Kind != TOutputKind::Loopback) return false;
  while (frames > 0) {
    const int chunk = std::min(frames, LoopbackChunkFrames);
    {
      std::lock_guard lock(Out.Stream.Lock);
      StreamRefill();
    }
    Out.RenderSamples(Out.Device, out, chunk);
    out += static_cast<size_t>(chunk) * 2;
    frames -= chunk;
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// Buffers and voices

int CreateSampleBuffer(const TWaveData& wave) {
  if (!IsOpen() || wave.Frames() == 0 || (wave.Channels != 1 && wave.Channels != 2)) return -1;
  alGetError();
  ALuint name = 0;
  alGenBuffers(1, &name);
  if (alGetError() != AL_NO_ERROR) return -1;
  alBufferData(name, wave.Channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16, wave.Samples.data(),
               static_cast<ALsizei>(wave.Frames() * static_cast<size_t>(wave.Channels) * sizeof(int16_t)), wave.Rate);
  if (alGetError() != AL_NO_ERROR) {
    alDeleteBuffers(1, &name);
    return -1;
  }
  const int index = FreeIndex<TSampleBuffer>(Out.Buffers, [](const TSampleBuffer& b) { return b.References == 0; });
  Out.Buffers[index] = {name, 1};
  return index;
}

void ReleaseSampleBuffer(int buffer) { DropBufferReference(buffer); }

int CreateVoice(int buffer, bool loop) {
  TSampleBuffer* b = FindBuffer(buffer);
  if (b == nullptr) return -1;
  ++b->References;
  const int index = FreeIndex<TVoice>(Out.Voices, [](const TVoice& v) { return !v.Used; });
  TVoice& v = Out.Voices[index];
  v = TVoice{};
  v.Used = true;
  v.Buffer = buffer;
  v.Loop = loop;
  return index;
}

int CloneVoice(int voice) {
  const TVoice* original = FindVoice(voice);
  if (original == nullptr) return -1;
  return CreateVoice(original->Buffer, original->Loop);
}

void DestroyVoice(int voice) {
  TVoice* v = FindVoice(voice);
  if (v == nullptr) return;
  if (!v->Sources.empty()) {
    alSourceStopv(static_cast<ALsizei>(v->Sources.size()), v->Sources.data());
    alDeleteSources(static_cast<ALsizei>(v->Sources.size()), v->Sources.data());
  }
  const int buffer = v->Buffer;
  *v = TVoice{};
  DropBufferReference(buffer);
}

void SetVoiceGain(int voice, float gain) {
  TVoice* v = FindVoice(voice);
  if (v == nullptr) return;
  v->Gain = std::clamp(gain, 0.0f, 1.0f);
  for (ALuint source : v->Sources) alSourcef(source, AL_GAIN, v->Gain);
}

void SetVoicePosition(int voice, float x, float y, float z) {
  TVoice* v = FindVoice(voice);
  if (v == nullptr) return;
  v->Position[0] = x;
  v->Position[1] = y;
  v->Position[2] = -z;
  for (ALuint source : v->Sources) alSourcefv(source, AL_POSITION, v->Position);
}

namespace {

bool SourcePlaying(ALuint source) {
  ALint state = AL_STOPPED;
  alGetSourcei(source, AL_SOURCE_STATE, &state);
  return state == AL_PLAYING;
}

// An idle instance, a new one while under the cap, or else the one that has played longest.
ALuint PickInstance(TVoice& v) {
  for (ALuint source : v.Sources)
    if (!SourcePlaying(source)) return source;
  if (v.Sources.size() < VoiceInstanceCap) {
    alGetError();
    ALuint source = 0;
    alGenSources(1, &source);
    if (alGetError() == AL_NO_ERROR) {
      alSourcei(source, AL_BUFFER, static_cast<ALint>(Out.Buffers[v.Buffer].Name));
      alSourcei(source, AL_LOOPING, v.Loop ? AL_TRUE : AL_FALSE);
      alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
      alSourcef(source, AL_GAIN, v.Gain);
      alSourcefv(source, AL_POSITION, v.Position);
      v.Sources.push_back(source);
      return source;
    }
    // Out of library sources: fall through and reuse one of this voice's own.
  }
  ALuint oldest = 0;
  ALint oldestOffset = -1;
  for (ALuint source : v.Sources) {
    ALint offset = 0;
    alGetSourcei(source, AL_SAMPLE_OFFSET, &offset);
    if (offset > oldestOffset) {
      oldest = source;
      oldestOffset = offset;
    }
  }
  return oldest;
}

}  // namespace

void PlayVoice(int voice) {
  TVoice* v = FindVoice(voice);
  if (v == nullptr) return;
  const ALuint source = PickInstance(*v);
  if (source == 0) return;
  alSourceRewind(source);
  alSourcePlay(source);
}

void StopVoice(int voice) {
  TVoice* v = FindVoice(voice);
  if (v == nullptr || v->Sources.empty()) return;
  alSourceStopv(static_cast<ALsizei>(v->Sources.size()), v->Sources.data());
}

int VoiceInstancesPlaying(int voice) {
  const TVoice* v = FindVoice(voice);
  if (v == nullptr) return 0;
  return static_cast<int>(std::count_if(v->Sources.begin(), v->Sources.end(), SourcePlaying));
}

bool VoiceLooping(int voice) {
  const TVoice* v = FindVoice(voice);
  return v != nullptr && v->Loop;
}

bool VoiceSourcePosition(int voice, float& x, float& y, float& z) {
  const TVoice* v = FindVoice(voice);
  if (v == nullptr || v->Sources.empty()) return false;
  ALfloat p[3] = {0, 0, 0};
  alGetSourcefv(v->Sources.front(), AL_POSITION, p);
  x = p[0];
  y = p[1];
  z = -p[2];
  return true;
}

int LiveVoiceCount() {
  return static_cast<int>(std::count_if(Out.Voices.begin(), Out.Voices.end(), [](const TVoice& v) { return v.Used; }));
}

int LiveSampleBufferCount() {
  return static_cast<int>(
      std::count_if(Out.Buffers.begin(), Out.Buffers.end(), [](const TSampleBuffer& b) { return b.References > 0; }));
}

// ---------------------------------------------------------------------------------------------
// Music stream

void StartMusicStream(TStreamFill fill) {
  if (!IsOpen() || fill == nullptr) return;
  std::lock_guard lock(Out.Stream.Lock);
  Out.Stream.Fill = fill;
  Out.Stream.Active = true;
  StreamRefill();
}

void RestartMusicStream() {
  if (!IsOpen()) return;
  std::lock_guard lock(Out.Stream.Lock);
  if (!Out.Stream.Active) return;
  StreamDropQueue();
  StreamRefill();
}

void StopMusicStream() {
  if (!IsOpen()) return;
  std::lock_guard lock(Out.Stream.Lock);
  Out.Stream.Active = false;
  StreamDropQueue();
}

void SetMusicStreamGain(float gain) {
  if (!IsOpen()) return;
  std::lock_guard lock(Out.Stream.Lock);
  Out.Stream.Gain = std::clamp(gain, 0.0f, 1.0f);
  alSourcef(Out.Stream.Source, AL_GAIN, Out.Stream.Gain);
}

int MusicStreamUnderruns() {
  std::lock_guard lock(Out.Stream.Lock);
  return Out.Stream.Underruns;
}

bool MusicStreamActive() {
  if (!IsOpen()) return false;
  std::lock_guard lock(Out.Stream.Lock);
  return Out.Stream.Active;
}
