// The probe's decision for every combination of flags that matters, including which flags
// it never reads once it has found a lack.
#include "render/context/probe_verdict.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <set>
#include <string>
#include <vector>

namespace {

// A driver with the given flags set; records every flag read, in order.
struct FakeFlags {
  std::set<ProbeFlag> present;
  std::vector<ProbeFlag> reads;
};
bool readFake(ProbeFlag flag, void* context) {
  auto* flags = static_cast<FakeFlags*>(context);
  flags->reads.push_back(flag);
  return flags->present.count(flag) != 0;
}

constexpr ProbeFlag allFlags[] = {
    ProbeFlag::shadingLanguage100, ProbeFlag::vertexProgram,    ProbeFlag::fragmentProgram,
    ProbeFlag::version20,          ProbeFlag::nvVertexProgram3, ProbeFlag::nvVertexProgram2,
    ProbeFlag::nvFragmentProgram2};

// Every flag but the ones named.
FakeFlags allBut(std::initializer_list<ProbeFlag> missing) {
  FakeFlags flags;
  for (ProbeFlag flag : allFlags) flags.present.insert(flag);
  for (ProbeFlag flag : missing) flags.present.erase(flag);
  return flags;
}

std::string text(const char* value) { return value ? value : "<none>"; }

TEST(ProbeVerdict, FullDriverShowsNothingAndSucceeds) {
  FakeFlags flags = allBut({});
  const ProbeVerdict verdict = decideShaderSupport(readFake, &flags);
  EXPECT_TRUE(verdict.supported);
  EXPECT_EQ(verdict.boxTitle, nullptr);
  EXPECT_EQ(verdict.outputLine, nullptr);
  EXPECT_EQ(flags.reads, (std::vector<ProbeFlag>{ProbeFlag::shadingLanguage100,
                                                 ProbeFlag::vertexProgram,
                                                 ProbeFlag::fragmentProgram, ProbeFlag::version20}));
}

TEST(ProbeVerdict, LackOfOnlyGl20WarnsAndSucceeds) {
  FakeFlags flags = allBut({ProbeFlag::version20});
  const ProbeVerdict verdict = decideShaderSupport(readFake, &flags);
  EXPECT_TRUE(verdict.supported);
  EXPECT_EQ(text(verdict.boxTitle), "Warning");
  EXPECT_EQ(text(verdict.boxText),
            "OpenGL 2.0 not supported, therefore using ARB extension for GLSL shaders\n");
  EXPECT_EQ(verdict.outputLine, nullptr);
}

TEST(ProbeVerdict, LackOfShadingLanguageReadsNothingElse) {
  FakeFlags flags = allBut({ProbeFlag::shadingLanguage100, ProbeFlag::vertexProgram,
                            ProbeFlag::fragmentProgram, ProbeFlag::version20});
  const ProbeVerdict verdict = decideShaderSupport(readFake, &flags);
  EXPECT_FALSE(verdict.supported);
  EXPECT_EQ(text(verdict.boxTitle), "Error");
  EXPECT_EQ(text(verdict.boxText), "Shading language not supported\n");
  EXPECT_EQ(verdict.outputLine, nullptr);
  EXPECT_EQ(flags.reads, std::vector<ProbeFlag>{ProbeFlag::shadingLanguage100});
}

TEST(ProbeVerdict, LackOfVertexProgramsNamesNvVertexProgram3BeforeVersion2) {
  FakeFlags flags = allBut({ProbeFlag::vertexProgram});
  const ProbeVerdict verdict = decideShaderSupport(readFake, &flags);
  EXPECT_FALSE(verdict.supported);
  EXPECT_EQ(text(verdict.boxTitle), "Error");
  EXPECT_EQ(text(verdict.boxText), "No vertex shader support\n");
  EXPECT_EQ(text(verdict.outputLine), "But supports NV vertex program 3\n");
  // Neither the fragment flags nor GL 2.0 are read, nor version 2 once 3 is found.
  EXPECT_EQ(flags.reads, (std::vector<ProbeFlag>{ProbeFlag::shadingLanguage100,
                                                 ProbeFlag::vertexProgram,
                                                 ProbeFlag::nvVertexProgram3}));
}

TEST(ProbeVerdict, LackOfVertexProgramsFallsBackToNvVertexProgram2OrNoLine) {
  FakeFlags version2 = allBut({ProbeFlag::vertexProgram, ProbeFlag::nvVertexProgram3});
  EXPECT_EQ(text(decideShaderSupport(readFake, &version2).outputLine),
            "But supports NV vertex program 2\n");
  FakeFlags neither = allBut({ProbeFlag::vertexProgram, ProbeFlag::nvVertexProgram3,
                              ProbeFlag::nvVertexProgram2});
  const ProbeVerdict verdict = decideShaderSupport(readFake, &neither);
  EXPECT_EQ(text(verdict.boxText), "No vertex shader support\n");
  EXPECT_EQ(verdict.outputLine, nullptr);
}

TEST(ProbeVerdict, LackOfFragmentProgramsNeverReadsGl20) {
  FakeFlags flags = allBut({ProbeFlag::fragmentProgram, ProbeFlag::version20});
  const ProbeVerdict verdict = decideShaderSupport(readFake, &flags);
  EXPECT_FALSE(verdict.supported);
  EXPECT_EQ(text(verdict.boxTitle), "Error");
  EXPECT_EQ(text(verdict.boxText), "No fragment shader support\n");
  EXPECT_EQ(text(verdict.outputLine), "But supports NV fragment program 2\n");
  EXPECT_EQ(flags.reads, (std::vector<ProbeFlag>{
                             ProbeFlag::shadingLanguage100, ProbeFlag::vertexProgram,
                             ProbeFlag::fragmentProgram, ProbeFlag::nvFragmentProgram2}));
  FakeFlags withoutNv = allBut({ProbeFlag::fragmentProgram, ProbeFlag::nvFragmentProgram2});
  EXPECT_EQ(decideShaderSupport(readFake, &withoutNv).outputLine, nullptr);
}

}  // namespace
