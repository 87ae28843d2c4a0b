#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/VxSDF.h"
#include "support/TestSupport.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr TVxGUID ModuleGuid = TVxGUID::FromLiteral("{8E85B1DA-44F0-4B60-B45D-21D0EBC05E33}");
constexpr TVxGUID OtherGuid = TVxGUID::FromLiteral("{C0F4C248-34D7-4014-8116-24BEE9AB5C30}");

template <class Fill>
Bytes Written(Fill fill) {
  TVxMemoryStream stream;
  TVxSDFWriter writer(&stream, false);
  fill(writer);
  return stream.Data();
}

TEST(SDFGuid, ParsesAndPrintsTheRegistryForm) {
  const auto guid = TVxGUID::Parse("{8e85b1da-44f0-4b60-b45d-21d0ebc05e33}");
  ASSERT_TRUE(guid);
  EXPECT_EQ(*guid, ModuleGuid);
  EXPECT_EQ(guid->ToString(), "{8E85B1DA-44F0-4B60-B45D-21D0EBC05E33}");
  const Bytes layout = {0xDA, 0xB1, 0x85, 0x8E, 0xF0, 0x44, 0x60, 0x4B,
                        0xB4, 0x5D, 0x21, 0xD0, 0xEB, 0xC0, 0x5E, 0x33};
  const auto bytes = guid->ToBytes();
  EXPECT_EQ(Bytes(bytes.begin(), bytes.end()), layout);
  uint8_t raw[16];
  std::copy(layout.begin(), layout.end(), raw);
  EXPECT_EQ(TVxGUID::FromBytes(raw), ModuleGuid);

  for (const char *bad :
       {"", "8E85B1DA-44F0-4B60-B45D-21D0EBC05E33", "{8E85B1DA-44F0-4B60-B45D-21D0EBC05E3}",
        "{8E85B1DA-44F0-4B60-B45D-21D0EBC05E33 }", "{8E85B1DA_44F0-4B60-B45D-21D0EBC05E33}",
        "{8E85B1DG-44F0-4B60-B45D-21D0EBC05E33}", "{8E85B1DA-44F0-4B60-B45D-21D0EBC05EX3}"})
    EXPECT_FALSE(TVxGUID::Parse(bad)) << bad;
}

TEST(SDFWriter, EncodesRecordsByteForByte) {
  struct Case {
    const char *what;
    Bytes bytes;
    Bytes expected;
  };
  const auto guid = ModuleGuid.ToBytes();
  Bytes section = {0xD5, 0x01, 0x0D, 0x10};
  section.insert(section.end(), guid.begin(), guid.end());
  const uint8_t raw[3] = {9, 8, 7};
  const Case cases[] = {
      {"integer 80 as element 1",
       Written([](auto &w) { w.WriteInteger(1, 80); }),
       {0x55, 0x01, 0x05, 0x04, 0x50, 0x00, 0x00, 0x00}},
      {"empty string as element 3",
       Written([](auto &w) { w.WriteString(3, u""); }),
       {0x54, 0x03, 0x0C}},
      {"section node 1", Written([](auto &w) { w.BeginSection(1, ModuleGuid); }), section},
      {"end of node", Written([](auto &w) { w.EndNode(); }), {0x00}},
      {"boolean",
       Written([](auto &w) { w.WriteBoolean(2, true); }),
       {0x55, 0x02, 0x01, 0x01, 0x01}},
      {"negative integer",
       Written([](auto &w) { w.WriteInteger(4, -2); }),
       {0x55, 0x04, 0x05, 0x04, 0xFE, 0xFF, 0xFF, 0xFF}},
      {"list node",
       Written([](auto &w) { w.BeginIntegerNode(2, 3); }),
       {0xD5, 0x02, 0x05, 0x04, 0x03, 0x00, 0x00, 0x00}},
      {"string",
       Written([](auto &w) { w.WriteString(5, u"A\u00e9"); }),
       {0x55, 0x05, 0x0C, 0x04, 0x41, 0x00, 0xE9, 0x00}},
      {"utf-8 string",
       Written([](auto &w) { w.WriteString(5, std::string("A\xC3\xA9")); }),
       {0x55, 0x05, 0x0C, 0x04, 0x41, 0x00, 0xE9, 0x00}},
      {"binary",
       Written([&](auto &w) { w.WriteBinary(6, raw, 3); }),
       {0x55, 0x06, 0x0E, 0x03, 9, 8, 7}},
      {"identifier 0 takes no bytes",
       Written([](auto &w) { w.WriteBoolean(0, false); }),
       {0x45, 0x01, 0x01, 0x00}},
      {"identifier 255 takes one byte",
       Written([](auto &w) { w.WriteBoolean(255, false); }),
       {0x55, 0xFF, 0x01, 0x01, 0x00}},
      {"identifier 256 takes two",
       Written([](auto &w) { w.WriteBoolean(256, false); }),
       {0x65, 0x00, 0x01, 0x01, 0x01, 0x00}},
      {"identifier 0xFFFF takes two",
       Written([](auto &w) { w.WriteBoolean(0xFFFF, false); }),
       {0x65, 0xFF, 0xFF, 0x01, 0x01, 0x00}},
      {"identifier above 0xFFFF takes four",
       Written([](auto &w) { w.WriteBoolean(0x10000, false); }),
       {0x75, 0x00, 0x00, 0x01, 0x00, 0x01, 0x01, 0x00}},
  };
  for (const Case &c : cases) EXPECT_EQ(c.bytes, c.expected) << c.what;
}

TEST(SDFWriter, WithoutAStreamWritesNothing) {
  TVxSDFWriter writer(nullptr, true);
  writer.BeginSection(1, ModuleGuid);
  writer.WriteInteger(1, 5);
  writer.EndNode();
  EXPECT_EQ(writer.Stream(), nullptr);
}

TEST(SDFWriter, LongStringTakesAFourByteLength) {
  const std::u16string text(40000, u'x');
  const Bytes bytes = Written([&](auto &w) { w.WriteString(7, text); });
  ASSERT_EQ(bytes.size(), 1u + 1 + 1 + 4 + 80000);
  EXPECT_EQ(bytes[0], 0x57);  // length code 3
  EXPECT_EQ(bytes[3] | bytes[4] << 8 | bytes[5] << 16 | bytes[6] << 24, 80000);

  TVxSDFReader reader(std::make_unique<TVxMemoryStream>(bytes));
  std::u16string back;
  ASSERT_TRUE(reader.ReadString(7, back));
  EXPECT_EQ(back, text);
}

// What a module and the main window would write, read back through the same lookups.
TEST(SDFReader, ReadsBackAWrittenTree) {
  const uint8_t blob[5] = {1, 2, 3, 4, 5};
  const Bytes bytes = Written([&](TVxSDFWriter &w) {
    w.BeginSection(1, OtherGuid);
    w.WriteInteger(1, 111);
    w.EndNode();
    w.BeginSection(1, ModuleGuid);
    w.WriteInteger(1, -123456);
    w.WriteBoolean(2, true);
    w.WriteString(3, u"C:\\Bilder\\\u00c4pfel.jpg");
    w.WriteBinary(4, blob, 5);
    w.BeginIntegerNode(5, 2);  // a list
    w.WriteString(1, u"first");
    w.WriteString(2, u"second");
    w.EndNode();
    w.WriteInteger(5, 55);  // an element may share a node's identifier
    w.WriteString(6, u"");
    w.EndNode();
    w.WriteInteger(9, 99);
  });

  TVxSDFReader reader(std::make_unique<TVxMemoryStream>(bytes));
  int32_t number = 0;
  EXPECT_TRUE(reader.ReadInteger(9, number));
  EXPECT_EQ(number, 99);

  ASSERT_TRUE(reader.OpenSection(1, ModuleGuid));
  EXPECT_TRUE(reader.ReadInteger(1, number));
  EXPECT_EQ(number, -123456);
  bool flag = false;
  EXPECT_TRUE(reader.ReadBoolean(2, flag));
  EXPECT_TRUE(flag);
  std::u16string text;
  EXPECT_TRUE(reader.ReadString(3, text));
  EXPECT_EQ(text, u"C:\\Bilder\\\u00c4pfel.jpg");
  std::string utf8;
  EXPECT_TRUE(reader.ReadString(3, utf8));
  EXPECT_EQ(utf8, "C:\\Bilder\\\xC3\x84pfel.jpg");
  uint8_t back[5] = {};
  EXPECT_TRUE(reader.ReadBinary(4, back, 5));
  EXPECT_EQ(Bytes(back, back + 5), Bytes(blob, blob + 5));
  EXPECT_TRUE(reader.ReadInteger(5, number));
  EXPECT_EQ(number, 55);
  text = u"not yet read";
  EXPECT_TRUE(reader.ReadString(6, text));
  EXPECT_EQ(text, u"");

  ASSERT_TRUE(reader.OpenNode(5));
  int32_t count = 0;
  EXPECT_TRUE(reader.ReadInteger(0, count));
  ASSERT_EQ(count, 2);
  std::vector<std::u16string> items;
  for (int32_t i = 1; i <= count; ++i) {
    std::u16string item;
    EXPECT_TRUE(reader.ReadString(static_cast<uint32_t>(i), item));
    items.push_back(item);
  }
  EXPECT_EQ(items, (std::vector<std::u16string>{u"first", u"second"}));
  reader.CloseNode();
  EXPECT_TRUE(reader.ReadInteger(1, number));
  EXPECT_EQ(number, -123456);
  reader.CloseNode();
  EXPECT_EQ(reader.CurrentNode(), nullptr);
  reader.CloseNode();  // at the root: stays there
  EXPECT_EQ(reader.CurrentNode(), nullptr);

  // The other section with the same identifier is reachable too.
  ASSERT_TRUE(reader.OpenSection(1, OtherGuid));
  EXPECT_TRUE(reader.ReadInteger(1, number));
  EXPECT_EQ(number, 111);
}

TEST(SDFReader, MissingSectionLeavesTheCurrentNode) {
  const Bytes bytes = Written([](TVxSDFWriter &w) {
    w.BeginSection(1, ModuleGuid);
    w.BeginIntegerNode(1, 0);
    w.EndNode();
    w.EndNode();
  });
  TVxSDFReader reader(std::make_unique<TVxMemoryStream>(bytes));
  EXPECT_FALSE(reader.OpenSection(1, OtherGuid));
  EXPECT_FALSE(reader.OpenSection(2, ModuleGuid));
  EXPECT_EQ(reader.CurrentNode(), nullptr);
  ASSERT_TRUE(reader.OpenSection(1, ModuleGuid));
  const TVxSDFNode *section = reader.CurrentNode();
  // The list node has identifier 1 but is no section.
  EXPECT_FALSE(reader.OpenSection(1, ModuleGuid));
  EXPECT_EQ(reader.CurrentNode(), section);
  EXPECT_FALSE(reader.OpenNode(7));
  EXPECT_EQ(reader.CurrentNode(), section);
  int32_t value = 5;
  EXPECT_FALSE(reader.ReadInteger(3, value));
  EXPECT_EQ(value, 5);
}

TEST(SDFReader, AcceptsOnlyKnownIntegerLayouts) {
  struct Case {
    const char *what;
    Bytes record;  // element 1
    int32_t expected;
  };
  const Case cases[] = {
      {"int32", {0x55, 1, 5, 4, 0x78, 0x56, 0x34, 0x12}, 0x12345678},
      {"int8 sign-extended", {0x55, 1, 1, 1, 0xFE}, -2},
      {"uint8 zero-extended", {0x55, 1, 2, 1, 0xFE}, 254},
      {"int16 sign-extended", {0x55, 1, 3, 2, 0x00, 0x80}, -32768},
      {"uint16 zero-extended", {0x55, 1, 4, 2, 0x00, 0x80}, 32768},
      {"int32 of the wrong length", {0x55, 1, 5, 2, 1, 0}, -7},
      {"int8 of the wrong length", {0x55, 1, 1, 2, 1, 0}, -7},
      {"string", {0x55, 1, 12, 2, 0x41, 0}, -7},
      {"raw bytes", {0x55, 1, 14, 4, 1, 0, 0, 0}, -7},
  };
  for (const Case &c : cases) {
    TVxSDFReader reader(std::make_unique<TVxMemoryStream>(c.record));
    int32_t value = -7;
    EXPECT_TRUE(reader.ReadInteger(1, value)) << c.what;
    EXPECT_EQ(value, c.expected) << c.what;
  }
}

TEST(SDFReader, StringsAndBinaryCheckTheirShape) {
  // element 1: integer; element 2: string of 3 bytes (odd); element 3: 2 raw bytes
  const Bytes bytes = {0x55, 1,    5, 4,    1,    0, 0,  0, 0x55, 2,   12,
                       3,    0x41, 0, 0x42, 0x55, 3, 14, 2, 0xAA, 0xBB};
  TVxSDFReader reader(std::make_unique<TVxMemoryStream>(bytes));
  std::u16string text = u"kept";
  EXPECT_TRUE(reader.ReadString(1, text));
  EXPECT_EQ(text, u"kept");
  EXPECT_TRUE(reader.ReadString(2, text));
  EXPECT_EQ(text, u"A");  // the odd last byte is no part of the text
  EXPECT_FALSE(reader.ReadString(4, text));

  uint8_t buffer[4] = {0, 0, 0, 0};
  EXPECT_FALSE(reader.ReadBinary(3, buffer, 3));
  EXPECT_EQ(buffer[0], 0);
  EXPECT_TRUE(reader.ReadBinary(1, buffer, 4));  // the type is not checked
  EXPECT_EQ(buffer[0], 1);
  EXPECT_TRUE(reader.ReadBinary(3, buffer, 2));
  EXPECT_EQ(buffer[1], 0xBB);
  EXPECT_FALSE(reader.ReadBinary(9, buffer, 0));
  bool flag = true;
  EXPECT_TRUE(reader.ReadBoolean(3, flag));  // raw bytes: no integer, flag unchanged
  EXPECT_TRUE(flag);
}

// Every prefix of a valid stream keeps exactly the records that are complete
// in it, and lookups never see a record cut by the end.
TEST(SDFReader, TruncatedStreamsKeepTheRecordsBeforeTheCut) {
  const Bytes full = Written([](TVxSDFWriter &w) {
    w.WriteInteger(1, 10);
    w.BeginSection(1, ModuleGuid);
    w.WriteInteger(1, 20);
    w.WriteString(2, u"abc");
    w.EndNode();
    w.WriteInteger(2, 30);
  });
  // End offsets of the records, in stream order.
  const size_t afterFirst = 8, afterSectionHeader = afterFirst + 20,
               afterInner = afterSectionHeader + 8, afterString = afterInner + 10,
               afterEnd = afterString + 1;
  ASSERT_EQ(full.size(), afterEnd + 8);
  for (size_t cut = 0; cut <= full.size(); ++cut) {
    TVxSDFReader reader(std::make_unique<TVxMemoryStream>(Bytes(full.begin(), full.begin() + cut)));
    int32_t value = 0;
    EXPECT_EQ(reader.ReadInteger(1, value), cut >= afterFirst) << cut;
    EXPECT_EQ(reader.ReadInteger(2, value), cut == full.size()) << cut;
    const bool section = reader.OpenSection(1, ModuleGuid);
    EXPECT_EQ(section, cut >= afterSectionHeader) << cut;
    if (!section) continue;
    EXPECT_EQ(reader.ReadInteger(1, value), cut >= afterInner) << cut;
    std::u16string text;
    EXPECT_EQ(reader.ReadString(2, text), cut >= afterString) << cut;
  }
}

TEST(SDFReader, DamagedRecordsEndTheParse) {
  struct Case {
    const char *what;
    Bytes bytes;
    bool secondReadable;  // element 2 after element 1
  };
  const Bytes first = {0x55, 1, 5, 4, 1, 0, 0, 0};
  auto with = [&](Bytes tail) {
    Bytes out = first;
    out.insert(out.end(), tail.begin(), tail.end());
    return out;
  };
  const Case cases[] = {
      {"end record at the root", with({0x00, 0x55, 2, 5, 4, 2, 0, 0, 0}), false},
      {"payload longer than the stream", with({0x57, 2, 5, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2}), false},
      {"length field cut", with({0x56, 2, 5, 0x04}), false},
      {"intact", with({0x55, 2, 5, 4, 2, 0, 0, 0}), true},
      {"node kind 2 counts as a node",
       with({0x95, 7, 5, 4, 0, 0, 0, 0, 0x00, 0x55, 2, 5, 4, 2, 0, 0, 0}), true},
  };
  for (const Case &c : cases) {
    TVxSDFReader reader(std::make_unique<TVxMemoryStream>(c.bytes));
    int32_t value = 0;
    EXPECT_TRUE(reader.ReadInteger(1, value)) << c.what;
    EXPECT_EQ(value, 1) << c.what;
    EXPECT_EQ(reader.ReadInteger(2, value), c.secondReadable) << c.what;
  }
}

TEST(SDFReader, UnclosedNodeStillLeavesTheRootReachable) {
  const Bytes bytes = Written([](TVxSDFWriter &w) {
    w.WriteInteger(1, 1);
    w.BeginSection(1, ModuleGuid);
    w.BeginIntegerNode(3, 1);
    w.WriteInteger(1, 42);
  });
  TVxSDFReader reader(std::make_unique<TVxMemoryStream>(bytes));
  EXPECT_EQ(reader.CurrentNode(), nullptr);
  ASSERT_TRUE(reader.OpenSection(1, ModuleGuid));
  ASSERT_TRUE(reader.OpenNode(3));
  int32_t value = 0;
  EXPECT_TRUE(reader.ReadInteger(1, value));
  EXPECT_EQ(value, 42);
}

TEST(SDFReader, DeepNestingIsParsedAndFreedWithoutRecursion) {
  Bytes bytes(200000, 0xC0);  // node records with no fields, never closed
  TVxSDFReader reader(std::make_unique<TVxMemoryStream>(bytes));
  int depth = 0;
  while (reader.OpenNode(0)) ++depth;
  EXPECT_EQ(depth, 200000);
}

class CountingStream : public TVxMemoryStream {
 public:
  explicit CountingStream(int &freed) : Freed(freed) {}
  ~CountingStream() override { ++Freed; }

 private:
  int &Freed;
};

TEST(SDFStreams, OwnershipDecidesWhoFreesTheStream) {
  int freed = 0;
  {
    CountingStream stream(freed);
    TVxSDFWriter writer(&stream, false);
    TVxSDFReader reader(&stream, false);
  }
  EXPECT_EQ(freed, 1);  // only by leaving the scope
  { TVxSDFWriter writer(new CountingStream(freed), true); }
  { TVxSDFReader reader(new CountingStream(freed), true); }
  EXPECT_EQ(freed, 3);
}

TEST(SDFStreams, AConfigurationFileRoundTripsThroughTheFileSystem) {
  testsupport::TempDir dir;
  const auto path = dir / "velora.cfg";
  EXPECT_EQ(TVxFileStream::Open(path, TVxFileMode::Read), nullptr);
  EXPECT_EQ(TVxFileStream::Open(dir.Path(), TVxFileMode::Read), nullptr);
  {
    TVxSDFWriter writer(TVxFileStream::Open(path, TVxFileMode::Create));
    ASSERT_NE(writer.Stream(), nullptr);
    writer.BeginSection(1, ModuleGuid);
    writer.WriteString(1, u"Deutsch");
    writer.EndNode();
  }
  TVxSDFReader reader(TVxFileStream::Open(path, TVxFileMode::Read));
  ASSERT_TRUE(reader.OpenSection(1, ModuleGuid));
  std::u16string text;
  EXPECT_TRUE(reader.ReadString(1, text));
  EXPECT_EQ(text, u"Deutsch");
}

TEST(SDFStreams, MemoryAndFileStreamsSeekAlike) {
  testsupport::TempDir dir;
  TVxMemoryStream memory;
  auto file = TVxFileStream::Open(dir / "s", TVxFileMode::Create);
  ASSERT_NE(file, nullptr);
  for (TVxStream *stream :
       {static_cast<TVxStream *>(&memory), static_cast<TVxStream *>(file.get())}) {
    EXPECT_TRUE(stream->WriteAll("abcdef", 6));
    EXPECT_EQ(stream->Seek(-2, TVxSeekOrigin::End), 4);
    char two[3] = {};
    EXPECT_TRUE(stream->ReadExact(two, 2));
    EXPECT_STREQ(two, "ef");
    EXPECT_FALSE(stream->ReadExact(two, 1));
    EXPECT_EQ(stream->Seek(-1, TVxSeekOrigin::Begin), -1);
    EXPECT_EQ(stream->Position(), 6);
    EXPECT_EQ(stream->Seek(10, TVxSeekOrigin::Begin), 10);  // past the end, like files
    EXPECT_EQ(stream->Read(two, 1), 0u);
    EXPECT_EQ(stream->Size(), 6);
    EXPECT_TRUE(stream->WriteAll("g", 1));  // fills the gap
    EXPECT_EQ(stream->Size(), 11);
  }
}

}  // namespace
