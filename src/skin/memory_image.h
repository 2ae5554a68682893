// A loader for 32-bit PE/COFF images (i386 DLLs) held as a block of bytes in
// the program: it checks the headers, lays the image out at its virtual
// addresses, applies base relocations, binds imports, enters a DLL, and finds
// exported functions by name. The system-facing work goes through the seams
// of image_platform.h.
//
// Every read of the block and of the laid-out image is bounds-checked, so a
// malformed or hostile image makes Load fail cleanly.
//
// Addresses: the base is the host address of the image memory, and the
// addresses handed out (Base, EntryPoint, FindExport) are host addresses. The
// image's own fields are 32-bit, so relocation shifts its absolute values by
// (low 32 bits of the base) - ImageBase, modulo 2^32: they are addresses in the
// image's own 32-bit address space, which equals the host's when the image
// sits below 4 GiB (always so on a 32-bit host).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "skin/image_platform.h"

namespace mivora {

class MemoryImage {
 public:
  // Uses the Linux seams.
  MemoryImage();
  // The seams must outlive the object.
  explicit MemoryImage(ImagePlatform platform);
  ~MemoryImage();

  // One image has one owner: copies are forbidden, moves hand the image over.
  MemoryImage(const MemoryImage&) = delete;
  MemoryImage& operator=(const MemoryImage&) = delete;
  MemoryImage(MemoryImage&& other) noexcept;
  MemoryImage& operator=(MemoryImage&& other) noexcept;

  // Unloads the current image first, then loads `block`; true when the new
  // image is loaded. When the current image cannot be released it stays and
  // the result is false.
  bool Load(std::span<const std::uint8_t> block);
  // Leaves a DLL (detach) and releases the image; true when no image remains,
  // so also when none was loaded. A refused release keeps the image loaded.
  bool Unload();
  // Address of the function exported under exactly `name`, or 0.
  std::uintptr_t FindExport(std::string_view name) const;
  // Base plus the image's AddressOfEntryPoint; 0 when nothing is loaded.
  std::uintptr_t EntryPoint() const;
  // Address of the loaded image; 0 when nothing is loaded.
  std::uintptr_t Base() const { return reinterpret_cast<std::uintptr_t>(base_); }

 private:
  void Take(MemoryImage& other);

  ImagePlatform platform_;
  std::uint8_t* base_ = nullptr;
  std::uint32_t size_ = 0;
  std::uint32_t entryRva_ = 0;
  bool isDll_ = false;
};

}  // namespace mivora
