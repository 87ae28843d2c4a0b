// The plug-in library in a host of ours: its property list, its selectors
// and every way a start can end short of the real editor, whose part is
// PluginEditorTest. The "editors" here are scripts and a resizing stand-in,
// started by the plug-in exactly as it starts the editor.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "PluginHost.h"
#include "platform/NamedMutex.h"
#include "plugin/VxPluginProperties.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace pluginhost;
using testing::HasSubstr;

uint32_t Int32(const std::vector<uint8_t> &b, size_t at) {
  return static_cast<uint32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | b[at + 3] << 24);
}

std::string Code(const std::vector<uint8_t> &b, size_t at) {
  return {static_cast<char>(b[at + 3]), static_cast<char>(b[at + 2]), static_cast<char>(b[at + 1]),
          static_cast<char>(b[at])};
}

class PluginHostTest : public testing::Test {
 protected:
  // Installs editor as the plug-in's editor and loads the library.
  void Load(const std::string &editor) {
    InstallEditor(Dir.Path(), editor);
    Library = std::make_unique<TPluginLibrary>(VELORA_PLUGIN_LIBRARY);
    ASSERT_TRUE(Library->Loaded()) << Library->Why();
  }
  // An editor that is a shell script ending with code.
  std::string ScriptEditor(int code) {
    const fs::path script = Dir / "editor.sh";
    std::ofstream(script) << "#!/bin/sh\nexit " << code << "\n";
    fs::permissions(script, fs::perms::owner_all);
    return script.string();
  }
  // Runs selector 3 over host; the result, with what the plug-in said.
  int16_t Start(THost &host, std::string &said) {
    testing::internal::CaptureStderr();
    const int16_t result = host.Run(*Library, VxFilterSelectorStart);
    said = testing::internal::GetCapturedStderr();
    return result;
  }
  static void ExpectRectsCleared(const VxFilterRecord &r) {
    for (const VxFilterRect &rect : {r.inRect, r.outRect, r.maskRect})
      EXPECT_TRUE(rect.top == 0 && rect.left == 0 && rect.bottom == 0 && rect.right == 0);
  }

  testsupport::TempDir Dir;
  std::unique_ptr<TPluginLibrary> Library;
};

// The list a host reads, walked as a host walks it.
TEST_F(PluginHostTest, ThePropertyListNamesTheFilterItsMenuAndItsEntryPoint) {
  Load("");
  const std::vector<uint8_t> list = Library->Properties();
  ASSERT_GE(list.size(), 10u);
  EXPECT_EQ(list[0] | list[1] << 8, 1);
  EXPECT_EQ(Int32(list, 2), 0u);
  ASSERT_EQ(Int32(list, 6), 8u);
  struct TExpected {
    const char *Key;
    std::vector<uint8_t> Data;
  };
  const auto text = [](std::string s, bool prefixed) {
    std::vector<uint8_t> d(s.begin(), s.end());
    if (prefixed)
      d.insert(d.begin(), static_cast<uint8_t>(s.size()));
    else
      d.push_back(0);
    return d;
  };
  const TExpected expected[] = {
      {"kind", {'M', 'F', 'B', '8'}},
      {"name", text("Velora...", true)},
      {"catg", text("Lumetra", true)},
      {"vers", {5, 0, 2, 0}},
      {"wx86", text("ENTRYPOINT", false)},
      {"mode", {0x10, 0, 0, 0}},
      {"enbl", text("in (PSHOP_ImageMode,RGBMode)", false)},
      {"fici",
       {1, 1, 7, 0, 1, 1, 15, 0, 1, 1, 15, 0, 1, 1, 7, 0, 1, 1, 15, 0, 1, 1, 7, 0, 1, 1, 15, 0}},
  };
  size_t at = 10;
  for (const TExpected &e : expected) {
    SCOPED_TRACE(e.Key);
    ASSERT_LE(at + 16, list.size());
    EXPECT_EQ(Code(list, at), "8BIM");
    EXPECT_EQ(Code(list, at + 4), e.Key);
    EXPECT_EQ(Int32(list, at + 8), 0u);
    const uint32_t length = Int32(list, at + 12);
    ASSERT_LE(at + 16 + length, list.size());
    EXPECT_EQ(std::vector<uint8_t>(list.begin() + static_cast<long>(at) + 16,
                                   list.begin() + static_cast<long>(at + 16 + length)),
              e.Data);
    at += 16 + (length + 3) / 4 * 4;
  }
  EXPECT_EQ(at, list.size());
  const auto built = pluginproperties::Bytes();
  EXPECT_EQ(list, std::vector<uint8_t>(built.begin(), built.end()));
}

// As the editor does, the loaded library holds the program's named mutex,
// and lets it go when the host unloads it.
TEST_F(PluginHostTest, HoldsTheNamedMutexWhileLoaded) {
  Load("");  // the name's lock lives in this test's own temporary folder from here
  EXPECT_TRUE(platform::NamedMutex::IsHeldByAnyone("VeloraMutexName"));
  Library.reset();
  EXPECT_FALSE(platform::NamedMutex::IsHeldByAnyone("VeloraMutexName"));
}

TEST_F(PluginHostTest, AnswersEverySelectorItKnowsAndRefusesTheRest) {
  Load("");
  THost host(4, 4, 3, 12, {0, 0, 4, 4});
  testing::internal::CaptureStderr();
  EXPECT_EQ(host.Run(*Library, VxFilterSelectorAbout), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "About Velora Plug-in: Velora Plug-in\nVersion: 2.2.8\n"
            "Retouch the image in the Velora portrait editor.\n");
  for (int16_t selector : {1, 2, 4, 5}) EXPECT_EQ(host.Run(*Library, selector), 0) << selector;
  for (int16_t selector : {6, 9, -1, 32767})
    EXPECT_EQ(host.Run(*Library, selector), -30100) << selector;
  EXPECT_EQ(host.InputRequests + host.OutputRequests, 0);
  EXPECT_TRUE(host.OutputUntouched());
}

TEST_F(PluginHostTest, WithoutTheHostsPixelsNothingStarts) {
  Load(ScriptEditor(0));
  for (bool noAdvance : {true, false}) {
    SCOPED_TRACE(noAdvance ? "no advanceState" : "the host refuses");
    THost host(8, 8, 3, 24, {2, 2, 6, 6});
    if (noAdvance) host.Record.advanceState = nullptr;
    host.RefuseInput = true;
    std::string said;
    EXPECT_EQ(Start(host, said), -23);
    EXPECT_EQ(said, "Error: Get image data error.\n");
    ExpectRectsCleared(host.Record);
    EXPECT_TRUE(host.OutputUntouched());
    EXPECT_THAT(ExchangeFilesLeft(Dir.Path()), testing::IsEmpty());
  }
}

// No editor installed, or one that is gone: the error names the path the
// plug-in tried and the system's number, and the host keeps its image.
TEST_F(PluginHostTest, AnEditorThatCannotStartIsNamedInTheError) {
  for (const std::string &path : {std::string(), (Dir / "gone" / "velora").string()}) {
    SCOPED_TRACE(path);
    Load(path);
    THost host(8, 8, 3, 24, {0, 0, 8, 8});
    std::string said;
    EXPECT_EQ(Start(host, said), -23);
    EXPECT_EQ(said, "Error: Execute application \"" + path + "\" error: 2\n");
    EXPECT_TRUE(host.OutputUntouched());
    ExpectRectsCleared(host.Record);
    EXPECT_THAT(ExchangeFilesLeft(Dir.Path()), testing::IsEmpty());
    Library.reset();
  }
}

// An editor that ends with 0 without writing leaves the plug-in's own
// pixels, four bytes each: they come back into the selection as they went.
TEST_F(PluginHostTest, OkAndCancelDecideWhetherThePixelsComeBack) {
  struct TCase {
    int ExitCode;
    int16_t Result;
  };
  for (const TCase &c : {TCase{0, 0}, TCase{255, -128}, TCase{1, -128}}) {
    SCOPED_TRACE(c.ExitCode);
    Load(ScriptEditor(c.ExitCode));
    THost host(160, 90, 4, 640, {50, 100, 80, 150});
    std::string said;
    EXPECT_EQ(Start(host, said), c.Result);
    EXPECT_EQ(said, "");
    if (c.Result == 0) {
      EXPECT_EQ(host.CheckReturned(4), "");
    } else {
      EXPECT_TRUE(host.OutputUntouched());
    }
    EXPECT_EQ(host.OutputRequests, c.Result == 0 ? 1 : 0);
    ExpectRectsCleared(host.Record);
    EXPECT_THAT(ExchangeFilesLeft(Dir.Path()), testing::IsEmpty());
    Library.reset();
  }
}

TEST_F(PluginHostTest, AnAnswerOfAnotherSizeIsNotCopied) {
  Load(EXCHANGE_RESIZER);
  THost host(40, 30, 3, 120, {5, 10, 25, 30});
  std::string said;
  EXPECT_EQ(Start(host, said), -128);
  EXPECT_EQ(said, "Error: Transfer image data error.\n");
  EXPECT_TRUE(host.OutputUntouched());
  EXPECT_THAT(ExchangeFilesLeft(Dir.Path()), testing::IsEmpty());
}

TEST_F(PluginHostTest, AHostThatRefusesTheOutputKeepsItsImage) {
  Load(ScriptEditor(0));
  THost host(8, 8, 3, 24, {0, 0, 8, 8});
  host.RefuseOutput = true;
  std::string said;
  EXPECT_EQ(Start(host, said), -128);
  EXPECT_EQ(said, "Error: Get out image data error.\n");
  EXPECT_TRUE(host.OutputUntouched());
  EXPECT_THAT(ExchangeFilesLeft(Dir.Path()), testing::IsEmpty());
}

// The exchange file's blocks are taken before a pixel is stored, so a full
// temporary folder is an error message, not the host killed by a signal.
TEST_F(PluginHostTest, AFullTemporaryFolderIsAnErrorNotACrash) {
  testsupport::TinyFileSystem disk(256 * 1024);
  if (!disk.Mounted()) GTEST_SKIP() << disk.Why();
  Load(ScriptEditor(0));
  setenv("TMPDIR", disk.Path().c_str(), 1);
  ASSERT_TRUE(disk.Fill());
  THost host(400, 300, 4, 1600, {0, 0, 300, 400});
  std::string said;
  EXPECT_EQ(Start(host, said), -23);
  EXPECT_EQ(said, "Error: Create temp file error.\n");
  EXPECT_TRUE(host.OutputUntouched());
  for (const auto &entry : fs::directory_iterator(disk.Path()))
    EXPECT_EQ(entry.path().filename(), ".filler");
}

}  // namespace
