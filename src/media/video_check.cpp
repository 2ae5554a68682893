#include "media/video_check.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

namespace mivora {
namespace {

// An index larger than this belongs to no video a run makes.
constexpr std::uint64_t kLargestIndex = 64u << 20;
// The longest last sample worth reading through (a key frame of a finished
// video is far smaller).
constexpr std::uint64_t kLargestSample = 16u << 20;

constexpr std::uint32_t Code(const char (&name)[5]) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(name[0])) << 24 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(name[1])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(name[2])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(name[3]));
}

// Bytes held in memory, read from the front; every read past the end fails
// the whole view, so a short box never yields numbers from beyond it.
class Bytes {
 public:
  Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool ok() const { return ok_; }
  std::size_t left() const { return ok_ ? size_ - at_ : 0; }
  void Skip(std::size_t count) { Take(count); }
  std::uint64_t Number(std::size_t bytes) {
    const std::uint8_t* from = Take(bytes);
    std::uint64_t value = 0;
    for (std::size_t i = 0; from != nullptr && i < bytes; ++i) value = value << 8 | from[i];
    return value;
  }
  // The next `count` bytes as a view of their own.
  Bytes Part(std::size_t count) {
    const std::uint8_t* from = Take(count);
    return from == nullptr ? Bytes(nullptr, 0, false) : Bytes(from, count);
  }

 private:
  Bytes(const std::uint8_t* data, std::size_t size, bool ok) : data_(data), size_(size), ok_(ok) {}
  const std::uint8_t* Take(std::size_t count) {
    if (!ok_ || count > size_ - at_) {
      ok_ = false;
      return nullptr;
    }
    at_ += count;
    return data_ + at_ - count;
  }
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

// One child box: its type and its content. False at the end or on a box
// that does not fit its parent.
bool NextBox(Bytes& parent, std::uint32_t& type, Bytes& content) {
  if (parent.left() < 8) return false;
  std::uint64_t size = parent.Number(4);
  type = static_cast<std::uint32_t>(parent.Number(4));
  std::uint64_t header = 8;
  if (size == 1) {
    size = parent.Number(8);
    header = 16;
  } else if (size == 0) {
    size = parent.left() + header;
  }
  if (size < header || size - header > parent.left()) return false;
  content = parent.Part(static_cast<std::size_t>(size - header));
  return content.ok();
}

struct Track {
  std::uint32_t handler = 0;
  std::uint32_t timescale = 0;
  std::uint32_t format = 0;  // of the first sample description
  int width = 0;
  int height = 0;
  int nalLengthBytes = 0;  // H.264 in MP4: the size of each NAL unit's length
  std::uint64_t sttsSamples = 0;
  std::uint64_t sttsTicks = 0;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> chunkRuns;  // first chunk, samples each
  std::uint32_t uniformSize = 0;
  std::uint64_t sampleCount = 0;
  std::vector<std::uint32_t> sizes;
  std::vector<std::uint64_t> chunks;
  bool ok = true;
};

struct Movie {
  std::uint32_t timescale = 0;
  std::uint64_t duration = 0;
  std::vector<Track> tracks;
  bool ok = true;
};

// Version and flags of a full box; the version.
int Version(Bytes& box) {
  int version = static_cast<int>(box.Number(1));
  box.Skip(3);
  return version;
}

// mvhd and mdhd begin alike: times, the time scale and the duration.
void ReadTimes(Bytes box, std::uint32_t& timescale, std::uint64_t* duration) {
  std::size_t wide = Version(box) == 1 ? 8 : 4;
  box.Skip(2 * wide);
  timescale = static_cast<std::uint32_t>(box.Number(4));
  std::uint64_t length = box.Number(wide);
  if (duration != nullptr) *duration = length;
}

void ReadSampleDescription(Bytes box, Track& track) {
  Version(box);
  if (box.Number(4) == 0) return;
  std::uint32_t type = 0;
  Bytes entry(nullptr, 0);
  if (!NextBox(box, type, entry)) return;
  track.format = type;
  if (track.handler != Code("vide")) return;
  entry.Skip(6 + 2 + 16);
  track.width = static_cast<int>(entry.Number(2));
  track.height = static_cast<int>(entry.Number(2));
  entry.Skip(4 + 4 + 4 + 2 + 32 + 2 + 2);
  Bytes child(nullptr, 0);
  while (NextBox(entry, type, child)) {
    if (type != Code("avcC")) continue;
    child.Skip(4);
    std::uint64_t lengthSize = child.Number(1);
    if (child.ok()) track.nalLengthBytes = static_cast<int>((lengthSize & 3) + 1);
  }
}

void ReadSampleTable(Bytes table, Track& track) {
  std::uint32_t type = 0;
  Bytes box(nullptr, 0);
  while (NextBox(table, type, box)) {
    if (type == Code("stsd")) {
      ReadSampleDescription(box, track);
      continue;
    }
    if (type != Code("stts") && type != Code("stsc") && type != Code("stsz") &&
        type != Code("stco") && type != Code("co64")) {
      continue;
    }
    Version(box);
    if (type == Code("stsz")) {
      track.uniformSize = static_cast<std::uint32_t>(box.Number(4));
      track.sampleCount = box.Number(4);
      if (track.uniformSize == 0) {
        if (track.sampleCount > box.left() / 4) track.ok = false;
        for (std::uint64_t i = 0; track.ok && i < track.sampleCount; ++i)
          track.sizes.push_back(static_cast<std::uint32_t>(box.Number(4)));
      }
    } else {
      std::uint64_t count = box.Number(4);
      const std::size_t entryBytes = type == Code("stsc")                           ? 12
                                     : type == Code("co64") || type == Code("stts") ? 8
                                                                                    : 4;
      if (count > box.left() / entryBytes) {
        track.ok = false;
        continue;
      }
      for (std::uint64_t i = 0; i < count; ++i) {
        if (type == Code("stts")) {
          std::uint64_t samples = box.Number(4);
          track.sttsSamples += samples;
          track.sttsTicks += samples * box.Number(4);
        } else if (type == Code("stsc")) {
          auto first = static_cast<std::uint32_t>(box.Number(4));
          auto each = static_cast<std::uint32_t>(box.Number(4));
          box.Skip(4);
          track.chunkRuns.emplace_back(first, each);
        } else {
          track.chunks.push_back(box.Number(type == Code("co64") ? 8 : 4));
        }
      }
    }
    if (!box.ok()) track.ok = false;
  }
}

// Walks a container box down to what the check reads.
void ReadTrackPart(Bytes container, Track& track) {
  std::uint32_t type = 0;
  Bytes box(nullptr, 0);
  while (NextBox(container, type, box)) {
    if (type == Code("mdia") || type == Code("minf")) {
      ReadTrackPart(box, track);
    } else if (type == Code("mdhd")) {
      ReadTimes(box, track.timescale, nullptr);
    } else if (type == Code("hdlr")) {
      box.Skip(8);
      track.handler = static_cast<std::uint32_t>(box.Number(4));
    } else if (type == Code("stbl")) {
      ReadSampleTable(box, track);
    }
  }
}

Movie ReadMovie(Bytes moov) {
  Movie movie;
  std::uint32_t type = 0;
  Bytes box(nullptr, 0);
  while (NextBox(moov, type, box)) {
    if (type == Code("mvhd")) {
      ReadTimes(box, movie.timescale, &movie.duration);
    } else if (type == Code("trak")) {
      movie.tracks.emplace_back();
      ReadTrackPart(box, movie.tracks.back());
    }
  }
  return movie;
}

class File {
 public:
  explicit File(const std::filesystem::path& path) : fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    struct stat info {};
    if (fd_ >= 0 && fstat(fd_, &info) == 0 && S_ISREG(info.st_mode))
      size_ = static_cast<std::uint64_t>(info.st_size);
  }
  ~File() {
    if (fd_ >= 0) close(fd_);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  std::uint64_t size() const { return size_; }
  bool Read(std::uint64_t offset, std::vector<std::uint8_t>& into, std::size_t count) const {
    into.resize(count);
    std::size_t done = 0;
    while (done < count) {
      ssize_t got = pread(fd_, into.data() + done, count - done, static_cast<off_t>(offset + done));
      if (got <= 0) return false;
      done += static_cast<std::size_t>(got);
    }
    return true;
  }

 private:
  int fd_;
  std::uint64_t size_ = 0;
};

// Where a track's last sample lies, from its chunk runs and sample sizes;
// nothing when the tables do not agree on how many samples there are.
std::optional<std::pair<std::uint64_t, std::uint64_t>> LastSample(const Track& track) {
  const std::uint64_t count = track.sampleCount;
  const std::uint64_t chunks = track.chunks.size();
  if (count == 0 || chunks == 0 || track.chunkRuns.empty()) return std::nullopt;
  std::uint64_t total = 0;
  for (std::size_t i = 0; i < track.chunkRuns.size(); ++i) {
    std::uint64_t first = track.chunkRuns[i].first;
    std::uint64_t end = i + 1 < track.chunkRuns.size() ? track.chunkRuns[i + 1].first : chunks + 1;
    if (first < 1 || end < first || end > chunks + 1) return std::nullopt;
    total += (end - first) * track.chunkRuns[i].second;
  }
  const std::uint64_t inLast = track.chunkRuns.back().second;
  if (total != count || inLast == 0 || inLast > count) return std::nullopt;
  auto sizeOf = [&track](std::uint64_t sample) -> std::uint64_t {
    return track.uniformSize != 0 ? track.uniformSize : track.sizes[sample];
  };
  std::uint64_t offset = track.chunks.back();
  for (std::uint64_t sample = count - inLast; sample + 1 < count; ++sample)
    offset += sizeOf(sample);
  return std::make_pair(offset, sizeOf(count - 1));
}

// What a file system shows of data lost in a power cut: zeros, which no
// encoder writes as a whole sample.
bool NeverWritten(const std::vector<std::uint8_t>& sample) {
  return std::all_of(sample.begin(), sample.end(), [](std::uint8_t byte) { return byte == 0; });
}

// A sample of H.264 in MP4 is NAL units, each after its length; one that
// the disk never got is zeros and has units of no length.
bool WholeNalUnits(const std::vector<std::uint8_t>& sample, int lengthBytes) {
  Bytes units(sample.data(), sample.size());
  while (units.left() > 0) {
    std::uint64_t length = units.Number(static_cast<std::size_t>(lengthBytes));
    if (!units.ok() || length == 0 || length > units.left()) return false;
    units.Skip(static_cast<std::size_t>(length));
  }
  return units.ok();
}

}  // namespace

VideoFault CheckFinishedVideo(const std::filesystem::path& file, const VideoFrame& expected) {
  File video(file);
  std::vector<std::uint8_t> bytes;
  if (video.size() < 8 || !video.Read(4, bytes, 4) ||
      Bytes(bytes.data(), 4).Number(4) != Code("ftyp")) {
    return VideoFault::kUnreadable;
  }

  // The top-level boxes, each of which must end inside the file.
  std::optional<std::pair<std::uint64_t, std::uint64_t>> moov;
  bool overrun = false;
  for (std::uint64_t at = 0; at < video.size();) {
    if (video.size() - at < 8 || !video.Read(at, bytes, 16 <= video.size() - at ? 16 : 8)) {
      overrun = true;
      break;
    }
    Bytes header(bytes.data(), bytes.size());
    std::uint64_t size = header.Number(4);
    std::uint32_t type = static_cast<std::uint32_t>(header.Number(4));
    std::uint64_t headerSize = 8;
    if (size == 1) {
      size = header.Number(8);
      headerSize = 16;
    } else if (size == 0) {
      size = video.size() - at;
    }
    if (!header.ok() || size < headerSize)
      return moov ? VideoFault::kCutShort : VideoFault::kNoIndex;
    if (size > video.size() - at) {
      overrun = true;
      break;
    }
    if (type == Code("moov")) moov = std::make_pair(at + headerSize, size - headerSize);
    at += size;
  }
  if (!moov || moov->second > kLargestIndex) return VideoFault::kNoIndex;
  std::vector<std::uint8_t> index;
  if (!video.Read(moov->first, index, static_cast<std::size_t>(moov->second)))
    return VideoFault::kNoIndex;
  Movie movie = ReadMovie(Bytes(index.data(), index.size()));
  if (movie.timescale == 0 || movie.duration == 0) return VideoFault::kNoIndex;

  const Track* picture = nullptr;
  for (const Track& track : movie.tracks) {
    if (!track.ok || track.sttsSamples != track.sampleCount) return VideoFault::kNoIndex;
    if (picture == nullptr && track.handler == Code("vide")) picture = &track;
  }
  if (picture == nullptr) return VideoFault::kNoVideo;
  if (picture->timescale == 0 || picture->sttsTicks == 0) return VideoFault::kNoIndex;
  if (picture->width != expected.width || picture->height != expected.height)
    return VideoFault::kOtherSize;
  const double pictureEnd =
      static_cast<double>(picture->sttsTicks) / static_cast<double>(picture->timescale);
  const double rate = static_cast<double>(picture->sampleCount) / pictureEnd;
  if (std::abs(rate - expected.fps) > 0.01 * expected.fps) return VideoFault::kOtherRate;
  const double length = static_cast<double>(movie.duration) / static_cast<double>(movie.timescale);
  if (length < 1.0) return VideoFault::kTooShort;
  if (std::abs(length - pictureEnd) > 1.0 / expected.fps + 0.001) return VideoFault::kLengthAmiss;

  // Every track's last sample: inside the file, readable, and (for H.264)
  // whole units rather than a tail the disk never got.
  for (const Track& track : movie.tracks) {
    std::optional<std::pair<std::uint64_t, std::uint64_t>> last = LastSample(track);
    if (!last) {
      if (track.sampleCount == 0 && &track != picture) continue;
      return VideoFault::kNoIndex;
    }
    auto [offset, size] = *last;
    if (offset > video.size() || size > video.size() - offset) return VideoFault::kCutShort;
    if (size > kLargestSample) continue;
    std::vector<std::uint8_t> sample;
    if (!video.Read(offset, sample, static_cast<std::size_t>(size))) return VideoFault::kCutShort;
    if (NeverWritten(sample)) return VideoFault::kCutShort;
    if (track.format == Code("avc1") && track.nalLengthBytes > 0 &&
        !WholeNalUnits(sample, track.nalLengthBytes)) {
      return VideoFault::kCutShort;
    }
  }
  return overrun ? VideoFault::kCutShort : VideoFault::kNone;
}

}  // namespace mivora
