// The GL-free side of the shader object: which text a stage gets, the info-log cut, and
// how a source file is read.
#include "render/shaders/shader_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

TEST(ShaderSourceSelection, OnlyAnEmptyTextSelectsTheDefault) {
  EXPECT_EQ(selectShaderSource("", defaultFragmentSource), defaultFragmentSource);
  const std::string blank = " ";
  EXPECT_STREQ(selectShaderSource(blank, defaultFragmentSource), " ");
  const std::string text = "void main(){}";
  EXPECT_EQ(selectShaderSource(text, defaultVertexSource), text.c_str());
}

TEST(InfoLogCut, LogOf600CharactersKeepsItsFirst511) {
  std::string buffer(512, '\0');
  const std::string log(600, 'x');
  log.copy(&buffer[0], 511);  // what GL leaves: 511 characters and the NUL
  EXPECT_EQ(cutInfoLog(buffer.data(), 512), std::string(511, 'x'));
}

TEST(InfoLogCut, BufferWithoutNulStillStopsAt511) {
  const std::string full(512, 'y');
  EXPECT_EQ(cutInfoLog(full.data(), 512), std::string(511, 'y'));
}

TEST(InfoLogCut, ShortLogEndsAtItsNul) {
  char buffer[512] = "0:1(2): error: oops\n";
  EXPECT_EQ(cutInfoLog(buffer, sizeof buffer), "0:1(2): error: oops\n");
  char empty[512] = {};
  EXPECT_EQ(cutInfoLog(empty, sizeof empty), "");
}

class SourceLines : public ::testing::Test {
 protected:
  void TearDown() override { std::remove(path); }
  // Writes bytes to the test file and reads it back as source lines.
  std::string readBack(const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
    std::string text = "stale";
    EXPECT_TRUE(readSourceLines(path, text));
    return text;
  }
  const char* path = "shader_text_test_source.txt";
};

TEST_F(SourceLines, TwoLinesWithOrWithoutFinalLineFeedGiveOneMoreLineFeed) {
  EXPECT_EQ(readBack("a\nb\n"), "a\nb\n\n");
  EXPECT_EQ(readBack("a\nb"), "a\nb\n\n");
}

TEST_F(SourceLines, EmptyFileGivesOneLineFeed) { EXPECT_EQ(readBack(""), "\n"); }

TEST_F(SourceLines, EmptyLinesInsideAreKept) { EXPECT_EQ(readBack("a\n\n\nb\n"), "a\n\n\nb\n\n"); }

TEST_F(SourceLines, MissingFileIsReportedAndLeavesNoText) {
  std::remove(path);
  std::string text = "stale";
  EXPECT_FALSE(readSourceLines(path, text));
  EXPECT_EQ(text, "");
}

}  // namespace
