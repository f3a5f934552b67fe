// The page's settings from text: every kind of setting at its edges, the refusals that leave
// the setting as it was, the panel's radius rule, and the table the panel is built from.
#include <gtest/gtest.h>

#include <algorithm>

#include "host_web/page_options.h"

namespace {

TEST(PageOptions, GoodValuesOfEachKindAtTheirEdges) {
  SaverSettings s = defaultSettings;
  const char* const good[][2] = {{"count", "1"},     {"count", "20"},      {"spring", "0"},
                                 {"damping", "100"}, {"distance", "cos"},  {"ghosting", "on"},
                                 {"feather", "true"}, {"contour", "1"},    {"contour", "no"}};
  for (const auto& pair : good)
    EXPECT_EQ(applyPageOption(s, pair[0], pair[1]), "") << pair[0] << "=" << pair[1];
  EXPECT_EQ(s.nBalls, 20u);
  EXPECT_EQ(s.springK, 0u);
  EXPECT_EQ(s.damping, 100u);
  EXPECT_EQ(s.func_type, 2);
  EXPECT_TRUE(s.motionBlur && s.feather);
  EXPECT_FALSE(s.contour);
  EXPECT_EQ(pageOptionValue(s, "distance"), 2);
  EXPECT_EQ(pageOptionValue(s, "ghosting"), 1);
  EXPECT_EQ(pageOptionValue(s, "colour"), -1);
}

TEST(PageOptions, BadValuesNameTheParameterAndWhatItTakesAndChangeNothing) {
  SaverSettings s = defaultSettings;
  EXPECT_EQ(applyPageOption(s, "count", "21"),
            "count takes a whole number from 1 to 20, not \"21\"");
  EXPECT_EQ(applyPageOption(s, "max-radius", "-5"),
            "max-radius takes a whole number from 10 to 200, not \"-5\"");
  EXPECT_EQ(applyPageOption(s, "blobbiness", ""),
            "blobbiness takes a whole number from 0 to 300, not \"\"");
  EXPECT_EQ(applyPageOption(s, "damping", "99999999999"),
            "damping takes a whole number from 0 to 100, not \"99999999999\"");
  EXPECT_EQ(applyPageOption(s, "distance", "EXP"), "distance takes exp, abs or cos, not \"EXP\"");
  EXPECT_EQ(applyPageOption(s, "ghosting", "2"),
            "ghosting takes 1 or 0 (or on/off, true/false, yes/no), not \"2\"");
  EXPECT_EQ(applyPageOption(s, "fps", "1"), "there is no setting \"fps\"");
  uint32_t seed = 7;
  EXPECT_EQ(readPageSeed("4294967296", seed),
            "seed takes a whole number from 0 to 4294967295, not \"4294967296\"");
  EXPECT_EQ(seed, 7u);
  EXPECT_EQ(readPageSeed("4294967295", seed), "");
  EXPECT_EQ(seed, 4294967295u);
  uint32_t numbers[settingCount], defaults[settingCount];
  settingsToNumbers(s, numbers);
  settingsToNumbers(defaultSettings, defaults);
  EXPECT_TRUE(std::equal(numbers, numbers + settingCount, defaults));
}

// The address may carry radii the wrong way round (drawn as the saver draws stored ones);
// only the panel refuses them.
TEST(PageOptions, RadiiTheWrongWayRoundAreKeptButTheirPanelRuleSpeaks) {
  SaverSettings s = defaultSettings;
  EXPECT_EQ(applyPageOption(s, "min-radius", "60"), "");
  EXPECT_EQ(s.minRadius, 60u);
  EXPECT_EQ(panelRadiusRule(s), "Cannot have min radius bigger than max");
  EXPECT_EQ(applyPageOption(s, "max-radius", "60"), "");
  EXPECT_EQ(panelRadiusRule(s), "");
}

TEST(PageOptions, TheTableForThePanelCarriesEveryRowInOrder) {
  const std::string json = settingsTableJson();
  EXPECT_EQ(json.rfind("[{\"option\":\"count\",\"label\":\"How many balls:\",\"low\":1,\"high\":20,"
                       "\"default\":12,\"kind\":\"number\"},{\"option\":\"ghosting\",", 0), 0u);
  EXPECT_NE(json.find("{\"option\":\"distance\",\"label\":\"Distance Func:\",\"low\":0,\"high\":2,"
                      "\"default\":0,\"kind\":\"choice\",\"choices\":[\"exp\",\"abs\",\"cos\"],"
                      "\"choiceLabels\":[\"exp( - D\u00b2 )\",\"exp( - |D| )\",\"cos( D )\"]}]"),
            std::string::npos);
  EXPECT_NE(json.find("\"option\":\"contour\",\"label\":\"Contours\",\"low\":0,\"high\":1,"
                      "\"default\":0,\"kind\":\"toggle\""),
            std::string::npos);
}

}  // namespace
