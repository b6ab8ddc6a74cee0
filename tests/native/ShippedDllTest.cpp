// The shipped melvox.dll files as the hosts load them: a 32-bit i386 DLL and
// an x64 one, each exporting exactly the thirteen entry points by their
// undecorated names, needing no MinGW runtime DLL beside it, and carrying no
// debug sections (their symbols lie beside them, named by a debug link). Read
// straight from the PE files, so the check holds whichever build ran the
// other tests, also where 32-bit programs cannot run.
#include <gtest/gtest.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// A bounds-checked view of the file's bytes; every read fails softly.
class PeFile {
 public:
  explicit PeFile(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

  bool U16(size_t at, uint32_t* value) const { return Read(at, 2, value); }
  bool U32(size_t at, uint32_t* value) const { return Read(at, 4, value); }
  // The NUL-ended text at a file offset (empty when it does not end in the file).
  std::string Text(size_t at) const {
    std::string text;
    for (size_t i = at; i < bytes_.size(); ++i) {
      if (bytes_[i] == 0) return text;
      text += static_cast<char>(bytes_[i]);
    }
    return std::string();
  }
  size_t Size() const { return bytes_.size(); }

 private:
  bool Read(size_t at, size_t count, uint32_t* value) const {
    if (at > bytes_.size() || count > bytes_.size() - at) return false;
    uint32_t v = 0;
    for (size_t i = 0; i < count; ++i) v |= static_cast<uint32_t>(bytes_[at + i]) << (8 * i);
    *value = v;
    return true;
  }
  std::vector<uint8_t> bytes_;
};

struct Section {
  uint32_t virtualAddress, virtualSize, rawOffset, rawSize;
  std::string name;
};

struct PeImage {
  uint32_t machine = 0;
  uint32_t magic = 0;
  uint32_t characteristics = 0;
  std::vector<std::string> exports;
  std::vector<std::string> imports;
  std::vector<std::string> sections;
  std::string debugLink;  // the file named by .gnu_debuglink, if any
};

// Offsets of the PE32 and PE32+ layouts.
constexpr size_t kNewHeaderPointer = 0x3C;
constexpr size_t kCoffMachine = 4, kCoffSections = 6, kCoffSymbols = 12, kCoffSymbolCount = 16,
                 kCoffOptionalSize = 20, kCoffCharacteristics = 22;
constexpr size_t kOptionalHeader = 24;
constexpr uint32_t kPe32Magic = 0x10B, kPe32PlusMagic = 0x20B;
// Where the data directories start differs: PE32+ has 64-bit image base and
// stack and heap sizes.
constexpr size_t kDirectoryCount32 = 92, kDirectoryCount64 = 108;
constexpr size_t kSectionSize = 40, kSymbolSize = 18;

bool FileOffset(const std::vector<Section>& sections, uint32_t rva, size_t* offset) {
  for (const Section& s : sections) {
    uint32_t span = std::max(s.virtualSize, s.rawSize);
    if (rva >= s.virtualAddress && rva - s.virtualAddress < span && rva - s.virtualAddress < s.rawSize) {
      *offset = static_cast<size_t>(s.rawOffset) + (rva - s.virtualAddress);
      return true;
    }
  }
  return false;
}

// False when the file is no PE32 image this reader understands.
bool ReadImage(const PeFile& file, PeImage* image) {
  uint32_t mz = 0, pe = 0, header = 0;
  if (!file.U16(0, &mz) || mz != 0x5A4D || !file.U32(kNewHeaderPointer, &header)) return false;
  if (!file.U32(header, &pe) || pe != 0x00004550) return false;
  uint32_t sectionCount = 0, optionalSize = 0, magic = 0, directories = 0;
  if (!file.U16(header + kCoffMachine, &image->machine) || !file.U16(header + kCoffSections, &sectionCount) ||
      !file.U16(header + kCoffOptionalSize, &optionalSize) ||
      !file.U16(header + kCoffCharacteristics, &image->characteristics))
    return false;
  size_t optional = header + kOptionalHeader;
  if (!file.U16(optional, &magic) || (magic != kPe32Magic && magic != kPe32PlusMagic)) return false;
  image->magic = magic;
  size_t directoryCount = magic == kPe32Magic ? kDirectoryCount32 : kDirectoryCount64;
  size_t exportDirectory = directoryCount + 4, importDirectory = directoryCount + 12;
  if (!file.U32(optional + directoryCount, &directories)) return false;
  // Names longer than 8 bytes ("/14") are offsets into the string table
  // behind the symbols.
  uint32_t symbols = 0, symbolCount = 0;
  if (!file.U32(header + kCoffSymbols, &symbols) || !file.U32(header + kCoffSymbolCount, &symbolCount)) return false;
  size_t strings = static_cast<size_t>(symbols) + static_cast<size_t>(symbolCount) * kSymbolSize;
  std::vector<Section> sections;
  size_t table = optional + optionalSize;
  for (uint32_t i = 0; i < sectionCount; ++i) {
    size_t at = table + i * kSectionSize;
    Section s;
    if (!file.U32(at + 8, &s.virtualSize) || !file.U32(at + 12, &s.virtualAddress) ||
        !file.U32(at + 16, &s.rawSize) || !file.U32(at + 20, &s.rawOffset) || at + 8 > file.Size())
      return false;
    std::string shortName;  // eight bytes, NUL-padded unless all are used
    for (size_t k = 0; k < 8; ++k) {
      uint32_t c = 0;
      if (!file.U16(at + k, &c)) return false;
      if ((c & 0xFF) == 0) break;
      shortName += static_cast<char>(c & 0xFF);
    }
    if (shortName.size() > 1 && shortName[0] == '/') {
      if (symbols == 0) return false;
      s.name = file.Text(strings + strtoul(shortName.c_str() + 1, nullptr, 10));
    } else {
      s.name = shortName;
    }
    if (s.name.empty()) return false;
    if (s.name == ".gnu_debuglink") image->debugLink = file.Text(s.rawOffset);
    image->sections.push_back(s.name);
    sections.push_back(s);
  }

  uint32_t exportRva = 0, importRva = 0;
  if (directories >= 1 && file.U32(optional + exportDirectory, &exportRva) && exportRva != 0) {
    size_t dir = 0;
    uint32_t count = 0, namesRva = 0;
    if (!FileOffset(sections, exportRva, &dir) || !file.U32(dir + 24, &count) || !file.U32(dir + 32, &namesRva))
      return false;
    size_t names = 0;
    if (count > 0 && !FileOffset(sections, namesRva, &names)) return false;
    for (uint32_t i = 0; i < count; ++i) {
      uint32_t nameRva = 0;
      size_t name = 0;
      if (!file.U32(names + 4 * i, &nameRva) || !FileOffset(sections, nameRva, &name)) return false;
      image->exports.push_back(file.Text(name));
    }
  }
  if (directories >= 2 && file.U32(optional + importDirectory, &importRva) && importRva != 0) {
    size_t dir = 0;
    if (!FileOffset(sections, importRva, &dir)) return false;
    for (size_t at = dir;; at += 20) {
      uint32_t lookup = 0, nameRva = 0, thunks = 0;
      if (!file.U32(at, &lookup) || !file.U32(at + 12, &nameRva) || !file.U32(at + 16, &thunks)) return false;
      if (lookup == 0 && nameRva == 0 && thunks == 0) break;
      size_t name = 0;
      if (!FileOffset(sections, nameRva, &name)) return false;
      image->imports.push_back(file.Text(name));
    }
  }
  return true;
}

std::vector<uint8_t> ReadFile(const char* path) {
  std::vector<uint8_t> bytes;
  FILE* f = fopen(path, "rb");
  if (f == nullptr) return bytes;
  uint8_t buffer[65536];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
  fclose(f);
  return bytes;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return text;
}

struct ShippedDll {
  const char* path;
  uint32_t machine, magic;
  const char* what;
};

// Each file is built in its own tree; the Makefile names both.
#if defined(MELVOX_SHIPPED_DLL32) && defined(MELVOX_SHIPPED_DLL64)
TEST(ShippedDll, EachIsADllForItsHostWithTheThirteenExportsNoRuntimeAndNoDebugData) {
  const ShippedDll shipped[] = {{MELVOX_SHIPPED_DLL32, 0x14C, kPe32Magic, "i386"},
                                {MELVOX_SHIPPED_DLL64, 0x8664, kPe32PlusMagic, "AMD64"}};
  std::vector<std::string> expected = {"ClosePlugin",   "Configure",    "ExitFAR",        "GetFindData",
                                       "GetOpenPluginInfo", "GetPluginInfo", "OpenFilePlugin", "OpenPlugin",
                                       "ProcessEvent",  "ProcessKey",   "PutFiles",       "SetFindList",
                                       "SetStartupInfo"};
  for (const ShippedDll& dll : shipped) {
    SCOPED_TRACE(dll.path);
    std::vector<uint8_t> bytes = ReadFile(dll.path);
    ASSERT_FALSE(bytes.empty()) << "not built";
    PeImage image;
    ASSERT_TRUE(ReadImage(PeFile(std::move(bytes)), &image)) << "no PE image this reader understands";
    EXPECT_EQ(dll.machine, image.machine) << dll.what;
    EXPECT_EQ(dll.magic, image.magic) << dll.what;
    EXPECT_NE(0u, image.characteristics & 0x2000u) << "IMAGE_FILE_DLL";

    std::vector<std::string> exports = image.exports;
    std::sort(exports.begin(), exports.end());
    EXPECT_EQ(expected, exports) << "exactly the thirteen undecorated names";

    ASSERT_FALSE(image.imports.empty());
    for (const std::string& imported : image.imports) {
      std::string name = Lower(imported);
      for (const char* runtime : {"libgcc", "libstdc++", "libwinpthread"})
        EXPECT_NE(0u, name.rfind(runtime, 0)) << "imports the MinGW runtime " << imported;
    }
    EXPECT_NE(image.imports.end(), std::find_if(image.imports.begin(), image.imports.end(), [](const std::string& d) {
                return Lower(d) == "kernel32.dll";
              }));

    for (const std::string& section : image.sections)
      EXPECT_NE(0u, section.rfind(".debug", 0)) << "ships debug data: " << section;
    EXPECT_EQ("melvox.dll.debug", image.debugLink);
    EXPECT_FALSE(ReadFile((std::string(dll.path) + ".debug").c_str()).empty()) << "its symbols are kept beside it";
  }
}
#endif

// The reader itself on a hand-made image: an export and an import it must find,
// and cut files it must refuse without reading past them.
TEST(ShippedDll, ReaderFindsNamesAndRefusesCutFiles) {
  std::vector<uint8_t> b(0x400, 0);
  auto put16 = [&b](size_t at, uint32_t v) { b[at] = v & 0xFF; b[at + 1] = (v >> 8) & 0xFF; };
  auto put32 = [&](size_t at, uint32_t v) { put16(at, v & 0xFFFF); put16(at + 2, v >> 16); };
  auto text = [&b](size_t at, const char* s) { for (size_t i = 0; s[i]; ++i) b[at + i] = static_cast<uint8_t>(s[i]); };
  put16(0, 0x5A4D);
  put32(0x3C, 0x40);
  put32(0x40, 0x00004550);
  put16(0x44, 0x14C);
  put16(0x46, 1);       // one section
  put16(0x54, 0xE0);    // optional header size
  put16(0x56, 0x2102);  // a DLL
  put16(0x58, 0x10B);
  put32(0x58 + 92, 16);
  put32(0x58 + 96, 0x1000);   // exports
  put32(0x58 + 104, 0x1100);  // imports
  size_t section = 0x58 + 0xE0;
  text(section, ".rdata");
  put32(section + 8, 0x200);
  put32(section + 12, 0x1000);
  put32(section + 16, 0x200);
  put32(section + 20, 0x200);
  // Export directory at RVA 0x1000 (file 0x200): one name.
  put32(0x200 + 24, 1);
  put32(0x200 + 32, 0x1040);
  put32(0x240, 0x1050);
  text(0x250, "OpenPlugin");
  // Import directory at RVA 0x1100 (file 0x300): one DLL, then the zero entry.
  put32(0x300, 0x1180);
  put32(0x300 + 12, 0x1160);
  text(0x360, "KERNEL32.dll");
  PeImage image;
  ASSERT_TRUE(ReadImage(PeFile(b), &image));
  EXPECT_EQ(std::vector<std::string>{"OpenPlugin"}, image.exports);
  EXPECT_EQ(std::vector<std::string>{"KERNEL32.dll"}, image.imports);
  EXPECT_EQ(std::vector<std::string>{".rdata"}, image.sections);
  for (size_t cut : {size_t{0x3E}, size_t{0x50}, size_t{0x210}, size_t{0x244}, size_t{0x310}}) {
    std::vector<uint8_t> shorter(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(cut));
    PeImage partial;
    EXPECT_FALSE(ReadImage(PeFile(shorter), &partial)) << "cut at " << cut;
  }
}

}  // namespace
