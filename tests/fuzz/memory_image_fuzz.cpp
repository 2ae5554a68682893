// Feeds arbitrary bytes to the image loader: Load, then export lookups, the
// entry point and a second Load over the first. Every address handed out must
// lie inside the image, and no access may leave the block or the image.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "skin/memory_image.h"

namespace {

using mivora::ImagePlatform;

// Heap memory of exactly the image's size, so AddressSanitizer sees any access
// past its end. It is never at the preferred address, so every image is
// relocated; large images are refused to keep each run quick.
class HeapMemory : public mivora::ImageMemory {
 public:
  std::uint8_t* Allocate(std::uintptr_t address, std::uint32_t size) override {
    if (address != 0 || size > kMaxSize) return nullptr;
    block_ = static_cast<std::uint8_t*>(std::calloc(size, 1));
    size_ = size;
    return block_;
  }
  bool Release(std::uint8_t* block, std::uint32_t) override {
    std::free(block);
    return true;
  }
  bool Inside(std::uintptr_t address) const {
    std::uintptr_t start = reinterpret_cast<std::uintptr_t>(block_);
    return address >= start && address < start + size_;
  }

 private:
  static constexpr std::uint32_t kMaxSize = 1 << 20;
  std::uint8_t* block_ = nullptr;
  std::uint32_t size_ = 0;
};

// Every library is there; a function is found unless its name is empty or its
// ordinal 0, so both outcomes of binding are reachable.
class AnyImports : public mivora::ImportResolver {
 public:
  bool OpenLibrary(std::string_view library) override { return !library.empty(); }
  std::uint32_t Resolve(std::string_view, std::string_view name) override {
    return name.empty() ? 0 : 0x70000000u | static_cast<std::uint32_t>(name.size());
  }
  std::uint32_t Resolve(std::string_view, std::uint16_t ordinal) override {
    return ordinal == 0 ? 0 : 0x71000000u | ordinal;
  }
};

class CheckedEntry : public mivora::EntryCaller {
 public:
  explicit CheckedEntry(const HeapMemory& memory) : memory_(memory) {}
  std::int32_t Call(std::uintptr_t entry, std::uintptr_t module, std::uint32_t reason) override {
    if (!memory_.Inside(entry) || !memory_.Inside(module) || reason > 1) __builtin_trap();
    return attachResult;
  }
  std::int32_t attachResult = 1;

 private:
  const HeapMemory& memory_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  HeapMemory memory;
  AnyImports imports;
  CheckedEntry entry(memory);
  // The last byte decides whether the DLL accepts its attach call; the tail
  // serves as an export name, so the fuzzer can learn names from the image.
  entry.attachResult = size > 0 ? data[size - 1] & 1 : 1;
  std::string_view tail(
      reinterpret_cast<const char*>(data) + size - std::min<std::size_t>(size, 16),
      std::min<std::size_t>(size, 16));

  mivora::MemoryImage image(ImagePlatform{&memory, &imports, &entry});
  std::span<const std::uint8_t> block(data, size);
  if (!image.Load(block)) return 0;
  if (!memory.Inside(image.Base()) || !memory.Inside(image.EntryPoint())) __builtin_trap();
  for (std::string_view name : {std::string_view("SkinH_AttachRes"), tail}) {
    std::uintptr_t address = image.FindExport(name);
    if (address != 0 && !memory.Inside(address)) __builtin_trap();
  }
  image.Load(block);
  image.Unload();
  return 0;
}
