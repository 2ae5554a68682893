// Linux implementations of the image loader's seams.
#include "skin/image_platform.h"

#include <sys/mman.h>

namespace mivora {

std::uint8_t* LinuxImageMemory::Allocate(std::uintptr_t address, std::uint32_t size) {
  if (size == 0) return nullptr;
  int flags = MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE;
  // MAP_FIXED_NOREPLACE never takes over an existing mapping; the address
  // check also covers kernels that treat the flag as a mere hint.
  if (address != 0) flags |= MAP_FIXED_NOREPLACE;
  void* block = mmap(reinterpret_cast<void*>(address), size, PROT_READ | PROT_WRITE, flags, -1, 0);
  if (block == MAP_FAILED) return nullptr;
  if (address != 0 && reinterpret_cast<std::uintptr_t>(block) != address) {
    munmap(block, size);
    return nullptr;
  }
  return static_cast<std::uint8_t*>(block);
}

bool LinuxImageMemory::Release(std::uint8_t* block, std::uint32_t size) {
  return munmap(block, size) == 0;
}

ImagePlatform LinuxImagePlatform() {
  static LinuxImageMemory memory;
  static LinuxImportResolver imports;
  static LinuxEntryCaller entry;
  return {&memory, &imports, &entry};
}

}  // namespace mivora
