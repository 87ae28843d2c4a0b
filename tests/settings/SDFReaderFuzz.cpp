// Any bytes as a configuration file: the reader must parse what it can and
// answer every lookup without reading outside the stream.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/VxSDF.h"

namespace {

constexpr TVxGUID Section = TVxGUID::FromLiteral("{7AF6D7FF-618B-41D9-882E-419D500DF28B}");

void ReadEverything(TVxSDFReader &reader, const TVxSDFItems &items) {
  for (const TVxSDFElement &element : items.Elements) {
    int32_t number = 0;
    bool flag = false;
    std::u16string text;
    std::string utf8;
    reader.ReadInteger(element.Identifier, number);
    reader.ReadBoolean(element.Identifier, flag);
    reader.ReadString(element.Identifier, text);
    reader.ReadString(element.Identifier, utf8);
    if (element.Length <= 4096) {
      std::vector<uint8_t> buffer(element.Length + 1);
      reader.ReadBinary(element.Identifier, buffer.data(), element.Length);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  TVxSDFReader reader(std::make_unique<TVxMemoryStream>(data, size));
  ReadEverything(reader, reader.RootItems());
  reader.OpenSection(1, Section);
  // Walk down the first nodes a bounded number of levels, reading each one.
  for (int depth = 0; depth < 64; ++depth) {
    const TVxSDFNode *node = reader.CurrentNode();
    const TVxSDFItems &items = node ? node->Children : reader.RootItems();
    ReadEverything(reader, items);
    int32_t count = 0;
    reader.ReadInteger(0, count);
    if (items.Nodes.empty() || !reader.OpenNode(items.Nodes.front()->Identifier)) break;
  }
  for (int depth = 0; depth < 70; ++depth) reader.CloseNode();
  return 0;
}
