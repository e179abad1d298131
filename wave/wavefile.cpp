#include "wave/wavefile.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "foundation/assertion.h"
#include "foundation/messages.h"
#include "foundation/regularfile.h"
#include "foundation/replacingfile.h"
#include "wave/wave_routines.h"

namespace {
constexpr const char* kAssertUnit = "wavefile";

constexpr size_t kHeaderBytes = 44;
// Samples are written through a block of this size; it holds whole frames of every layout (1, 2 or
// 4 bytes).
constexpr size_t kBlockBytes = 64 * 1024;
// Samples are read in blocks of this size: few enough calls to cost nothing beside the copy, and
// small enough to stay in the cache until they are decoded.
constexpr size_t kReadBlockBytes = 256 * 1024;

// --- Little-endian fields, independent of the host's byte order and of struct layout ---------------

void Put16(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}
void Put32(unsigned char* p, uint32_t v) {
  Put16(p, v & 0xFFFF);
  Put16(p + 2, v >> 16);
}
void PutTag(unsigned char* p, const char* tag) { std::memcpy(p, tag, 4); }
uint16_t Get16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Get32(const unsigned char* p) { return Get16(p) | static_cast<uint32_t>(Get16(p + 2)) << 16; }
bool IsTag(const unsigned char* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

// --- Sample encodings ------------------------------------------------------------------------------

// 8 bits: one unsigned byte, trunc(s / 256) + 128 (C++ division truncates toward zero as the
// stored files expect: -255 to 255 all give 128); read back as (byte - 128) * 256.
template <int kBytes>
void EncodeSample(int16_t s, unsigned char* out) {
  if constexpr (kBytes == 1) {
    out[0] = static_cast<unsigned char>(s / 256 + 128);
  } else {
    Put16(out, static_cast<uint16_t>(s));
  }
}

template <int kBytes>
int16_t DecodeSample(const unsigned char* in) {
  if constexpr (kBytes == 1) {
    return static_cast<int16_t>((in[0] - 128) * 256);
  } else {
    return static_cast<int16_t>(Get16(in));
  }
}

// Frames interleave the channels, left first. The channel pointers are copied into locals so
// that the compiler sees they cannot alias the byte block, and the loops vectorise.
template <int kChannels, int kBytes>
inline __attribute__((always_inline)) void EncodeFrames(const int16_t* const* channels, int64_t first,
                                                         int64_t frames, unsigned char* out) {
  const int16_t* __restrict left = channels[0] + first;
  const int16_t* __restrict right = kChannels == 2 ? channels[1] + first : nullptr;
  unsigned char* __restrict bytes = out;
  for (int64_t i = 0; i < frames; ++i) {
    EncodeSample<kBytes>(left[i], bytes + i * kChannels * kBytes);
    if constexpr (kChannels == 2) EncodeSample<kBytes>(right[i], bytes + i * kChannels * kBytes + kBytes);
  }
}

template <int kChannels, int kBytes>
inline __attribute__((always_inline)) void DecodeFrames(const unsigned char* in, int64_t frames,
                                                         int16_t* const* channels, int64_t first) {
  int16_t* __restrict left = channels[0] + first;
  int16_t* __restrict right = kChannels == 2 ? channels[1] + first : nullptr;
  const unsigned char* __restrict bytes = in;
  for (int64_t i = 0; i < frames; ++i) {
    left[i] = DecodeSample<kBytes>(bytes + i * kChannels * kBytes);
    if constexpr (kChannels == 2) right[i] = DecodeSample<kBytes>(bytes + i * kChannels * kBytes + kBytes);
  }
}

// The layout of a frame: 1 or 2 channels of 1 or 2 bytes.
struct FrameLayout {
  int channels;
  int bytes;
  int64_t FrameBytes() const { return static_cast<int64_t>(channels) * bytes; }
};

KV_VECTOR_CLONES void EncodeBlock(FrameLayout layout, const int16_t* const* channels, int64_t first,
                                  int64_t frames, unsigned char* out) {
  if (layout.channels == 1) {
    if (layout.bytes == 1) return EncodeFrames<1, 1>(channels, first, frames, out);
    return EncodeFrames<1, 2>(channels, first, frames, out);
  }
  if (layout.bytes == 1) return EncodeFrames<2, 1>(channels, first, frames, out);
  return EncodeFrames<2, 2>(channels, first, frames, out);
}

KV_VECTOR_CLONES void DecodeBlock(FrameLayout layout, const unsigned char* in, int64_t frames,
                                  int16_t* const* channels, int64_t first) {
  if (layout.channels == 1) {
    if (layout.bytes == 1) return DecodeFrames<1, 1>(in, frames, channels, first);
    return DecodeFrames<1, 2>(in, frames, channels, first);
  }
  if (layout.bytes == 1) return DecodeFrames<2, 1>(in, frames, channels, first);
  return DecodeFrames<2, 2>(in, frames, channels, first);
}

// --- Writing ---------------------------------------------------------------------------------------

void MakeHeader(unsigned char* h, int channels, uint32_t rate, int bytes, uint32_t dataBytes) {
  PutTag(h, "RIFF");
  Put32(h + 4, 36 + dataBytes);
  PutTag(h + 8, "WAVE");
  PutTag(h + 12, "fmt ");
  Put32(h + 16, 16);
  Put16(h + 20, 1);
  Put16(h + 22, static_cast<uint32_t>(channels));
  Put32(h + 24, rate);
  Put32(h + 28, static_cast<uint32_t>(channels) * rate * static_cast<uint32_t>(bytes));
  Put16(h + 32, static_cast<uint32_t>(channels * bytes));
  Put16(h + 34, static_cast<uint32_t>(8 * bytes));
  PutTag(h + 36, "data");
  Put32(h + 40, dataBytes);
}

bool WriteSamples(ReplacingFile& file, const int16_t* const* channels, FrameLayout layout, int64_t begin,
                  int64_t end) {
  const int64_t frameBytes = layout.FrameBytes();
  const int64_t blockFrames = static_cast<int64_t>(kBlockBytes) / frameBytes;
  std::vector<unsigned char> block(kBlockBytes);
  for (int64_t first = begin; first < end; first += blockFrames) {
    const int64_t frames = std::min(blockFrames, end - first);
    EncodeBlock(layout, channels, first, frames, block.data());
    if (!file.Write(block.data(), static_cast<size_t>(frames * frameBytes))) return false;
  }
  return true;
}

bool FailWrite() {
  MessageReporter::ShowCannotWriteFile();
  return false;
}

// --- Reading ---------------------------------------------------------------------------------------

enum class ReadResult { kOk, kEnd, kError };

// A regular file read at a tracked position; the size is the one it had when opened, against which
// every declared size is checked, and nothing past it is read: what the type and the size of the
// file decide is decided before a byte is read.
class InputFile {
 public:
  RegularFile::Status Open(const std::string& fileName) { return file_.Open(fileName); }

  uint64_t Remaining() const { return file_.Size() > position_ ? file_.Size() - position_ : 0; }
  uint64_t Position() const { return position_; }
  // The descriptor becomes the caller's.
  int Release() { return file_.Release(); }

  ReadResult Read(unsigned char* data, size_t n) {
    if (n > Remaining()) return ReadResult::kEnd;
    const int64_t got = file_.ReadAt(position_, data, n);
    if (got < 0) return ReadResult::kError;
    position_ += static_cast<uint64_t>(got);
    return static_cast<size_t>(got) == n ? ReadResult::kOk : ReadResult::kEnd;
  }

  bool Skip(uint64_t n) {
    if (n > Remaining()) return false;
    position_ += n;
    return true;
  }

  // Reads `frames` frames of the layout in large blocks, each decoded while it is still in
  // the cache.
  ReadResult Decode(int64_t frames, FrameLayout layout, int16_t* const* channels) {
    const int64_t frameBytes = layout.FrameBytes();
    const int64_t blockFrames = static_cast<int64_t>(kReadBlockBytes) / frameBytes;
    std::vector<unsigned char> block(frames > 0 ? kReadBlockBytes : 0);
    for (int64_t first = 0; first < frames; first += blockFrames) {
      const int64_t count = std::min(blockFrames, frames - first);
      const ReadResult r = Read(block.data(), static_cast<size_t>(count * frameBytes));
      if (r != ReadResult::kOk) return r;
      DecodeBlock(layout, block.data(), count, channels, first);
    }
    return ReadResult::kOk;
  }

 private:
  RegularFile file_;
  uint64_t position_ = 0;
};

// Bytes already in memory, read with the same checks as a file: nothing is read past their end.
class MemoryInput {
 public:
  MemoryInput(const unsigned char* data, size_t size) : data_(data), size_(data != nullptr ? size : 0) {}

  uint64_t Remaining() const { return size_ - position_; }

  ReadResult Read(unsigned char* out, size_t n) {
    if (n > Remaining()) {
      position_ = size_;
      return ReadResult::kEnd;
    }
    if (n > 0) std::memcpy(out, data_ + position_, n);
    position_ += n;
    return ReadResult::kOk;
  }

  bool Skip(uint64_t n) {
    if (n > Remaining()) return false;
    position_ += static_cast<size_t>(n);
    return true;
  }

  // The samples are decoded straight from the bytes, in one pass.
  ReadResult Decode(int64_t frames, FrameLayout layout, int16_t* const* channels) {
    const auto bytes = static_cast<uint64_t>(frames) * static_cast<uint64_t>(layout.FrameBytes());
    if (bytes > Remaining()) return ReadResult::kEnd;
    if (frames > 0) DecodeBlock(layout, data_ + position_, frames, channels, 0);
    position_ += static_cast<size_t>(bytes);
    return ReadResult::kOk;
  }

 private:
  const unsigned char* data_;
  size_t size_;
  size_t position_ = 0;
};

bool OpenInput(InputFile& file, const std::string& fileName, std::string& status) {
  switch (file.Open(fileName)) {
    case RegularFile::Status::kOpen:
      return true;
    case RegularFile::Status::kNotRegular:
      status = wavestatus::kNotRegular;
      return false;
    case RegularFile::Status::kCannotOpen:
      break;
  }
  status = wavestatus::kCannotOpen;
  return false;
}

const char* ReadFailure(ReadResult result) {
  return result == ReadResult::kError ? wavestatus::kCannotRead : wavestatus::kTooShort;
}

enum class ChunkResult { kFound, kNoMore, kFailed };

// Reads the next chunk header. kNoMore: the file ends where a chunk would start; kFailed: it ends
// (or cannot be read) inside the header, and `failure` tells which.
template <class Input>
ChunkResult ReadChunkHeader(Input& file, unsigned char* id, uint32_t& size, const char*& failure) {
  if (file.Remaining() == 0) return ChunkResult::kNoMore;
  unsigned char header[8];
  const ReadResult result = file.Read(header, sizeof header);
  if (result != ReadResult::kOk) {
    failure = ReadFailure(result);
    return ChunkResult::kFailed;
  }
  std::memcpy(id, header, 4);
  size = Get32(header + 4);
  return ChunkResult::kFound;
}

// Chunks are padded to an even size.
template <class Input>
bool SkipChunk(Input& file, uint32_t size) { return file.Skip(static_cast<uint64_t>(size) + (size & 1)); }

}  // namespace

bool WriteWaveFile(bool& abort, const std::string& fileName, const Sound& sound, int32_t begin, int32_t end,
                   bool temporary) {
  const int channelCount = sound.MoSt == 2 ? 2 : 1;
  bool copied = false;
  Wave* first = channelCount == 1 ? sound.GetMonoWave(abort, copied) : sound.GetLeftWave();
  const ChannelHold hold(first, copied);
  const Wave* channels[2] = {first, channelCount == 2 ? sound.GetRightWave() : nullptr};
  for (int c = 0; c < channelCount; ++c)
    if (channels[c] == nullptr) return false;
  KV_ASSERT(begin >= 0);
  KV_ASSERT(begin <= end);
  for (int c = 0; c < channelCount; ++c) KV_ASSERT(end <= channels[c]->values);

  // Samples are 16 bits in memory; a width other than 1 is written as 2 so that the header
  // always describes the data that follows it.
  const int bytes = sound.BytesPerSample == 1 ? 1 : 2;
  const int64_t dataBytes = static_cast<int64_t>(channelCount) * bytes * (static_cast<int64_t>(end) - begin);
  // The RIFF size field must hold 36 + the data; a longer sound cannot be a WAVE file.
  if (dataBytes > static_cast<int64_t>(std::numeric_limits<uint32_t>::max()) - 36) return FailWrite();

  ReplacingFile file;
  if (!file.Create(fileName, temporary, static_cast<int64_t>(kHeaderBytes) + dataBytes)) return FailWrite();
  unsigned char header[kHeaderBytes];
  MakeHeader(header, channelCount, static_cast<uint32_t>(sound.Freq), bytes, static_cast<uint32_t>(dataBytes));
  const int16_t* samples[2] = {channels[0]->wave, channelCount == 2 ? channels[1]->wave : nullptr};
  if (!file.Write(header, sizeof header) || !WriteSamples(file, samples, {channelCount, bytes}, begin, end) ||
      !file.Commit()) {
    // The part written goes before the box shows: on a full disk it would hold the room until the
    // user answers.
    file.Discard();
    return FailWrite();
  }
  return true;
}

namespace {

// What the header says of the samples that follow it.
struct DataFormat {
  int channels = 0;
  uint32_t rate = 0;
  int bytes = 0;
  int64_t frames = 0;
};

// Everything the reader checks up to the samples, the same for a file and for bytes in memory;
// the input is left at the first sample.
template <class Input>
bool ReadWaveHeader(Input& file, DataFormat& data, std::string& status) {
  auto fail = [&status](const char* text) {
    status = text;
    return false;
  };

  unsigned char riff[12];
  if (const ReadResult r = file.Read(riff, 4); r != ReadResult::kOk) return fail(ReadFailure(r));
  if (!IsTag(riff, "RIFF")) return fail(wavestatus::kNoRiff);
  // The RIFF size is read past, not trusted: streamed and oversized files carry nonsense there.
  if (const ReadResult r = file.Read(riff + 4, 8); r != ReadResult::kOk) return fail(ReadFailure(r));
  if (!IsTag(riff + 8, "WAVE")) return fail(wavestatus::kNoWaveFmt);

  // Other chunks ("LIST", "JUNK", "bext" ...) may come before the format.
  unsigned char id[4];
  uint32_t size = 0;
  const char* failure = nullptr;
  for (;;) {
    const ChunkResult chunk = ReadChunkHeader(file, id, size, failure);
    if (chunk == ChunkResult::kFailed) return fail(failure);
    if (chunk == ChunkResult::kNoMore || IsTag(id, "data")) return fail(wavestatus::kNoWaveFmt);
    if (IsTag(id, "fmt ")) break;
    if (!SkipChunk(file, size)) return fail(wavestatus::kNoWaveFmt);
  }

  if (size < 16) return fail(wavestatus::kChunkTooSmall);
  unsigned char format[16];
  if (const ReadResult r = file.Read(format, sizeof format); r != ReadResult::kOk) return fail(ReadFailure(r));
  if (Get16(format) != 1) return fail(wavestatus::kNotPcm);
  const int channels = Get16(format + 2);
  if (channels != 1 && channels != 2) return fail(wavestatus::kBadChannels);
  const uint32_t rate = Get32(format + 4);
  if (rate == 0 || rate > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()))
    return fail(wavestatus::kBadRate);
  const int bits = Get16(format + 14);
  if (bits != 8 && bits != 16) return fail(wavestatus::kBadWidth);
  const int bytes = bits / 8;
  if (!file.Skip(static_cast<uint64_t>(size - 16) + (size & 1))) return fail(wavestatus::kNoData);

  // After the format, "fact", "LIST" and the like are skipped up to the data.
  for (;;) {
    const ChunkResult chunk = ReadChunkHeader(file, id, size, failure);
    if (chunk == ChunkResult::kFailed) return fail(failure);
    if (chunk == ChunkResult::kNoMore) return fail(wavestatus::kNoData);
    if (IsTag(id, "data")) break;
    if (!SkipChunk(file, size)) return fail(wavestatus::kNoData);
  }

  // The declared size counts only as far as the file goes, and only whole frames.
  const int64_t frameBytes = channels * bytes;
  const uint64_t present = std::min<uint64_t>(size, file.Remaining());
  data = {channels, rate, bytes, static_cast<int64_t>(present / static_cast<uint64_t>(frameBytes))};
  return true;
}

template <class Input>
bool ReadWave(Input& file, SoundPtr& sound, std::string& status) {
  DataFormat data;
  if (!ReadWaveHeader(file, data, status)) return false;
  const int channels = data.channels;
  const int bytes = data.bytes;
  const uint32_t rate = data.rate;
  const int64_t frames = data.frames;
  auto fail = [&status](const char* text) {
    status = text;
    return false;
  };

  bool abort = false;
  WavePtr waves[2];
  for (int c = 0; c < channels; ++c) {
    waves[c] = NewWaveChecked(abort, frames);
    if (!waves[c]) return fail(wavestatus::kNoMemory);
  }
  int16_t* targets[2] = {waves[0]->wave, channels == 2 ? waves[1]->wave : nullptr};
  const ReadResult r = file.Decode(frames, {channels, bytes}, targets);
  if (r != ReadResult::kOk) return fail(ReadFailure(r));

  const int32_t freq = static_cast<int32_t>(rate);
  const auto width = static_cast<uint16_t>(bytes);
  if (channels == 1)
    sound = std::make_unique<MonoSound>(std::move(waves[0]), freq, width);
  else
    sound = std::make_unique<StereoSound>(std::move(waves[0]), std::move(waves[1]), freq, width);
  return true;
}

}  // namespace

bool ReadWaveFile(const std::string& fileName, SoundPtr& sound, std::string& status) {
  sound.reset();
  status = wavestatus::kNoErrors;
  InputFile file;
  if (!OpenInput(file, fileName, status)) return false;
  return ReadWave(file, sound, status);
}

WaveFrameReader::~WaveFrameReader() { Close(); }

bool WaveFrameReader::Open(const std::string& fileName, std::string& status) {
  Close();
  status = wavestatus::kNoErrors;
  InputFile file;
  if (!OpenInput(file, fileName, status)) return false;
  DataFormat data;
  if (!ReadWaveHeader(file, data, status)) return false;
  channels_ = data.channels;
  rate_ = static_cast<int32_t>(data.rate);
  bytes_ = data.bytes;
  frames_ = data.frames;
  dataOffset_ = file.Position();
  fd_ = file.Release();
  return true;
}

void WaveFrameReader::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  channels_ = bytes_ = 0;
  rate_ = 0;
  frames_ = 0;
}

int64_t WaveFrameReader::Read(int64_t first, int64_t count, int16_t* left, int16_t* right) {
  if (fd_ < 0 || first < 0 || first >= frames_ || count <= 0) return 0;
  count = std::min(count, frames_ - first);
  const FrameLayout layout{channels_, bytes_};
  const int64_t frameBytes = layout.FrameBytes();
  const int64_t blockFrames = static_cast<int64_t>(kReadBlockBytes) / frameBytes;
  block_.resize(kReadBlockBytes);
  unsigned char* block = block_.data();
  int16_t* const channels[2] = {left, right};
  int64_t done = 0;
  while (done < count) {
    const int64_t frames = std::min(blockFrames, count - done);
    const auto wanted = static_cast<size_t>(frames * frameBytes);
    const auto offset = static_cast<off_t>(dataOffset_ + static_cast<uint64_t>((first + done) * frameBytes));
    ssize_t got;
    do {
      got = ::pread(fd_, block, wanted, offset);
    } while (got < 0 && errno == EINTR);
    if (got <= 0) break;
    const int64_t whole = got / frameBytes;
    DecodeBlock(layout, block, whole, channels, done);
    done += whole;
    if (static_cast<size_t>(got) < wanted) break;
  }
  return done;
}

bool ReadWaveMemory(const unsigned char* data, size_t size, SoundPtr& sound, std::string& status) {
  sound.reset();
  status = wavestatus::kNoErrors;
  MemoryInput bytes(data, size);
  return ReadWave(bytes, sound, status);
}
