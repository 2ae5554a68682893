// Writes the seed corpus of fuzz_memory_image into the folder given as its
// argument: small well-formed images that reach every stage of the loader.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "skin/pe_builder.h"

using namespace mivora::test;

namespace {

std::vector<std::uint8_t> Image(std::uint16_t characteristics) {
  SectionWriter section(0x1000);
  PeImage image;
  image.characteristics = characteristics;
  image.entryPoint = section.PutZeros(16);
  std::uint32_t pointer = section.PutU32(image.imageBase + 0x1000);
  image.directories[kRelocationDirectory] = WriteRelocations(
      section, {{0x1000, {static_cast<std::uint16_t>(0x3000 | (pointer & 0xFFF))}}});
  image.directories[kImportDirectory] = WriteImports(
      section, {{"KERNEL32.dll", {std::string("Sleep")}}, {"USER32.dll", {std::uint16_t{16}}}});
  image.directories[kExportDirectory] =
      WriteExports(section, {0x1000, 0x1004}, {{"SkinH_AttachRes", 0}, {"SkinH_Detach", 1}});
  image.sections.push_back(MakeSection(section));
  return BuildPe(image);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
    return 2;
  }
  std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder);
  struct Seed {
    const char* name;
    std::vector<std::uint8_t> bytes;
  } seeds[] = {
      {"dll.bin", Image(kExecutableImage | k32BitMachine | kDllImage)},
      {"exe.bin", Image(kExecutableImage | k32BitMachine)},
  };
  for (const Seed& seed : seeds) {
    std::ofstream out(folder / seed.name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(seed.bytes.data()),
              static_cast<std::streamsize>(seed.bytes.size()));
  }
  return 0;
}
