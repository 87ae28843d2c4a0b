#include "settings/VxSDF.h"

#include <cstdio>
#include <cstring>
#include <limits>

#include "settings/VxUnicode.h"

namespace {

enum : uint32_t { KindEnd = 0, KindElement = 1, KindNode = 3 };

// Size code of a field: 0, 1, 2 or 4 bytes.
uint32_t SizeCode(uint32_t value) {
  if (value == 0) return 0;
  if (value < 0x100) return 1;
  if (value <= 0xFFFF) return 2;
  return 3;
}

constexpr size_t FieldWidth[4] = {0, 1, 2, 4};

void PutLittleEndian(uint8_t *out, uint32_t value, size_t width) {
  for (size_t i = 0; i < width; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetLittleEndian(const uint8_t *in, size_t width) {
  uint32_t value = 0;
  for (size_t i = 0; i < width; ++i) value |= static_cast<uint32_t>(in[i]) << (8 * i);
  return value;
}

}  // namespace

// --- TVxGUID ------------------------------------------------------------------

TVxGUID TVxGUID::FromBytes(const uint8_t (&bytes)[16]) {
  TVxGUID guid;
  guid.Data1 = GetLittleEndian(bytes, 4);
  guid.Data2 = static_cast<uint16_t>(GetLittleEndian(bytes + 4, 2));
  guid.Data3 = static_cast<uint16_t>(GetLittleEndian(bytes + 6, 2));
  std::memcpy(guid.Data4.data(), bytes + 8, 8);
  return guid;
}

std::array<uint8_t, 16> TVxGUID::ToBytes() const {
  std::array<uint8_t, 16> bytes{};
  PutLittleEndian(bytes.data(), Data1, 4);
  PutLittleEndian(bytes.data() + 4, Data2, 2);
  PutLittleEndian(bytes.data() + 6, Data3, 2);
  std::memcpy(bytes.data() + 8, Data4.data(), 8);
  return bytes;
}

std::string TVxGUID::ToString() const {
  char text[39];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", Data1,
                Data2, Data3, Data4[0], Data4[1], Data4[2], Data4[3], Data4[4], Data4[5], Data4[6],
                Data4[7]);
  return text;
}

// --- TVxSDFWriter -------------------------------------------------------------

TVxSDFWriter::TVxSDFWriter(TVxStream *stream, bool ownsStream)
    : Target(stream), OwnsStream(ownsStream) {}

TVxSDFWriter::TVxSDFWriter(std::unique_ptr<TVxStream> stream)
    : TVxSDFWriter(stream.release(), true) {}

TVxSDFWriter::~TVxSDFWriter() {
  if (OwnsStream) delete Target;
}

void TVxSDFWriter::WriteRecord(uint32_t kind, uint32_t id, uint32_t type, const void *payload,
                               uint32_t length) {
  if (!Target) return;
  uint8_t record[13];
  const uint32_t codes[3] = {SizeCode(id), SizeCode(type), SizeCode(length)};
  const uint32_t values[3] = {id, type, length};
  record[0] = static_cast<uint8_t>(kind << 6 | codes[0] << 4 | codes[1] << 2 | codes[2]);
  size_t size = 1;
  for (int i = 0; i < 3; ++i) {
    PutLittleEndian(record + size, values[i], FieldWidth[codes[i]]);
    size += FieldWidth[codes[i]];
  }
  Target->WriteAll(record, size);
  if (length > 0) Target->WriteAll(payload, length);
}

void TVxSDFWriter::BeginSection(uint32_t id, const TVxGUID &guid) {
  const auto bytes = guid.ToBytes();
  WriteRecord(KindNode, id, SdfGUID, bytes.data(), 16);
}

void TVxSDFWriter::BeginIntegerNode(uint32_t id, int32_t value) {
  uint8_t bytes[4];
  PutLittleEndian(bytes, static_cast<uint32_t>(value), 4);
  WriteRecord(KindNode, id, SdfInt32, bytes, 4);
}

void TVxSDFWriter::EndNode() {
  if (!Target) return;
  const uint8_t end = 0;
  Target->WriteAll(&end, 1);
}

void TVxSDFWriter::WriteBoolean(uint32_t id, bool value) {
  const uint8_t byte = value ? 1 : 0;
  WriteRecord(KindElement, id, SdfInt8, &byte, 1);
}

void TVxSDFWriter::WriteInteger(uint32_t id, int32_t value) {
  uint8_t bytes[4];
  PutLittleEndian(bytes, static_cast<uint32_t>(value), 4);
  WriteRecord(KindElement, id, SdfInt32, bytes, 4);
}

void TVxSDFWriter::WriteString(uint32_t id, std::u16string_view text) {
  // A length field holds at most 4 GiB - 1 bytes; longer text is cut there.
  const size_t units = std::min<size_t>(text.size(), std::numeric_limits<uint32_t>::max() / 2);
  std::vector<uint8_t> bytes(units * 2);
  for (size_t i = 0; i < units; ++i) {
    bytes[2 * i] = static_cast<uint8_t>(text[i]);
    bytes[2 * i + 1] = static_cast<uint8_t>(text[i] >> 8);
  }
  WriteRecord(KindElement, id, SdfString, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

void TVxSDFWriter::WriteString(uint32_t id, std::string_view utf8) {
  WriteString(id, std::u16string_view(Utf8ToUtf16(utf8)));
}

void TVxSDFWriter::WriteBinary(uint32_t id, const void *bytes, uint32_t count) {
  WriteRecord(KindElement, id, SdfBinary, bytes, count);
}

// --- TVxSDFReader -------------------------------------------------------------

TVxSDFReader::TVxSDFReader(TVxStream *stream, bool ownsStream)
    : Source(stream), OwnsStream(ownsStream) {
  if (Source) Parse();
}

TVxSDFReader::TVxSDFReader(std::unique_ptr<TVxStream> stream)
    : TVxSDFReader(stream.release(), true) {}

TVxSDFReader::~TVxSDFReader() {
  if (OwnsStream) delete Source;
}

// Stops silently at the first record that cannot be read whole; everything
// before it stays available.
void TVxSDFReader::Parse() {
  const int64_t size = Source->Size();
  for (;;) {
    uint8_t header;
    if (!Source->ReadExact(&header, 1)) break;
    const uint32_t kind = header >> 6;
    const uint32_t codes[3] = {header >> 4 & 3u, header >> 2 & 3u, header & 3u};
    uint32_t fields[3] = {};
    bool complete = true;
    for (int i = 0; i < 3 && complete; ++i) {
      uint8_t bytes[4];
      const size_t width = FieldWidth[codes[i]];
      complete = Source->ReadExact(bytes, width);
      fields[i] = GetLittleEndian(bytes, width);
    }
    if (!complete) break;

    if (kind == KindEnd) {
      if (!Current) break;
      Current = Current->Parent;
      continue;
    }
    const int64_t payload = Source->Position();
    if (payload < 0) break;
    // A payload that runs past the end is damage, not a record: streams let
    // a seek land beyond their end, so the length is checked against the size.
    if (size >= 0 && fields[2] > size - payload) break;
    if (Source->Seek(fields[2], TVxSeekOrigin::Current) != payload + fields[2]) break;

    TVxSDFElement element{fields[0], fields[1], fields[2], payload};
    TVxSDFItems &items = Current ? Current->Children : Root;
    if (kind == KindElement) {
      items.Elements.push_back(element);
    } else {
      auto node = std::make_unique<TVxSDFNode>();
      static_cast<TVxSDFElement &>(*node) = element;
      node->Parent = Current;
      items.Nodes.push_back(node.get());
      Current = node.get();
      AllNodes.push_back(std::move(node));
    }
  }
  // Data that ends inside an unclosed node still leaves every section
  // reachable from the root.
  Current = nullptr;
}

bool TVxSDFReader::OpenNode(uint32_t id) {
  for (TVxSDFNode *node : CurrentItems().Nodes) {
    if (node->Identifier == id) {
      Current = node;
      return true;
    }
  }
  return false;
}

bool TVxSDFReader::OpenSection(uint32_t id, const TVxGUID &guid) {
  const auto wanted = guid.ToBytes();
  for (TVxSDFNode *node : CurrentItems().Nodes) {
    if (node->Identifier != id || node->Type != SdfGUID || node->Length != 16) continue;
    uint8_t bytes[16];
    if (ReadPayload(*node, bytes, 16) && std::memcmp(bytes, wanted.data(), 16) == 0) {
      Current = node;
      return true;
    }
  }
  return false;
}

void TVxSDFReader::CloseNode() {
  if (Current) Current = Current->Parent;
}

const TVxSDFElement *TVxSDFReader::FindValue(uint32_t id) const {
  if (id == 0 && Current) return Current;
  for (const TVxSDFElement &element : CurrentItems().Elements)
    if (element.Identifier == id) return &element;
  return nullptr;
}

bool TVxSDFReader::ReadPayload(const TVxSDFElement &element, void *buffer, uint32_t count) {
  if (count > element.Length) return false;
  if (Source->Seek(element.Position, TVxSeekOrigin::Begin) != element.Position) return false;
  return Source->ReadExact(buffer, count);
}

bool TVxSDFReader::ReadInteger(uint32_t id, int32_t &value) {
  const TVxSDFElement *element = FindValue(id);
  if (!element) return false;
  uint8_t bytes[4];
  const uint32_t type = element->Type;
  const uint32_t length = element->Length;
  if (type == SdfInt32 && length == 4) {
    if (ReadPayload(*element, bytes, 4)) value = static_cast<int32_t>(GetLittleEndian(bytes, 4));
  } else if ((type == SdfInt8 || type == SdfUInt8) && length == 1) {
    if (ReadPayload(*element, bytes, 1))
      value = type == SdfInt8 ? static_cast<int8_t>(bytes[0]) : bytes[0];
  } else if ((type == SdfInt16 || type == SdfUInt16) && length == 2) {
    if (ReadPayload(*element, bytes, 2)) {
      const auto raw = static_cast<uint16_t>(GetLittleEndian(bytes, 2));
      value = type == SdfInt16 ? static_cast<int16_t>(raw) : raw;
    }
  }
  return true;
}

bool TVxSDFReader::ReadBoolean(uint32_t id, bool &value) {
  int32_t number = value ? 1 : 0;
  if (!ReadInteger(id, number)) return false;
  value = number != 0;
  return true;
}

bool TVxSDFReader::ReadText(const TVxSDFElement &element, std::u16string &text) {
  if (element.Type != SdfString) return false;
  const uint32_t units = element.Length / 2;
  std::vector<uint8_t> bytes(size_t(units) * 2);
  if (!ReadPayload(element, bytes.data(), units * 2)) return false;
  text.resize(units);
  for (uint32_t i = 0; i < units; ++i)
    text[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  return true;
}

bool TVxSDFReader::ReadString(uint32_t id, std::u16string &text) {
  const TVxSDFElement *element = FindValue(id);
  if (!element) return false;
  ReadText(*element, text);
  return true;
}

bool TVxSDFReader::ReadString(uint32_t id, std::string &utf8) {
  const TVxSDFElement *element = FindValue(id);
  if (!element) return false;
  std::u16string text;
  if (ReadText(*element, text)) utf8 = Utf16ToUtf8(text);
  return true;
}

bool TVxSDFReader::ReadBinary(uint32_t id, void *buffer, uint32_t count) {
  const TVxSDFElement *element = FindValue(id);
  if (!element || element->Length != count) return false;
  return count == 0 || ReadPayload(*element, buffer, count);
}
