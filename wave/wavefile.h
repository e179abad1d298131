// RIFF/WAVE files of uncompressed PCM, 8 or 16 bits, mono or stereo. The writer always produces
// the plain 44-byte header; the reader accepts what common tools write and refuses, with a status
// text, anything it cannot read faithfully.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/regularfile.h"
#include "wave/sound.h"

namespace wavestatus {
inline constexpr const char* kNoErrors = "No errors occurred.";
inline constexpr const char* kCannotOpen = "Cannot open File.";
// A named pipe, a device, a folder: refused from its type, never opened.
inline constexpr const char* kNotRegular = regularfiletext::kNotRegular;
inline constexpr const char* kNoRiff = "\"RIFF\" not found.";
inline constexpr const char* kNoWaveFmt = "\"WAVEfmt \" not found.";
inline constexpr const char* kChunkTooSmall = "chunk too small.";
inline constexpr const char* kNotPcm = "A value must be 1.";
inline constexpr const char* kBadChannels = "MonoStereo must be 1 or 2.";
inline constexpr const char* kBadRate = "SamplesPerSec must be 1 to 2147483647.";
inline constexpr const char* kBadWidth = "BitsPerSample must be 8 or 16.";
inline constexpr const char* kNoData = "\"data\" not found.";
inline constexpr const char* kTooShort = "File too short.";
inline constexpr const char* kCannotRead = "Cannot read File.";
inline constexpr const char* kNoMemory = "Not enough memory.";
}  // namespace wavestatus

// Writes samples [begin, end) of the sound's channels. The file appears under its name only once
// every byte is written, so a failure leaves an existing file as it was; a temporary file (the
// play file, thrown away after use) is written in place instead, as it needs no such protection. False without a message
// when a channel is missing; false with the "FileError" box when the file cannot be written.
bool WriteWaveFile(bool& abort, const std::string& fileName, const Sound& sound, int32_t begin, int32_t end,
                   bool temporary = false);

// A WAVE file read a block at a time, for a play that must not hold the whole sound: Open makes
// every check ReadWaveFile makes up to the samples, Read decodes frames on demand.
class WaveFrameReader {
 public:
  WaveFrameReader() = default;
  ~WaveFrameReader();
  WaveFrameReader(const WaveFrameReader&) = delete;
  WaveFrameReader& operator=(const WaveFrameReader&) = delete;

  // On failure `status` says why, in ReadWaveFile's words, and the reader stays closed.
  bool Open(const std::string& fileName, std::string& status);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  int Channels() const { return channels_; }
  int32_t Rate() const { return rate_; }
  int BytesPerSample() const { return bytes_; }
  // Whole frames in the file, as far as it really goes.
  int64_t Frames() const { return frames_; }
  // Decodes frames [first, first + count) into `left` and, for a stereo file, `right`; answers
  // how many it decoded (fewer only at the end of the frames or on a read error).
  int64_t Read(int64_t first, int64_t count, int16_t* left, int16_t* right);

 private:
  int fd_ = -1;
  int channels_ = 0;
  int32_t rate_ = 0;
  int bytes_ = 0;
  int64_t frames_ = 0;
  uint64_t dataOffset_ = 0;
  std::vector<unsigned char> block_;
};

// Reads a file into a new sound (the caller's). On failure `sound` is empty and `status` says why;
// on success it reads kNoErrors.
bool ReadWaveFile(const std::string& fileName, SoundPtr& sound, std::string& status);

// Reads the bytes of a WAVE file already in memory, with every check ReadWaveFile makes of a file's
// contents; a read past `size` fails as a file that ends there. `data` may be null when `size` is 0.
bool ReadWaveMemory(const unsigned char* data, size_t size, SoundPtr& sound, std::string& status);
