// Writes the PE layouts the image loader reads, little-endian, field by field.
#include "skin/pe_builder.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace mivora::test {
namespace {

void Put(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value, int size) {
  if (bytes.size() < at + size) bytes.resize(at + size);
  for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t RoundUp(std::uint32_t value, std::uint32_t alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

}  // namespace

std::uint32_t SectionWriter::PutU16(std::uint16_t value) {
  std::uint32_t rva = Next();
  Put(bytes_, bytes_.size(), value, 2);
  return rva;
}

std::uint32_t SectionWriter::PutU32(std::uint32_t value) {
  std::uint32_t rva = Next();
  Put(bytes_, bytes_.size(), value, 4);
  return rva;
}

std::uint32_t SectionWriter::PutText(std::string_view text) {
  std::uint32_t rva = Next();
  bytes_.insert(bytes_.end(), text.begin(), text.end());
  bytes_.push_back(0);
  return rva;
}

std::uint32_t SectionWriter::PutZeros(std::size_t count) {
  std::uint32_t rva = Next();
  bytes_.resize(bytes_.size() + count);
  return rva;
}

void SectionWriter::Align(std::uint32_t alignment) {
  bytes_.resize(RoundUp(static_cast<std::uint32_t>(bytes_.size()), alignment));
}

void SectionWriter::SetU32(std::uint32_t rva, std::uint32_t value) {
  assert(rva >= start_ && rva - start_ + 4 <= bytes_.size());
  Put(bytes_, rva - start_, value, 4);
}

std::uint32_t SectionWriter::U32At(std::uint32_t rva) const {
  std::uint32_t value = 0;
  std::memcpy(&value, bytes_.data() + (rva - start_), 4);
  return value;
}

PeDirectory WriteExports(SectionWriter& section, const std::vector<std::uint32_t>& functions,
                         const std::vector<ExportName>& names) {
  section.Align(4);
  std::uint32_t directory = section.PutZeros(40);
  std::uint32_t functionTable = section.Next();
  for (std::uint32_t rva : functions) section.PutU32(rva);
  std::uint32_t nameTable = section.PutZeros(4 * names.size());
  std::uint32_t ordinalTable = section.Next();
  for (const ExportName& name : names) section.PutU16(name.function);
  for (std::size_t i = 0; i < names.size(); ++i) {
    section.SetU32(nameTable + 4 * static_cast<std::uint32_t>(i), section.PutText(names[i].name));
  }
  section.SetU32(directory + 20, static_cast<std::uint32_t>(functions.size()));
  section.SetU32(directory + 24, static_cast<std::uint32_t>(names.size()));
  section.SetU32(directory + 28, functionTable);
  section.SetU32(directory + 32, nameTable);
  section.SetU32(directory + 36, ordinalTable);
  return {directory, section.Next() - directory};
}

PeDirectory WriteImports(SectionWriter& section, const std::vector<ImportLibrary>& libraries,
                         std::vector<std::vector<std::uint32_t>>* slots) {
  section.Align(4);
  std::uint32_t descriptors = section.PutZeros(20 * (libraries.size() + 1));
  if (slots != nullptr) slots->clear();
  for (std::size_t i = 0; i < libraries.size(); ++i) {
    const ImportLibrary& library = libraries[i];
    std::uint32_t descriptor = descriptors + 20 * static_cast<std::uint32_t>(i);
    section.Align(4);
    std::uint32_t firstSlot = section.PutZeros(4 * (library.items.size() + 1));
    std::vector<std::uint32_t> librarySlots;
    for (std::size_t j = 0; j < library.items.size(); ++j) {
      std::uint32_t slot = firstSlot + 4 * static_cast<std::uint32_t>(j);
      librarySlots.push_back(slot);
      if (const auto* ordinal = std::get_if<std::uint16_t>(&library.items[j])) {
        section.SetU32(slot, 0x80000000u | *ordinal);
      } else {
        section.Align(2);
        std::uint32_t hint = section.PutU16(0);
        section.PutText(std::get<std::string>(library.items[j]));
        section.SetU32(slot, hint);
      }
    }
    section.SetU32(descriptor + 12, section.PutText(library.name));
    section.SetU32(descriptor + 16, firstSlot);
    if (slots != nullptr) slots->push_back(librarySlots);
  }
  return {descriptors, 20 * static_cast<std::uint32_t>(libraries.size() + 1)};
}

PeDirectory WriteRelocations(SectionWriter& section, const std::vector<RelocationBlock>& blocks) {
  section.Align(4);
  std::uint32_t start = section.Next();
  for (const RelocationBlock& block : blocks) {
    section.PutU32(block.page);
    section.PutU32(8 + 2 * static_cast<std::uint32_t>(block.entries.size()));
    for (std::uint16_t entry : block.entries) section.PutU16(entry);
  }
  std::uint32_t size = section.Next() - start;
  section.PutZeros(8);
  return {start, size};
}

PeSection MakeSection(const SectionWriter& writer, std::uint32_t virtualSize) {
  return {writer.start(), virtualSize, writer.bytes()};
}

std::vector<std::uint8_t> BuildPe(const PeImage& image) {
  std::vector<std::uint8_t> bytes;
  Put(bytes, 0, 0x5A4D, 2);
  Put(bytes, 60, image.lfanew, 4);
  std::size_t pe = image.lfanew;
  std::size_t optional = pe + 24;
  std::size_t sectionTable = pe + 248;
  std::uint32_t headersSize = static_cast<std::uint32_t>(sectionTable + 40 * image.sections.size());

  std::uint32_t sizeOfImage = image.sizeOfImage;
  if (sizeOfImage == 0) {
    sizeOfImage = RoundUp(headersSize, image.sectionAlignment);
    for (const PeSection& section : image.sections) {
      std::uint32_t size =
          std::max(section.virtualSize, static_cast<std::uint32_t>(section.data.size()));
      sizeOfImage =
          std::max(sizeOfImage, RoundUp(section.virtualAddress + size, image.sectionAlignment));
    }
  }

  Put(bytes, pe, image.signature, 4);
  Put(bytes, pe + 4, 0x014C, 2);  // i386
  Put(bytes, pe + 6, static_cast<std::uint32_t>(image.sections.size()), 2);
  Put(bytes, pe + 20, 224, 2);
  Put(bytes, pe + 22, image.characteristics, 2);
  Put(bytes, optional, 0x010B, 2);
  Put(bytes, optional + 16, image.entryPoint, 4);
  Put(bytes, optional + 28, image.imageBase, 4);
  Put(bytes, optional + 32, image.sectionAlignment, 4);
  Put(bytes, optional + 36, 0x200, 4);
  Put(bytes, optional + 56, sizeOfImage, 4);
  Put(bytes, optional + 60, RoundUp(headersSize, 0x200), 4);
  Put(bytes, optional + 92, 16, 4);
  for (std::size_t i = 0; i < image.directories.size(); ++i) {
    Put(bytes, optional + 96 + 8 * i, image.directories[i].virtualAddress, 4);
    Put(bytes, optional + 100 + 8 * i, image.directories[i].size, 4);
  }

  std::uint32_t rawOffset = RoundUp(headersSize, 0x200);
  for (std::size_t i = 0; i < image.sections.size(); ++i) {
    const PeSection& section = image.sections[i];
    std::size_t header = sectionTable + 40 * i;
    std::uint32_t rawSize = static_cast<std::uint32_t>(section.data.size());
    Put(bytes, header + 8, section.virtualSize, 4);
    Put(bytes, header + 12, section.virtualAddress, 4);
    Put(bytes, header + 16, rawSize, 4);
    Put(bytes, header + 20, rawSize == 0 ? 0 : rawOffset, 4);
    if (rawSize > 0) {
      bytes.resize(rawOffset);
      bytes.insert(bytes.end(), section.data.begin(), section.data.end());
      rawOffset = RoundUp(rawOffset + rawSize, 0x200);
    }
  }
  bytes.resize(std::max<std::size_t>(bytes.size(), headersSize));
  return bytes;
}

}  // namespace mivora::test
