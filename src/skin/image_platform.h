// The three things the in-memory image loader needs from the system it runs
// on: memory for the image, the addresses of the functions it imports, and a
// way to call its entry point. The loader itself is plain byte work; these
// seams are where a platform (or a test) plugs in.
#pragma once

#include <cstdint>
#include <string_view>

namespace mivora {

class ImageMemory {
 public:
  virtual ~ImageMemory() = default;
  // Zero-filled, readable and writable memory of `size` bytes placed exactly
  // at `address`, or anywhere when `address` is 0; nullptr when refused.
  virtual std::uint8_t* Allocate(std::uintptr_t address, std::uint32_t size) = 0;
  // Gives back a block from Allocate; false when the system refuses.
  virtual bool Release(std::uint8_t* block, std::uint32_t size) = 0;
};

// Addresses are 32-bit because they are written into the image's own 32-bit
// import slots; 0 means "not found". Names point into the image and are only
// valid during the call.
class ImportResolver {
 public:
  virtual ~ImportResolver() = default;
  // Makes the library available (already loaded or loaded now); false when it
  // cannot be had. Libraries are never released again.
  virtual bool OpenLibrary(std::string_view library) = 0;
  virtual std::uint32_t Resolve(std::string_view library, std::string_view name) = 0;
  virtual std::uint32_t Resolve(std::string_view library, std::uint16_t ordinal) = 0;
};

// Calls a loaded DLL's entry point with (module, reason, 0) and gives its
// result; 0 means the DLL refused.
class EntryCaller {
 public:
  virtual ~EntryCaller() = default;
  virtual std::int32_t Call(std::uintptr_t entry, std::uintptr_t module, std::uint32_t reason) = 0;
};

struct ImagePlatform {
  ImageMemory* memory;
  ImportResolver* imports;
  EntryCaller* entry;
};

// Page-aligned anonymous memory from mmap, readable and writable but never
// executable.
class LinuxImageMemory final : public ImageMemory {
 public:
  std::uint8_t* Allocate(std::uintptr_t address, std::uint32_t size) override;
  bool Release(std::uint8_t* block, std::uint32_t size) override;
};

// The images this loader is for are 32-bit x86 Windows code: their imports
// cannot be bound to anything in a 64-bit Linux process, and their entry
// points cannot be run. So on Linux every library is refused (an image with
// imports does not load) and every entry point call answers 0 (a DLL refuses
// to attach and is released). Images that import nothing and are not DLLs
// still load, which is what the loader's byte work needs.
class LinuxImportResolver final : public ImportResolver {
 public:
  bool OpenLibrary(std::string_view) override { return false; }
  std::uint32_t Resolve(std::string_view, std::string_view) override { return 0; }
  std::uint32_t Resolve(std::string_view, std::uint16_t) override { return 0; }
};

class LinuxEntryCaller final : public EntryCaller {
 public:
  std::int32_t Call(std::uintptr_t, std::uintptr_t, std::uint32_t) override { return 0; }
};

// The Linux seams above; they hold no state and live for the whole process.
ImagePlatform LinuxImagePlatform();

}  // namespace mivora
