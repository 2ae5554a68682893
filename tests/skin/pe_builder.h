// Builds small 32-bit PE images in memory for the image loader's tests and
// fuzz seeds: DOS header, PE headers, section table, and section contents with
// export, import and base relocation tables written by the helpers below.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace mivora::test {

constexpr std::uint16_t kExecutableImage = 0x0002;
constexpr std::uint16_t k32BitMachine = 0x0100;
constexpr std::uint16_t kDllImage = 0x2000;
constexpr std::size_t kExportDirectory = 0;
constexpr std::size_t kImportDirectory = 1;
constexpr std::size_t kRelocationDirectory = 5;

struct PeDirectory {
  std::uint32_t virtualAddress = 0;
  std::uint32_t size = 0;
};

// The contents of one section, written item by item; each Put returns the
// relative virtual address (RVA) of what it wrote.
class SectionWriter {
 public:
  explicit SectionWriter(std::uint32_t rva) : start_(rva) {}

  std::uint32_t start() const { return start_; }
  std::uint32_t Next() const { return start_ + static_cast<std::uint32_t>(bytes_.size()); }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

  std::uint32_t PutU16(std::uint16_t value);
  std::uint32_t PutU32(std::uint32_t value);
  // The text and its terminating zero byte.
  std::uint32_t PutText(std::string_view text);
  std::uint32_t PutZeros(std::size_t count);
  void Align(std::uint32_t alignment);
  void SetU32(std::uint32_t rva, std::uint32_t value);
  std::uint32_t U32At(std::uint32_t rva) const;

 private:
  std::uint32_t start_;
  std::vector<std::uint8_t> bytes_;
};

// An export directory over `functions` (RVAs); each name carries the index of
// its function, which goes into the name-ordinal table.
struct ExportName {
  std::string name;
  std::uint16_t function;
};
PeDirectory WriteExports(SectionWriter& section, const std::vector<std::uint32_t>& functions,
                         const std::vector<ExportName>& names);

// An import by name or by ordinal.
using ImportItem = std::variant<std::string, std::uint16_t>;
struct ImportLibrary {
  std::string name;
  std::vector<ImportItem> items;
};
// Import descriptors ending with an empty one; `slots` receives the RVA of
// every import slot, library by library.
PeDirectory WriteImports(SectionWriter& section, const std::vector<ImportLibrary>& libraries,
                         std::vector<std::vector<std::uint32_t>>* slots = nullptr);

// Relocation blocks (page RVA and 16-bit entries) ending with a zero header.
struct RelocationBlock {
  std::uint32_t page;
  std::vector<std::uint16_t> entries;
};
PeDirectory WriteRelocations(SectionWriter& section, const std::vector<RelocationBlock>& blocks);

struct PeSection {
  std::uint32_t virtualAddress = 0;
  std::uint32_t virtualSize = 0;
  std::vector<std::uint8_t> data;
};
PeSection MakeSection(const SectionWriter& writer, std::uint32_t virtualSize = 0);

struct PeImage {
  std::uint32_t lfanew = 64;
  std::uint32_t signature = 0x00004550;
  std::uint16_t characteristics = kExecutableImage | k32BitMachine | kDllImage;
  std::uint32_t entryPoint = 0;
  std::uint32_t imageBase = 0x10000000;
  std::uint32_t sectionAlignment = 0x1000;
  // 0: the headers and every section, rounded up to the section alignment.
  std::uint32_t sizeOfImage = 0;
  std::array<PeDirectory, 16> directories{};
  std::vector<PeSection> sections;
};

// The file bytes: headers, then each section's data at the next multiple of
// 0x200, its raw size being exactly its data's size.
std::vector<std::uint8_t> BuildPe(const PeImage& image);

}  // namespace mivora::test
