// RIFF/WAVE files of uncompressed PCM, 8 or 16 bits, mono or stereo. The writer always produces
// the plain 44-byte header; the reader accepts what common tools write and refuses, with a status
// text, anything it cannot read faithfully.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "wave/sound.h"

namespace wavestatus {
inline constexpr const char* kNoErrors = "No errors occurred.";
inline constexpr const char* kCannotOpen = "Cannot open File.";
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
// every byte is written, so a failure leaves an existing file as it was. False without a message
// when a channel is missing; false with the "FileError" box when the file cannot be written.
bool WriteWaveFile(bool& abort, const std::string& fileName, const Sound& sound, int32_t begin, int32_t end,
                   bool temporary = false);

// Reads a file into a new sound (the caller's). On failure `sound` is empty and `status` says why;
// on success it reads kNoErrors.
bool ReadWaveFile(const std::string& fileName, SoundPtr& sound, std::string& status);

// Reads the bytes of a WAVE file already in memory, with every check ReadWaveFile makes of a file's
// contents; a read past `size` fails as a file that ends there. `data` may be null when `size` is 0.
bool ReadWaveMemory(const unsigned char* data, size_t size, SoundPtr& sound, std::string& status);
