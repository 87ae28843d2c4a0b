// The Windows build of the plug-in, checked as a host would find it without
// running it: a 32-bit PE library that exports ENTRYPOINT and carries the
// property list as "PIPL" resource 16000, byte for byte the list the Linux
// library exports.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "plugin/VxPluginProperties.h"

namespace {

// Reads a PE image's headers, exports and resources; every read is bounds
// checked, so a broken file fails the test instead of the test program.
class TPeFile {
 public:
  explicit TPeFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    Bytes.assign(std::istreambuf_iterator<char>(in), {});
    if (U16(0) != 0x5A4D) return;  // "MZ"
    Pe = U32(0x3C);
    if (U32(Pe) != 0x00004550) return;  // "PE\0\0"
    Machine = U16(Pe + 4);
    Characteristics = U16(Pe + 22);
    const size_t optional = Pe + 24;
    Sections = optional + U16(Pe + 20);
    SectionCount = U16(Pe + 6);
    if (U16(optional) != 0x10B) return;  // PE32
    ExportRva = U32(optional + 96);
    ResourceRva = U32(optional + 96 + 2 * 8);
    Valid = Ok;
  }

  bool Valid = false;
  uint16_t Machine = 0;
  uint16_t Characteristics = 0;

  std::vector<std::string> ExportNames() {
    std::vector<std::string> names;
    const std::optional<size_t> dir = Offset(ExportRva);
    if (!dir) return names;
    const uint32_t count = U32(*dir + 24);
    const std::optional<size_t> table = Offset(U32(*dir + 32));
    for (uint32_t i = 0; table && i < count && Ok; ++i)
      if (std::optional<size_t> name = Offset(U32(*table + 4 * i))) names.push_back(CString(*name));
    return names;
  }

  // The data of resource type/id (first language); empty when missing.
  std::vector<uint8_t> Resource(const std::u16string &type, uint16_t id) {
    const std::optional<size_t> base = Offset(ResourceRva);
    if (!base) return {};
    std::optional<uint32_t> types = Entry(*base, 0, [&](uint32_t name) {
      return (name & 0x80000000u) != 0 && String(*base + (name & 0x7FFFFFFFu)) == type;
    });
    if (!types || (*types & 0x80000000u) == 0) return {};
    std::optional<uint32_t> ids =
        Entry(*base, *types & 0x7FFFFFFFu, [&](uint32_t name) { return name == id; });
    if (!ids || (*ids & 0x80000000u) == 0) return {};
    std::optional<uint32_t> language =
        Entry(*base, *ids & 0x7FFFFFFFu, [](uint32_t) { return true; });
    if (!language || (*language & 0x80000000u) != 0) return {};
    const size_t data = *base + *language;
    const std::optional<size_t> at = Offset(U32(data));
    const uint32_t size = U32(data + 4);
    if (!at || *at + size > Bytes.size() || !Ok) return {};
    return {Bytes.begin() + static_cast<long>(*at), Bytes.begin() + static_cast<long>(*at + size)};
  }

 private:
  uint32_t Read(size_t at, int bytes) {
    if (at + static_cast<size_t>(bytes) > Bytes.size()) {
      Ok = false;
      return 0;
    }
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | Bytes[at + static_cast<size_t>(i)];
    return value;
  }
  uint16_t U16(size_t at) { return static_cast<uint16_t>(Read(at, 2)); }
  uint32_t U32(size_t at) { return Read(at, 4); }

  std::optional<size_t> Offset(uint32_t rva) {
    for (uint16_t i = 0; i < SectionCount; ++i) {
      const size_t header = Sections + 40u * i;
      const uint32_t address = U32(header + 12);
      const uint32_t size = std::max(U32(header + 8), U32(header + 16));
      if (Ok && rva >= address && rva < address + size) return U32(header + 20) + (rva - address);
    }
    return std::nullopt;
  }

  std::string CString(size_t at) {
    std::string text;
    while (at < Bytes.size() && Bytes[at] != 0) text += static_cast<char>(Bytes[at++]);
    return text;
  }

  std::u16string String(size_t at) {
    std::u16string text;
    const uint16_t length = U16(at);
    for (uint16_t i = 0; i < length && Ok; ++i) text += static_cast<char16_t>(U16(at + 2 + 2u * i));
    return text;
  }

  // The OffsetToData of the first entry of the directory at base + dir
  // whose name matches.
  template <class F>
  std::optional<uint32_t> Entry(size_t base, uint32_t dir, F matches) {
    const size_t at = base + dir;
    const uint32_t count = U16(at + 12) + U16(at + 14);
    for (uint32_t i = 0; i < count && Ok; ++i) {
      const size_t entry = at + 16 + 8 * i;
      if (matches(U32(entry))) return U32(entry + 4);
    }
    return std::nullopt;
  }

  std::vector<uint8_t> Bytes;
  size_t Pe = 0, Sections = 0;
  uint16_t SectionCount = 0;
  uint32_t ExportRva = 0, ResourceRva = 0;
  bool Ok = true;
};

TEST(WindowsPlugin, IsA32BitLibraryWithTheEntryPointAndThePropertyList) {
  TPeFile plugin(VELORA_WINDOWS_PLUGIN);
  ASSERT_TRUE(plugin.Valid) << VELORA_WINDOWS_PLUGIN << " is no 32-bit PE image";
  EXPECT_EQ(plugin.Machine, 0x14C) << "not for x86";
  EXPECT_NE(plugin.Characteristics & 0x2000, 0) << "not a library";
  EXPECT_EQ(plugin.ExportNames(), std::vector<std::string>{"ENTRYPOINT"});
  const auto expected = pluginproperties::Bytes();
  EXPECT_EQ(plugin.Resource(u"PIPL", 16000),
            std::vector<uint8_t>(expected.begin(), expected.end()));
}

}  // namespace
