// The in-memory PE image loader: header checks and layout, relocation, import
// binding, DLL entry, export lookup.
#include "skin/memory_image.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mivora {
namespace {

constexpr std::uint16_t kDosMagic = 0x5A4D;         // "MZ"
constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint16_t kExecutableImage = 0x0002;
constexpr std::uint16_t kDllImage = 0x2000;
constexpr std::uint32_t kOrdinalImport = 0x80000000;
constexpr unsigned kRelocateHighLow = 3;
constexpr std::uint32_t kProcessDetach = 0;
constexpr std::uint32_t kProcessAttach = 1;

constexpr std::uint64_t kDosHeaderSize = 64;
constexpr std::uint64_t kLfanewAt = 60;
// Signature, file header and 32-bit optional header, always read as one block.
constexpr std::uint64_t kPeHeadersSize = 248;
constexpr std::uint64_t kSectionHeaderSize = 40;
constexpr std::uint64_t kImportDescriptorSize = 20;
constexpr std::uint64_t kExportDirectorySize = 40;
constexpr std::uint64_t kRelocationHeaderSize = 8;
// Image sizes are signed 32-bit quantities; a larger image could never be
// placed in a 32-bit address space.
constexpr std::uint64_t kMaxImageSize = 0x7FFFFFFF;

// Offsets from the start of the PE headers.
constexpr std::uint64_t kNumberOfSectionsAt = 6;
constexpr std::uint64_t kCharacteristicsAt = 22;
constexpr std::uint64_t kOptionalHeaderAt = 24;
constexpr std::uint64_t kEntryPointAt = kOptionalHeaderAt + 16;
constexpr std::uint64_t kImageBaseAt = kOptionalHeaderAt + 28;
constexpr std::uint64_t kSectionAlignmentAt = kOptionalHeaderAt + 32;
constexpr std::uint64_t kSizeOfImageAt = kOptionalHeaderAt + 56;
constexpr std::uint64_t kDataDirectoriesAt = kOptionalHeaderAt + 96;
constexpr unsigned kExportDirectory = 0;
constexpr unsigned kImportDirectory = 1;
constexpr unsigned kRelocationDirectory = 5;

// Read-only bytes with bounds checks. Offsets are 64-bit so that sums of 32-bit
// fields never wrap around into the block. Reads assert that Has was checked.
class ByteView {
 public:
  ByteView(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Has(std::uint64_t offset, std::uint64_t count) const {
    return offset <= size_ && count <= size_ - offset;
  }
  std::uint16_t U16(std::uint64_t offset) const {
    assert(Has(offset, 2));
    const std::uint8_t* p = data_ + offset;
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
  }
  std::uint32_t U32(std::uint64_t offset) const {
    assert(Has(offset, 4));
    const std::uint8_t* p = data_ + offset;
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
  }
  // The zero-terminated text at `offset`; nothing when it runs off the end.
  std::optional<std::string_view> Text(std::uint64_t offset) const {
    if (offset >= size_) return std::nullopt;
    const void* end = std::memchr(data_ + offset, 0, size_ - offset);
    if (end == nullptr) return std::nullopt;
    return std::string_view(reinterpret_cast<const char*>(data_ + offset),
                            static_cast<const std::uint8_t*>(end) - (data_ + offset));
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

void Store32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

struct DataDirectory {
  std::uint32_t virtualAddress = 0;
  std::uint32_t size = 0;
};

// A section whose raw data is copied into the image.
struct SectionCopy {
  std::uint32_t virtualAddress = 0;
  std::uint32_t rawSize = 0;
  std::uint32_t rawOffset = 0;
};

// Everything Load needs from the headers, checked against the block before any
// memory is taken.
struct Layout {
  std::uint32_t headersSize = 0;
  std::uint32_t imageBase = 0;
  std::uint32_t imageSize = 0;
  std::uint32_t entryRva = 0;
  bool isDll = false;
  std::vector<SectionCopy> sections;
  DataDirectory relocations;
  DataDirectory imports;
};

// Where the PE headers start, when the bytes hold a DOS header that points at
// a complete block of PE headers with the right signature.
std::optional<std::uint64_t> FindPeHeaders(const ByteView& bytes) {
  if (!bytes.Has(0, kDosHeaderSize) || bytes.U16(0) != kDosMagic) return std::nullopt;
  std::uint64_t pe = bytes.U32(kLfanewAt);
  if (!bytes.Has(pe, kPeHeadersSize) || bytes.U32(pe) != kPeSignature) return std::nullopt;
  return pe;
}

DataDirectory ReadDirectory(const ByteView& bytes, std::uint64_t pe, unsigned index) {
  std::uint64_t at = pe + kDataDirectoriesAt + 8 * index;
  return {bytes.U32(at), bytes.U32(at + 4)};
}

std::optional<Layout> ReadLayout(const ByteView& block) {
  std::optional<std::uint64_t> found = FindPeHeaders(block);
  if (!found) return std::nullopt;
  std::uint64_t pe = *found;
  std::uint16_t characteristics = block.U16(pe + kCharacteristicsAt);
  if ((characteristics & kExecutableImage) == 0) return std::nullopt;

  std::uint64_t sectionCount = block.U16(pe + kNumberOfSectionsAt);
  std::uint64_t sectionTable = pe + kPeHeadersSize;
  std::uint64_t headersSize = sectionTable + sectionCount * kSectionHeaderSize;
  if (!block.Has(0, headersSize)) return std::nullopt;

  // The image is as large as its header says, or as the furthest section end
  // rounded up to the section alignment, whichever is larger.
  std::uint64_t alignment = block.U32(pe + kSectionAlignmentAt);
  if (alignment == 0) return std::nullopt;
  std::uint64_t imageSize = block.U32(pe + kSizeOfImageAt);
  Layout layout;
  for (std::uint64_t i = 0; i < sectionCount; ++i) {
    std::uint64_t at = sectionTable + i * kSectionHeaderSize;
    std::uint32_t virtualSize = block.U32(at + 8);
    std::uint32_t virtualAddress = block.U32(at + 12);
    std::uint32_t rawSize = block.U32(at + 16);
    std::uint32_t rawOffset = block.U32(at + 20);
    std::uint64_t end = std::uint64_t{virtualAddress} + std::max(rawSize, virtualSize);
    imageSize = std::max(imageSize, (end + alignment - 1) / alignment * alignment);
    if (rawSize > 0 && virtualAddress != 0) {
      if (!block.Has(rawOffset, rawSize)) return std::nullopt;
      layout.sections.push_back({virtualAddress, rawSize, rawOffset});
    }
  }
  if (imageSize == 0 || imageSize > kMaxImageSize || headersSize > imageSize) return std::nullopt;

  layout.entryRva = block.U32(pe + kEntryPointAt);
  if (layout.entryRva >= imageSize) return std::nullopt;
  layout.headersSize = static_cast<std::uint32_t>(headersSize);
  layout.imageBase = block.U32(pe + kImageBaseAt);
  layout.imageSize = static_cast<std::uint32_t>(imageSize);
  layout.isDll = (characteristics & kDllImage) != 0;
  layout.relocations = ReadDirectory(block, pe, kRelocationDirectory);
  layout.imports = ReadDirectory(block, pe, kImportDirectory);
  return layout;
}

// Adds `delta` to every full 32-bit relocation target. The walk ends at a block
// whose page address is 0, as the directory's size is not trusted as a bound.
bool Relocate(std::uint8_t* base, std::uint32_t size, std::uint32_t directory,
              std::uint32_t delta) {
  ByteView image(base, size);
  for (std::uint64_t block = directory;;) {
    if (!image.Has(block, kRelocationHeaderSize)) return false;
    std::uint32_t page = image.U32(block);
    std::uint32_t blockSize = image.U32(block + 4);
    if (page == 0) return true;
    // A block shorter than its header would never move the walk forward.
    if (blockSize < kRelocationHeaderSize || !image.Has(block, blockSize)) return false;
    std::uint64_t entries = (blockSize - kRelocationHeaderSize) / 2;
    for (std::uint64_t i = 0; i < entries; ++i) {
      std::uint16_t entry = image.U16(block + kRelocationHeaderSize + 2 * i);
      if (entry >> 12 != kRelocateHighLow) continue;
      std::uint64_t target = std::uint64_t{page} + (entry & 0x0FFF);
      if (!image.Has(target, 4)) return false;
      Store32(base + target, image.U32(target) + delta);
    }
    block += blockSize;
  }
}

// Writes the address of every imported function into its import slot. The
// descriptor list ends at a descriptor without slots, each slot list at a 0.
bool BindImports(std::uint8_t* base, std::uint32_t size, std::uint32_t directory,
                 ImportResolver& resolver) {
  ByteView image(base, size);
  for (std::uint64_t descriptor = directory;; descriptor += kImportDescriptorSize) {
    if (!image.Has(descriptor, kImportDescriptorSize)) return false;
    std::uint32_t nameRva = image.U32(descriptor + 12);
    std::uint32_t firstSlot = image.U32(descriptor + 16);
    if (firstSlot == 0) return true;
    std::optional<std::string_view> name = image.Text(nameRva);
    if (!name) return false;
    // Copied, as the slots written below may overlap the name's bytes.
    std::string library(*name);
    if (!resolver.OpenLibrary(library)) return false;
    for (std::uint64_t slot = firstSlot;; slot += 4) {
      if (!image.Has(slot, 4)) return false;
      std::uint32_t thunk = image.U32(slot);
      if (thunk == 0) break;
      std::uint32_t address = 0;
      if ((thunk & kOrdinalImport) != 0) {
        address = resolver.Resolve(library, static_cast<std::uint16_t>(thunk & 0xFFFF));
      } else {
        // The name follows a 2-byte hint.
        std::optional<std::string_view> function = image.Text(std::uint64_t{thunk} + 2);
        if (!function) return false;
        address = resolver.Resolve(library, *function);
      }
      if (address == 0) return false;
      Store32(base + slot, address);
    }
  }
}

}  // namespace

MemoryImage::MemoryImage() : MemoryImage(LinuxImagePlatform()) {}

MemoryImage::MemoryImage(ImagePlatform platform) : platform_(platform) {}

MemoryImage::~MemoryImage() {
  Unload();
}

MemoryImage::MemoryImage(MemoryImage&& other) noexcept : platform_(other.platform_) {
  Take(other);
}

MemoryImage& MemoryImage::operator=(MemoryImage&& other) noexcept {
  if (this != &other) {
    Unload();
    // The image goes back to the memory it came from.
    platform_ = other.platform_;
    Take(other);
  }
  return *this;
}

void MemoryImage::Take(MemoryImage& other) {
  base_ = std::exchange(other.base_, nullptr);
  size_ = std::exchange(other.size_, 0);
  entryRva_ = std::exchange(other.entryRva_, 0);
  isDll_ = std::exchange(other.isDll_, false);
}

bool MemoryImage::Load(std::span<const std::uint8_t> block) {
  if (!Unload()) return false;
  std::optional<Layout> layout = ReadLayout(ByteView(block.data(), block.size()));
  if (!layout) return false;

  ImageMemory& memory = *platform_.memory;
  std::uint8_t* base = memory.Allocate(layout->imageBase, layout->imageSize);
  if (base == nullptr && layout->imageBase != 0) base = memory.Allocate(0, layout->imageSize);
  if (base == nullptr) return false;

  std::memcpy(base, block.data(), layout->headersSize);
  for (const SectionCopy& section : layout->sections) {
    std::memcpy(base + section.virtualAddress, block.data() + section.rawOffset, section.rawSize);
  }
  std::uint32_t delta =
      static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(base)) - layout->imageBase;
  bool ready =
      (layout->relocations.size == 0 ||
       Relocate(base, layout->imageSize, layout->relocations.virtualAddress, delta)) &&
      (layout->imports.virtualAddress == 0 ||
       BindImports(base, layout->imageSize, layout->imports.virtualAddress, *platform_.imports));
  if (!ready) {
    memory.Release(base, layout->imageSize);
    return false;
  }

  // A DLL whose entry point is 0 has none; entering it would run its headers.
  if (layout->isDll && layout->entryRva != 0) {
    std::uintptr_t module = reinterpret_cast<std::uintptr_t>(base);
    std::uintptr_t entry = module + layout->entryRva;
    if (platform_.entry->Call(entry, module, kProcessAttach) == 0) {
      platform_.entry->Call(entry, module, kProcessDetach);
      memory.Release(base, layout->imageSize);
      return false;
    }
  }
  base_ = base;
  size_ = layout->imageSize;
  entryRva_ = layout->entryRva;
  isDll_ = layout->isDll;
  return true;
}

// Works from what Load recorded rather than from the image's headers: the
// image may have changed its own headers, and that must not keep it loaded.
bool MemoryImage::Unload() {
  if (base_ == nullptr) return true;
  if (isDll_ && entryRva_ != 0) platform_.entry->Call(EntryPoint(), Base(), kProcessDetach);
  if (!platform_.memory->Release(base_, size_)) return false;
  base_ = nullptr;
  size_ = 0;
  entryRva_ = 0;
  isDll_ = false;
  return true;
}

// Looks the name up through the name table and the name-ordinal table; a
// function address outside the image is not handed out.
std::uintptr_t MemoryImage::FindExport(std::string_view name) const {
  if (base_ == nullptr) return 0;
  ByteView image(base_, size_);
  std::optional<std::uint64_t> pe = FindPeHeaders(image);
  if (!pe) return 0;
  DataDirectory exports = ReadDirectory(image, *pe, kExportDirectory);
  if (exports.size == 0 || !image.Has(exports.virtualAddress, kExportDirectorySize)) return 0;
  std::uint64_t directory = exports.virtualAddress;
  std::uint32_t functionCount = image.U32(directory + 20);
  std::uint32_t nameCount = image.U32(directory + 24);
  std::uint64_t functions = image.U32(directory + 28);
  std::uint64_t names = image.U32(directory + 32);
  std::uint64_t ordinals = image.U32(directory + 36);
  for (std::uint64_t i = 0; i < nameCount; ++i) {
    if (!image.Has(names + 4 * i, 4)) return 0;
    std::optional<std::string_view> exported = image.Text(image.U32(names + 4 * i));
    if (!exported) return 0;
    if (*exported != name) continue;
    if (!image.Has(ordinals + 2 * i, 2)) return 0;
    std::uint16_t index = image.U16(ordinals + 2 * i);
    if (index >= functionCount || !image.Has(functions + 4 * std::uint64_t{index}, 4)) return 0;
    std::uint32_t rva = image.U32(functions + 4 * std::uint64_t{index});
    if (rva == 0 || rva >= size_) return 0;
    return Base() + rva;
  }
  return 0;
}

std::uintptr_t MemoryImage::EntryPoint() const {
  return base_ == nullptr ? 0 : Base() + entryRva_;
}

}  // namespace mivora
