// WaveCodec.cpp — SDL reads the wave; this checks what it found and converts it to 16 bits.
#include "platform/WaveCodec.h"

#include <SDL.h>

#include <cstring>
#include <memory>

namespace {

struct TWaveFree {
  void operator()(Uint8* p) const { SDL_FreeWAV(p); }
};

uint32_t ReadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

// SDL sizes its buffers by the lengths the chunks declare before it reads them, so a few
// damaged bytes could make it ask for gigabytes. Every chunk must fit in what the file holds.
bool ChunksFitTheFile(const uint8_t* data, size_t size, std::string& error) {
  constexpr size_t RiffHeader = 12, ChunkHeader = 8;
  if (size < RiffHeader || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0) {
    error = "not a RIFF WAVE file";
    return false;
  }
  for (size_t at = RiffHeader; at + ChunkHeader <= size;) {
    const size_t length = ReadLe32(data + at + 4);
    const size_t left = size - at - ChunkHeader;
    if (length > left) {
      error = "chunk \"" + std::string(reinterpret_cast<const char*>(data + at), 4) + "\" claims " +
              std::to_string(length) + " bytes, the file holds " + std::to_string(left) + " more";
      return false;
    }
    at += ChunkHeader + length + (length & 1);  // chunks start on even offsets
  }
  return true;
}

}  // namespace

bool DecodeWave(const uint8_t* data, size_t size, TWaveData& wave, std::string& error) {
  const auto fail = [&](const std::string& reason) {
    error = reason;
    return false;
  };
  if (size == 0) return fail("empty file");
  if (size > WaveMaxFileSize) return fail("larger than " + std::to_string(WaveMaxFileSize) + " bytes");
  std::string damage;
  if (!ChunksFitTheFile(data, size, damage)) return fail(damage);

  SDL_AudioSpec format{};
  Uint8* raw = nullptr;
  Uint32 length = 0;
  SDL_RWops* rw = SDL_RWFromConstMem(data, static_cast<int>(size));
  if (rw == nullptr || SDL_LoadWAV_RW(rw, 1, &format, &raw, &length) == nullptr)
    return fail(std::string("not a readable WAVE file: ") + SDL_GetError());
  std::unique_ptr<Uint8, TWaveFree> owned(raw);

  if (format.channels < 1 || format.channels > 8) return fail(std::to_string(format.channels) + " channels");
  if (format.freq < 1000 || format.freq > 384000) return fail("sample rate " + std::to_string(format.freq) + " Hz");
  const Uint32 frameBytes = format.channels * SDL_AUDIO_BITSIZE(format.format) / 8;
  const Uint32 frames = frameBytes == 0 ? 0 : length / frameBytes;
  if (frames == 0) return fail("holds no samples");
  if (frames > WaveMaxSeconds * format.freq)
    return fail("plays " + std::to_string(frames / format.freq) + " s, longer than " +
                std::to_string(static_cast<int>(WaveMaxSeconds)) + " s");

  TWaveData result;
  result.Rate = format.freq;
  result.FileChannels = format.channels;
  result.FileBits = SDL_AUDIO_BITSIZE(format.format);
  result.Channels = format.channels == 1 ? 1 : 2;

  SDL_AudioCVT cvt;
  const int built = SDL_BuildAudioCVT(&cvt, format.format, format.channels, format.freq, AUDIO_S16SYS,
                                      static_cast<Uint8>(result.Channels), format.freq);
  if (built < 0) return fail(std::string("cannot convert to 16-bit: ") + SDL_GetError());
  const size_t used = static_cast<size_t>(frames) * frameBytes;  // a torn last frame is dropped
  if (built == 0) {
    result.Samples.resize(used / 2);
    std::memcpy(result.Samples.data(), raw, used);
  } else {
    std::vector<Uint8> work(used * static_cast<size_t>(cvt.len_mult));
    std::memcpy(work.data(), raw, used);
    cvt.buf = work.data();
    cvt.len = static_cast<int>(used);
    if (SDL_ConvertAudio(&cvt) != 0) return fail(std::string("cannot convert to 16-bit: ") + SDL_GetError());
    result.Samples.resize(static_cast<size_t>(cvt.len_cvt) / 2);
    std::memcpy(result.Samples.data(), work.data(), result.Samples.size() * 2);
  }
  if (result.Frames() == 0) return fail("holds no samples after conversion");
  wave = std::move(result);
  return true;
}
