#pragma once
// The structured data format of the configuration file: a compact binary tree
// of records. The writer appends records to a stream; the reader parses a whole
// stream into nodes and elements when it is created and answers lookups by
// small integer identifiers. Each module keeps its settings in one node marked
// with a GUID of its own, numbering its items from 1.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/VxStream.h"

// A GUID as Windows lays it out; text form {8E85B1DA-44F0-4B60-B45D-21D0EBC05E33}.
struct TVxGUID {
  uint32_t Data1 = 0;
  uint16_t Data2 = 0;
  uint16_t Data3 = 0;
  std::array<uint8_t, 8> Data4{};

  // The braced text form, hexadecimal digits in either case; nothing else.
  static constexpr std::optional<TVxGUID> Parse(std::string_view text);
  // For constants in code: a malformed literal does not compile.
  static consteval TVxGUID FromLiteral(std::string_view text);
  static TVxGUID FromBytes(const uint8_t (&bytes)[16]);

  // Upper-case braced text.
  std::string ToString() const;
  // The 16-byte binary layout: first three fields little-endian.
  std::array<uint8_t, 16> ToBytes() const;

  friend constexpr bool operator==(const TVxGUID &, const TVxGUID &) = default;
};

// Value types of the records.
enum : uint32_t {
  SdfInt8 = 1,
  SdfUInt8 = 2,
  SdfInt16 = 3,
  SdfUInt16 = 4,
  SdfInt32 = 5,
  SdfString = 12,
  SdfGUID = 13,
  SdfBinary = 14,
};

class TVxSDFWriter {
 public:
  // With `ownsStream` the writer frees the stream. A null stream makes every
  // operation a no-op.
  TVxSDFWriter(TVxStream *stream, bool ownsStream);
  explicit TVxSDFWriter(std::unique_ptr<TVxStream> stream);
  TVxSDFWriter(const TVxSDFWriter &) = delete;
  TVxSDFWriter &operator=(const TVxSDFWriter &) = delete;
  ~TVxSDFWriter();

  void BeginSection(uint32_t id, const TVxGUID &guid);
  // A list: the value is the item count, the items are numbered from 1.
  void BeginIntegerNode(uint32_t id, int32_t value);
  void EndNode();
  void WriteBoolean(uint32_t id, bool value);
  void WriteInteger(uint32_t id, int32_t value);
  void WriteString(uint32_t id, std::u16string_view text);
  // UTF-8 text, stored as UTF-16 like any other string.
  void WriteString(uint32_t id, std::string_view utf8);
  void WriteBinary(uint32_t id, const void *bytes, uint32_t count);

  TVxStream *Stream() const { return Target; }

 private:
  void WriteRecord(uint32_t kind, uint32_t id, uint32_t type, const void *payload, uint32_t length);
  TVxStream *Target;
  bool OwnsStream;
};

// One parsed record. Payloads stay in the stream and are read on demand.
struct TVxSDFElement {
  uint32_t Identifier = 0;
  uint32_t Type = 0;
  uint32_t Length = 0;
  int64_t Position = 0;  // of the payload
};

struct TVxSDFNode;

// Lookups for values search the elements only, opening a node the nodes only,
// so an element and a node may share an identifier.
struct TVxSDFItems {
  std::vector<TVxSDFElement> Elements;
  std::vector<TVxSDFNode *> Nodes;  // owned by the reader
};

struct TVxSDFNode : TVxSDFElement {
  TVxSDFNode *Parent = nullptr;  // null for a node at the root
  TVxSDFItems Children;
};

class TVxSDFReader {
 public:
  // Parses the stream from its current position. With `ownsStream` the reader
  // frees the stream; otherwise the stream must outlive the reader, since
  // payloads are read from it on demand.
  TVxSDFReader(TVxStream *stream, bool ownsStream);
  explicit TVxSDFReader(std::unique_ptr<TVxStream> stream);
  TVxSDFReader(const TVxSDFReader &) = delete;
  TVxSDFReader &operator=(const TVxSDFReader &) = delete;
  ~TVxSDFReader();

  // Identifiers are looked up among the children of the current node (the
  // root items when none is current); the first match in stream order wins.
  bool OpenNode(uint32_t id);
  // The first node with that identifier carrying `guid` as its value.
  bool OpenSection(uint32_t id, const TVxGUID &guid);
  // Back to the parent; nothing at the root.
  void CloseNode();

  // Identifier 0 means the current node's own value (a list's item count).
  // False only when nothing has the identifier; a value of another type
  // leaves `value` unchanged.
  bool ReadInteger(uint32_t id, int32_t &value);
  bool ReadBoolean(uint32_t id, bool &value);
  // True whenever the identifier exists; fills the text only for strings.
  bool ReadString(uint32_t id, std::u16string &text);
  bool ReadString(uint32_t id, std::string &utf8);
  // True, with the payload copied, only when the length is exactly `count`.
  bool ReadBinary(uint32_t id, void *buffer, uint32_t count);

  const TVxSDFItems &RootItems() const { return Root; }
  const TVxSDFNode *CurrentNode() const { return Current; }

 private:
  void Parse();
  const TVxSDFItems &CurrentItems() const { return Current ? Current->Children : Root; }
  const TVxSDFElement *FindValue(uint32_t id) const;
  bool ReadPayload(const TVxSDFElement &element, void *buffer, uint32_t count);
  // False, with `text` unchanged, unless the element is a readable string.
  bool ReadText(const TVxSDFElement &element, std::u16string &text);

  TVxStream *Source;
  bool OwnsStream;
  TVxSDFItems Root;
  TVxSDFNode *Current = nullptr;
  // Every node, flat, so that deep nesting never recurses on destruction.
  std::vector<std::unique_ptr<TVxSDFNode>> AllNodes;
};

// --- inline definitions -------------------------------------------------------

namespace sdfdetail {
constexpr int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
constexpr std::optional<uint32_t> Hex(std::string_view text) {
  uint32_t value = 0;
  for (char c : text) {
    const int digit = HexDigit(c);
    if (digit < 0) return std::nullopt;
    value = value << 4 | static_cast<uint32_t>(digit);
  }
  return value;
}
void MalformedGuidLiteral();  // never defined: reaching it at compile time is the error
}  // namespace sdfdetail

constexpr std::optional<TVxGUID> TVxGUID::Parse(std::string_view text) {
  // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
  if (text.size() != 38 || text[0] != '{' || text[37] != '}' || text[9] != '-' || text[14] != '-' ||
      text[19] != '-' || text[24] != '-')
    return std::nullopt;
  const auto d1 = sdfdetail::Hex(text.substr(1, 8));
  const auto d2 = sdfdetail::Hex(text.substr(10, 4));
  const auto d3 = sdfdetail::Hex(text.substr(15, 4));
  if (!d1 || !d2 || !d3) return std::nullopt;
  TVxGUID guid;
  guid.Data1 = *d1;
  guid.Data2 = static_cast<uint16_t>(*d2);
  guid.Data3 = static_cast<uint16_t>(*d3);
  const size_t starts[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (size_t i = 0; i < 8; ++i) {
    const auto byte = sdfdetail::Hex(text.substr(starts[i], 2));
    if (!byte) return std::nullopt;
    guid.Data4[i] = static_cast<uint8_t>(*byte);
  }
  return guid;
}

consteval TVxGUID TVxGUID::FromLiteral(std::string_view text) {
  const auto guid = Parse(text);
  if (!guid) sdfdetail::MalformedGuidLiteral();
  return *guid;
}
