#include "skin/memory_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <type_traits>

#include "skin/pe_builder.h"

namespace mivora {
namespace {

using test::BuildPe;
using test::ExportName;
using test::ImportLibrary;
using test::PeImage;
using test::SectionWriter;

constexpr std::uint32_t kImageBase = 0x10000000;
constexpr std::uint32_t kSectionRva = 0x1000;
constexpr std::uint16_t kPlainExecutable = test::kExecutableImage | test::k32BitMachine;

// The system's memory, with every request and release recorded and each kind
// of request open to refusal.
class FakeMemory : public ImageMemory {
 public:
  struct Request {
    std::uintptr_t address;
    std::uint32_t size;
  };
  std::uint8_t* Allocate(std::uintptr_t address, std::uint32_t size) override {
    requests.push_back({address, size});
    if (refuseAll || (refusePreferred && address != 0)) return nullptr;
    return system.Allocate(address, size);
  }
  bool Release(std::uint8_t* block, std::uint32_t size) override {
    if (refuseRelease) return false;
    releases.push_back(block);
    return system.Release(block, size);
  }
  int Allocated() const { return static_cast<int>(requests.size()) - Refused(); }
  int Refused() const {
    return static_cast<int>(std::count_if(requests.begin(), requests.end(), [&](const Request& r) {
      return refuseAll || (refusePreferred && r.address != 0);
    }));
  }

  LinuxImageMemory system;
  bool refuseAll = false;
  bool refusePreferred = false;
  bool refuseRelease = false;
  std::vector<Request> requests;
  std::vector<std::uint8_t*> releases;
};

// Libraries and functions by table; every question is logged.
class FakeImports : public ImportResolver {
 public:
  bool OpenLibrary(std::string_view library) override {
    log.push_back("open " + std::string(library));
    return libraries.count(std::string(library)) > 0;
  }
  std::uint32_t Resolve(std::string_view library, std::string_view name) override {
    std::string key = std::string(library) + "!" + std::string(name);
    log.push_back(key);
    return functions.count(key) ? functions.at(key) : 0;
  }
  std::uint32_t Resolve(std::string_view library, std::uint16_t ordinal) override {
    std::string key = std::string(library) + "#" + std::to_string(ordinal);
    log.push_back(key);
    return functions.count(key) ? functions.at(key) : 0;
  }

  std::set<std::string> libraries{"KERNEL32.dll", "USER32.dll"};
  std::map<std::string, std::uint32_t> functions{{"KERNEL32.dll!Sleep", 0x7C802442},
                                                 {"KERNEL32.dll!GetTickCount", 0x7C80932E},
                                                 {"USER32.dll#16", 0x7E41D1A4}};
  std::vector<std::string> log;
};

struct EntryCall {
  std::uintptr_t entry, module;
  std::uint32_t reason;
  bool operator==(const EntryCall&) const = default;
};

class FakeEntry : public EntryCaller {
 public:
  std::int32_t Call(std::uintptr_t entry, std::uintptr_t module, std::uint32_t reason) override {
    calls.push_back({entry, module, reason});
    return reason == 1 ? attachResult : 1;
  }
  std::int32_t attachResult = 1;
  std::vector<EntryCall> calls;
};

class MemoryImageTest : public ::testing::Test {
 protected:
  ImagePlatform Platform() { return {&memory_, &imports_, &entry_}; }

  FakeMemory memory_;
  FakeImports imports_;
  FakeEntry entry_;
};

// An image with one section at kSectionRva whose contents (and any header
// fields) `fill` writes. The section starts with a 16-byte entry stub.
std::vector<std::uint8_t> OneSection(const std::function<void(SectionWriter&, PeImage&)>& fill,
                                     PeImage image = {}) {
  SectionWriter section(kSectionRva);
  image.imageBase = kImageBase;
  image.entryPoint = section.PutZeros(16);
  fill(section, image);
  image.sections.push_back(test::MakeSection(section));
  return BuildPe(image);
}

std::vector<std::uint8_t> PlainDll() {
  return OneSection([](SectionWriter&, PeImage&) {});
}

void SetU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  std::memcpy(bytes.data() + at, &value, 4);
}

std::uint32_t ReadImage(const MemoryImage& image, std::uint32_t rva) {
  std::uint32_t value = 0;
  std::memcpy(&value, reinterpret_cast<const void*>(image.Base() + rva), 4);
  return value;
}

// DOS header at 0, PE headers at 64, optional header at 88, section table at 312.
constexpr std::size_t kCharacteristicsAt = 64 + 22;
constexpr std::size_t kSectionAlignmentAt = 88 + 32;
constexpr std::size_t kSizeOfImageAt = 88 + 56;
constexpr std::size_t kEntryPointAt = 88 + 16;

TEST_F(MemoryImageTest, RefusesMalformedImagesWithoutTakingMemory) {
  struct Case {
    const char* what;
    std::function<void(std::vector<std::uint8_t>&)> spoil;
  } cases[] = {
      {"63 bytes", [](auto& b) { b.resize(63); }},
      {"no MZ", [](auto& b) { b[0] = 'N'; }},
      {"PE headers cut off", [](auto& b) { b.resize(64 + 247); }},
      {"PE headers far beyond the block", [](auto& b) { SetU32(b, 60, 0xFFFFFF00); }},
      {"wrong signature", [](auto& b) { b[65] = 'F'; }},
      {"not executable", [](auto& b) { b[kCharacteristicsAt] &= ~test::kExecutableImage; }},
      {"section table cut off", [](auto& b) { b.resize(64 + 248 + 40 - 1); }},
      {"section data cut off", [](auto& b) { b.pop_back(); }},
      {"section data far beyond the block", [](auto& b) { SetU32(b, 312 + 20, 0xFFFFFFF0); }},
      {"section alignment 0", [](auto& b) { SetU32(b, kSectionAlignmentAt, 0); }},
      {"image of 2 GiB", [](auto& b) { SetU32(b, kSizeOfImageAt, 0x80000000); }},
      {"section reaching past 4 GiB", [](auto& b) { SetU32(b, 312 + 12, 0xFFFFF000); }},
      {"entry point outside the image", [](auto& b) { SetU32(b, kEntryPointAt, 0x2000); }},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> bytes = PlainDll();
    c.spoil(bytes);
    MemoryImage image(Platform());
    EXPECT_FALSE(image.Load(bytes)) << c.what;
    EXPECT_EQ(image.Base(), 0u) << c.what;
  }
  PeImage empty;
  empty.sizeOfImage = 0x100;  // smaller than its own headers
  EXPECT_FALSE(MemoryImage(Platform()).Load(BuildPe(empty)));
  EXPECT_TRUE(memory_.requests.empty());
  EXPECT_TRUE(entry_.calls.empty());
}

TEST_F(MemoryImageTest, FailuresAfterLayoutGiveTheMemoryBackWithoutEnteringTheDll) {
  using test::WriteImports;
  using test::WriteRelocations;
  struct Case {
    const char* what;
    std::function<void(SectionWriter&, PeImage&)> fill;
  } cases[] = {
      {"relocation block shorter than its header",
       [](SectionWriter& s, PeImage& image) {
         image.directories[test::kRelocationDirectory] = WriteRelocations(s, {{kSectionRva, {}}});
         s.SetU32(image.directories[test::kRelocationDirectory].virtualAddress + 4, 4);
       }},
      {"relocation target outside the image",
       [](SectionWriter& s, PeImage& image) {
         image.directories[test::kRelocationDirectory] =
             WriteRelocations(s, {{0x1000, {0x3FFE}}, {0x7FFF0000, {0x3000}}});
       }},
      {"library name outside the image",
       [](SectionWriter& s, PeImage& image) {
         image.directories[test::kImportDirectory] =
             WriteImports(s, {{"KERNEL32.dll", {std::string("Sleep")}}});
         s.SetU32(image.directories[test::kImportDirectory].virtualAddress + 12, 0x00FFFFFF);
       }},
      {"import descriptor running off the end of the image",
       [](SectionWriter&, PeImage& image) {
         image.directories[test::kImportDirectory] = {0x2000 - 8, 20};
       }},
      {"library that cannot be loaded, even with nothing imported from it",
       [](SectionWriter& s, PeImage& image) {
         image.directories[test::kImportDirectory] = WriteImports(s, {{"GDI32.dll", {}}});
         s.SetU32(image.directories[test::kImportDirectory].virtualAddress + 16, s.PutU32(0));
       }},
      {"function not found by name",
       [](SectionWriter& s, PeImage& image) {
         image.directories[test::kImportDirectory] = WriteImports(
             s, {{"KERNEL32.dll", {std::string("Sleep"), std::string("ExitWindows")}}});
       }},
      {"function not found by ordinal",
       [](SectionWriter& s, PeImage& image) {
         image.directories[test::kImportDirectory] =
             WriteImports(s, {{"USER32.dll", {std::uint16_t{17}}}});
       }},
  };
  for (const Case& c : cases) {
    memory_.requests.clear();
    memory_.releases.clear();
    MemoryImage image(Platform());
    EXPECT_FALSE(image.Load(OneSection(c.fill))) << c.what;
    EXPECT_EQ(image.Base(), 0u) << c.what;
    EXPECT_EQ(memory_.Allocated(), 1) << c.what;
    EXPECT_EQ(memory_.releases.size(), 1u) << c.what;
  }
  EXPECT_TRUE(entry_.calls.empty());
}

TEST_F(MemoryImageTest, ImageSizeIsTheLargestOfHeaderSizeAndRoundedSectionEnds) {
  struct Case {
    std::uint32_t sizeOfImage, alignment, virtualSize, rawSize, expected;
  } cases[] = {
      {0x2000, 0x1000, 0, 0x1800, 0x3000},     // raw data decides
      {0x1000, 0x1000, 0x2100, 0x10, 0x4000},  // virtual size decides
      {0x8000, 0x1000, 0, 0x10, 0x8000},       // header decides
      {0x1000, 0x200, 0, 0x1001, 0x2200},
  };
  for (const Case& c : cases) {
    PeImage description;
    description.sizeOfImage = c.sizeOfImage;
    description.sectionAlignment = c.alignment;
    description.sections.push_back(
        {kSectionRva, c.virtualSize, std::vector<std::uint8_t>(c.rawSize, 0xAB)});
    memory_.requests.clear();
    MemoryImage image(Platform());
    ASSERT_TRUE(image.Load(BuildPe(description))) << c.expected;
    ASSERT_FALSE(memory_.requests.empty());
    EXPECT_EQ(memory_.requests.back().size, c.expected);
    // The section's data is in place and the rest of the image is zero.
    EXPECT_EQ(ReadImage(image, kSectionRva + c.rawSize - 4), 0xABABABABu);
    EXPECT_EQ(ReadImage(image, c.expected - 4),
              c.rawSize + kSectionRva == c.expected ? 0xABABABABu : 0u);
  }
}

// Three 32-bit values, each named by a relocation entry of a different type.
struct RelocatedSample {
  std::vector<std::uint8_t> bytes;
  std::uint32_t full, absolute, wide;
};

RelocatedSample MakeRelocatedSample() {
  RelocatedSample sample;
  sample.bytes = OneSection([&](SectionWriter& s, PeImage& image) {
    s.Align(4);
    sample.full = s.PutU32(kImageBase + 0x1100);
    sample.absolute = s.PutU32(kImageBase + 0x1200);
    sample.wide = s.PutU32(kImageBase + 0x1300);
    auto entry = [](unsigned type, std::uint32_t rva) {
      return static_cast<std::uint16_t>(type << 12 | (rva & 0x0FFF));
    };
    image.directories[test::kRelocationDirectory] = test::WriteRelocations(
        s, {{kSectionRva, {entry(3, sample.full), entry(0, sample.absolute)}},
            {kSectionRva, {entry(10, sample.wide), entry(0, 0)}}});
  });
  return sample;
}

TEST_F(MemoryImageTest, ImagePlacedElsewhereHasItsFullAddressesShifted) {
  RelocatedSample sample = MakeRelocatedSample();
  memory_.refusePreferred = true;
  MemoryImage image(Platform());
  ASSERT_TRUE(image.Load(sample.bytes));
  ASSERT_EQ(memory_.requests.size(), 2u);
  EXPECT_EQ(memory_.requests[0].address, kImageBase);
  EXPECT_EQ(memory_.requests[1].address, 0u);
  std::uint32_t delta = static_cast<std::uint32_t>(image.Base()) - kImageBase;
  EXPECT_EQ(ReadImage(image, sample.full), kImageBase + 0x1100 + delta);
  EXPECT_EQ(ReadImage(image, sample.absolute), kImageBase + 0x1200);
  EXPECT_EQ(ReadImage(image, sample.wide), kImageBase + 0x1300);
}

TEST_F(MemoryImageTest, ImageAtItsPreferredBaseIsLeftAsItIs) {
  RelocatedSample sample = MakeRelocatedSample();
  MemoryImage image(Platform());
  ASSERT_TRUE(image.Load(sample.bytes));
  if (image.Base() != kImageBase) GTEST_SKIP() << "the preferred base is taken in this process";
  EXPECT_EQ(ReadImage(image, sample.full), kImageBase + 0x1100);
  EXPECT_EQ(ReadImage(image, sample.absolute), kImageBase + 0x1200);
}

TEST_F(MemoryImageTest, BindsImportsByNameAndByOrdinal) {
  std::vector<std::vector<std::uint32_t>> slots;
  std::vector<std::uint8_t> bytes = OneSection([&](SectionWriter& s, PeImage& image) {
    image.directories[test::kImportDirectory] =
        test::WriteImports(s,
                           {{"KERNEL32.dll", {std::string("Sleep"), std::string("GetTickCount")}},
                            {"USER32.dll", {std::uint16_t{16}}}},
                           &slots);
  });
  MemoryImage image(Platform());
  ASSERT_TRUE(image.Load(bytes));
  EXPECT_EQ(imports_.log, (std::vector<std::string>{"open KERNEL32.dll", "KERNEL32.dll!Sleep",
                                                    "KERNEL32.dll!GetTickCount", "open USER32.dll",
                                                    "USER32.dll#16"}));
  EXPECT_EQ(ReadImage(image, slots[0][0]), 0x7C802442u);
  EXPECT_EQ(ReadImage(image, slots[0][1]), 0x7C80932Eu);
  EXPECT_EQ(ReadImage(image, slots[1][0]), 0x7E41D1A4u);
}

TEST_F(MemoryImageTest, DllIsAttachedOnLoadAndDetachedOnUnload) {
  MemoryImage image(Platform());
  ASSERT_TRUE(image.Load(PlainDll()));
  std::uintptr_t base = image.Base();
  EXPECT_EQ(image.EntryPoint(), base + kSectionRva);
  EXPECT_EQ(entry_.calls, (std::vector<EntryCall>{{base + kSectionRva, base, 1}}));
  EXPECT_TRUE(image.Unload());
  EXPECT_EQ(entry_.calls,
            (std::vector<EntryCall>{{base + kSectionRva, base, 1}, {base + kSectionRva, base, 0}}));
  EXPECT_EQ(memory_.releases, std::vector<std::uint8_t*>{reinterpret_cast<std::uint8_t*>(base)});
  EXPECT_EQ(image.Base(), 0u);
  EXPECT_EQ(image.EntryPoint(), 0u);
}

TEST_F(MemoryImageTest, DllRefusingToAttachIsDetachedAndReleased) {
  entry_.attachResult = 0;
  MemoryImage image(Platform());
  EXPECT_FALSE(image.Load(PlainDll()));
  ASSERT_EQ(entry_.calls.size(), 2u);
  EXPECT_EQ(entry_.calls[0].reason, 1u);
  EXPECT_EQ(entry_.calls[1], (EntryCall{entry_.calls[0].entry, entry_.calls[0].module, 0}));
  EXPECT_EQ(memory_.releases.size(), 1u);
  EXPECT_EQ(image.Base(), 0u);
}

TEST_F(MemoryImageTest, ImagesWithoutDllFlagOrEntryPointAreNeverEntered) {
  PeImage plain;
  plain.characteristics = kPlainExecutable;
  std::vector<std::uint8_t> bytes = OneSection(
      [](SectionWriter& s, PeImage& image) {
        image.directories[test::kImportDirectory] =
            test::WriteImports(s, {{"KERNEL32.dll", {std::string("Sleep")}}});
      },
      plain);
  MemoryImage image(Platform());
  ASSERT_TRUE(image.Load(bytes));
  EXPECT_EQ(image.EntryPoint(), image.Base() + kSectionRva);
  EXPECT_EQ(imports_.log.size(), 2u);  // bound all the same
  EXPECT_TRUE(image.Unload());

  // A DLL whose entry point is 0 has none: entering it would run its headers.
  std::vector<std::uint8_t> noEntry = PlainDll();
  SetU32(noEntry, kEntryPointAt, 0);
  EXPECT_TRUE(image.Load(noEntry));
  EXPECT_TRUE(image.Unload());
  EXPECT_TRUE(entry_.calls.empty());
}

TEST_F(MemoryImageTest, FindExportMatchesExactNamesThroughTheOrdinalTable) {
  std::vector<std::uint8_t> bytes = OneSection([](SectionWriter& s, PeImage& image) {
    // Function order differs from name order, as the name-ordinal table allows.
    image.directories[test::kExportDirectory] = test::WriteExports(
        s, {0x1010, 0x1020, 0x1030, 0x7FFF0000},
        {{"Alpha", 2}, {"Beyond", 3}, {"Missing", 9}, {"SkinH_AttachRes", 0}, {"Zeta", 1}});
  });
  MemoryImage image(Platform());
  ASSERT_TRUE(image.Load(bytes));
  struct Case {
    std::string_view name;
    std::uint32_t rva;
  } cases[] = {
      {"Alpha", 0x1030},
      {"SkinH_AttachRes", 0x1010},
      {"Zeta", 0x1020},
      {"skinh_attachres", 0},
      {"SkinH_AttachRES", 0},
      {"SkinH_Attach", 0},
      {"SkinH_AttachResX", 0},
      {std::string_view("Zeta\0", 5), 0},
      {"", 0},
      {"Beyond", 0},   // function outside the image
      {"Missing", 0},  // index past the function table
  };
  for (const Case& c : cases) {
    EXPECT_EQ(image.FindExport(c.name), c.rva == 0 ? 0 : image.Base() + c.rva) << c.name;
  }
  EXPECT_TRUE(image.Unload());
  EXPECT_EQ(image.FindExport("Alpha"), 0u);
}

TEST_F(MemoryImageTest, UnloadOnAnEmptyObjectSucceeds) {
  MemoryImage image(Platform());
  EXPECT_TRUE(image.Unload());
  EXPECT_EQ(image.EntryPoint(), 0u);
  EXPECT_EQ(image.FindExport("SkinH_AttachRes"), 0u);
  EXPECT_TRUE(memory_.releases.empty());
}

TEST_F(MemoryImageTest, LoadOverALoadedImageReplacesIt) {
  MemoryImage image(Platform());
  ASSERT_TRUE(image.Load(PlainDll()));
  std::uintptr_t first = image.Base();
  ASSERT_TRUE(image.Load(PlainDll()));
  ASSERT_EQ(entry_.calls.size(), 3u);
  EXPECT_EQ(entry_.calls[1], (EntryCall{first + kSectionRva, first, 0}));
  EXPECT_EQ(entry_.calls[2].reason, 1u);
  EXPECT_EQ(memory_.releases, std::vector<std::uint8_t*>{reinterpret_cast<std::uint8_t*>(first)});
  EXPECT_EQ(entry_.calls[2].module, image.Base());

  // A refused new image still unloads the old one.
  EXPECT_FALSE(image.Load(std::vector<std::uint8_t>(63)));
  EXPECT_EQ(image.Base(), 0u);
  EXPECT_EQ(memory_.releases.size(), 2u);
}

TEST_F(MemoryImageTest, RefusedReleaseKeepsTheImageLoaded) {
  MemoryImage image(Platform());
  ASSERT_TRUE(image.Load(PlainDll()));
  std::uintptr_t base = image.Base();
  memory_.refuseRelease = true;
  EXPECT_FALSE(image.Unload());
  EXPECT_EQ(image.Base(), base);
  EXPECT_FALSE(image.Load(PlainDll()));
  EXPECT_EQ(image.Base(), base);
  memory_.refuseRelease = false;
}

TEST_F(MemoryImageTest, MovesHandTheImageOver) {
  static_assert(!std::is_copy_constructible_v<MemoryImage>);
  static_assert(!std::is_copy_assignable_v<MemoryImage>);
  {
    MemoryImage first(Platform());
    ASSERT_TRUE(first.Load(PlainDll()));
    std::uintptr_t base = first.Base();
    MemoryImage second(std::move(first));
    EXPECT_EQ(first.Base(), 0u);
    EXPECT_EQ(second.Base(), base);
    MemoryImage third(Platform());
    ASSERT_TRUE(third.Load(PlainDll()));
    third = std::move(second);
    EXPECT_EQ(third.Base(), base);
    EXPECT_EQ(third.FindExport("x"), 0u);
    EXPECT_EQ(memory_.releases.size(), 1u);  // third's own image
  }
  EXPECT_EQ(memory_.releases.size(), 2u);
}

TEST(MemoryImageOnLinux, LoadsOnlyImagesThatNeedNothingFromWindows) {
  PeImage plain;
  plain.characteristics = kPlainExecutable;
  MemoryImage image;
  EXPECT_TRUE(image.Load(OneSection([](SectionWriter&, PeImage&) {}, plain)));
  EXPECT_FALSE(image.Load(PlainDll()));  // its entry point cannot run here
  EXPECT_FALSE(image.Load(OneSection(
      [](SectionWriter& s, PeImage& image) {
        image.directories[test::kImportDirectory] =
            test::WriteImports(s, {{"KERNEL32.dll", {std::string("Sleep")}}});
      },
      plain)));
  EXPECT_EQ(image.Base(), 0u);
}

}  // namespace
}  // namespace mivora
