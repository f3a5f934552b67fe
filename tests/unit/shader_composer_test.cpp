// The composed metaball fragment shader: its exact text and which pieces each setting writes.
#include "render/shaders/shader_composer.h"

#include <gtest/gtest.h>

namespace {

SaverSettings with(int32_t funcType, bool feather, bool contour, uint32_t nBalls = 12) {
  SaverSettings s = defaultSettings;
  s.func_type = funcType;
  s.feather = feather;
  s.contour = contour;
  s.nBalls = nBalls;
  return s;
}

bool contains(const std::string& text, const std::string& piece) {
  return text.find(piece) != std::string::npos;
}

const char* const defaultText =
    "const int MAX_BALLS = 12;\n"
    "uniform float THRESHOLD;\n"
    "uniform vec3 ball[MAX_BALLS];\n"
    "uniform vec3 color[MAX_BALLS];\n"
    "uniform float falloff[MAX_BALLS];\n"
    "uniform float blobHeight;\n"
    "void main(){\n"
    "\tfloat totalDensity = .0, density;\n"
    "\tvec4 outColor = vec4(.8, .0, .6,1.0);\n"
    "\tvec4 addColor = vec4(.0, .0, .0, 1.0);\n"
    "\tfor (int i = 0; i < MAX_BALLS; i++){\n"
    "\t\tvec3 d = ball[i] - gl_FragCoord.xyz;\n"
    "\t\tdensity = blobHeight*exp(-falloff[i]*dot(d, d));\n"
    "\t\ttotalDensity +=  density;\n"
    "\t\taddColor.xyz += density*color[i];\n"
    "\t}\n"
    "\ttotalDensity += exp(-.002*gl_FragCoord.y*gl_FragCoord.y);\tfloat diff = totalDensity-THRESHOLD;\n"
    "\tif (diff > .0)\n"
    "\t\tgl_FragColor = normalize(addColor)*1.1;\n"
    "\telse\n"
    "\t\tgl_FragColor = vec4(.0, .0, .0, 1.0);\n"
    "}\n";

TEST(ShaderComposer, DefaultSettingsGiveTheExactDefaultText) {
  const std::string text = composeMetaballShader(defaultSettings);
  EXPECT_EQ(text.size(), 696u);
  EXPECT_EQ(text, defaultText);
}

TEST(ShaderComposer, LengthsOfEveryCombinationForTwelveBalls) {
  const size_t lengths[3][4] = {{696, 771, 799, 888}, {702, 777, 805, 894}, {699, 774, 802, 891}};
  for (int32_t funcType = 0; funcType < 3; ++funcType) {
    for (int column = 0; column < 4; ++column) {
      const bool feather = column == 1 || column == 3;
      const bool contour = column >= 2;
      EXPECT_EQ(composeMetaballShader(with(funcType, feather, contour)).size(),
                lengths[funcType][column])
          << "func_type " << funcType << " feather " << feather << " contour " << contour;
    }
  }
}

TEST(ShaderComposer, TheCountIsWrittenPlainAndUnbounded) {
  EXPECT_EQ(composeMetaballShader(with(0, false, false, 1)).size(), 695u);
  EXPECT_EQ(composeMetaballShader(with(0, false, false, 100)).size(), 697u);
  EXPECT_EQ(composeMetaballShader(with(0, false, false, 20)).rfind("const int MAX_BALLS = 20;\n", 0),
            0u);
  EXPECT_TRUE(contains(composeMetaballShader(with(0, false, false, 4294967295u)),
                       "MAX_BALLS = 4294967295;"));
}

TEST(ShaderComposer, AnUnknownDistanceFunctionWritesNoDensityLine) {
  const std::string text = composeMetaballShader(with(7, false, false));
  EXPECT_EQ(text.size(), 645u);
  EXPECT_FALSE(contains(text, "density = blobHeight"));
  EXPECT_EQ(composeMetaballShader(with(-1, false, false)), text);
}

TEST(ShaderComposer, EachDistanceFunctionWritesOnlyItsOwnLine) {
  const std::string exp1 = composeMetaballShader(with(1, false, false));
  EXPECT_TRUE(contains(exp1, "\t\tdensity = blobHeight*exp(-100.0*falloff[i]*length(d));\n"));
  EXPECT_FALSE(contains(exp1, "dot(d, d)"));
  const std::string cosine = composeMetaballShader(with(2, false, false));
  EXPECT_TRUE(contains(cosine, "\t\tdensity = blobHeight*cos(.05*falloff[i]*dot(d, d));\n"));
  EXPECT_FALSE(contains(cosine, "exp(-falloff") || contains(cosine, "length(d)"));
}

TEST(ShaderComposer, ContourWithoutFeatherDrawsAHardLine) {
  const std::string text = composeMetaballShader(with(0, false, true));
  EXPECT_TRUE(contains(text, "\tfloat tt = abs(THRESHOLD*.5 - totalDensity);\n"));
  EXPECT_TRUE(contains(text, "\telse if (tt< .05)\n\t\tgl_FragColor = normalize(addColor);\n"));
  EXPECT_FALSE(contains(text, "diff>-.05"));
  EXPECT_FALSE(contains(text, "1.0-tt*20.0"));
}

TEST(ShaderComposer, FeatherWithoutContourDrawsOnlyTheBand) {
  const std::string text = composeMetaballShader(with(0, true, false));
  EXPECT_TRUE(contains(text, "\telse if (diff>-.05)\n\t\tgl_FragColor = "
                             "normalize(addColor)*(1.0+diff*20.0);\n"));
  EXPECT_FALSE(contains(text, "tt"));
}

TEST(ShaderComposer, FeatherAndContourChainBandThenSoftLineThenBlack) {
  const std::string text = composeMetaballShader(with(0, true, true));
  const size_t inside = text.find("if (diff > .0)");
  const size_t band = text.find("else if (diff>-.05)");
  const size_t line = text.find("else if (tt< .05)\n\t\tgl_FragColor = normalize(addColor)*(1.0-tt*20.0);");
  const std::string ending = "\telse\n\t\tgl_FragColor = vec4(.0, .0, .0, 1.0);\n}\n";
  const size_t black = text.find(ending);
  ASSERT_NE(line, std::string::npos);
  EXPECT_LT(inside, band);
  EXPECT_LT(band, line);
  EXPECT_LT(line, black);
  EXPECT_EQ(black + ending.size(), text.size());  // the black branch ends the text
}

TEST(ShaderComposer, UnchangedSettingsGiveTheSameText) {
  const SaverSettings s = with(2, true, true, 9);
  EXPECT_EQ(composeMetaballShader(s), composeMetaballShader(s));
  EXPECT_EQ(composeMetaballShader(s).find('\r'), std::string::npos);
}

}  // namespace
