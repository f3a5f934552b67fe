// The Linux program's command line: the Windows defaults, each setting's form, where it
// draws, and one case of each kind of refusal with the line that names the option.
#include <gtest/gtest.h>

#include <vector>

#include "host_x11/options.h"

namespace {

// Parses the arguments after the program name, with XSCREENSAVER_WINDOW as given.
ParsedOptions parse(std::vector<const char*> args, const char* screensaverWindow = nullptr) {
  args.insert(args.begin(), "vorlixss");
  return parseOptions(static_cast<int>(args.size()), args.data(), screensaverWindow);
}

TEST(Options, NoArgumentsGiveTheWindowsDefaultsInAWindowOfItsOwn) {
  const ParsedOptions p = parse({});
  ASSERT_EQ(p.error, "");
  const SaverSettings& s = p.options.settings;
  EXPECT_EQ(s.nBalls, 12u);
  EXPECT_FALSE(s.motionBlur || s.feather || s.contour);
  EXPECT_EQ(s.blobbiness, 1u);
  EXPECT_EQ(s.maxRadius, 50u);
  EXPECT_EQ(s.minRadius, 30u);
  EXPECT_EQ(s.springK, 20u);
  EXPECT_EQ(s.damping, 0u);
  EXPECT_EQ(s.func_type, 0);
  EXPECT_EQ(p.options.place, DrawPlace::ownWindow);
  EXPECT_EQ(p.options.width, 1280u);
  EXPECT_EQ(p.options.height, 720u);
  EXPECT_FALSE(p.options.showFps || p.options.seeded);
}

TEST(Options, EverySettingInBothFormsAndDashCounts) {
  const ParsedOptions p =
      parse({"-count", "20", "--distance=cos", "--max-radius", "200", "-min-radius=10",
             "--blobbiness", "300", "--spring", "0", "--damping=100", "--ghosting", "-feather",
             "--contour", "--no-feather", "--fps", "--seed", "4294967295", "--geometry", "64x48"});
  ASSERT_EQ(p.error, "");
  const SaverSettings& s = p.options.settings;
  EXPECT_EQ(s.nBalls, 20u);
  EXPECT_EQ(s.func_type, 2);
  EXPECT_EQ(s.maxRadius, 200u);
  EXPECT_EQ(s.minRadius, 10u);
  EXPECT_EQ(s.blobbiness, 300u);
  EXPECT_EQ(s.springK, 0u);
  EXPECT_EQ(s.damping, 100u);
  EXPECT_TRUE(s.motionBlur && s.contour);
  EXPECT_FALSE(s.feather);  // the later form wins
  EXPECT_TRUE(p.options.showFps && p.options.seeded);
  EXPECT_EQ(p.options.seed, 4294967295u);
  EXPECT_EQ(p.options.width, 64u);
  EXPECT_EQ(p.options.height, 48u);
  EXPECT_EQ(parse({"--distance", "abs"}).options.settings.func_type, 1);
}

TEST(Options, TheScreensaversWindowWinsOverRootAndWindowId) {
  EXPECT_EQ(parse({"--root"}).options.place, DrawPlace::rootWindow);
  const ParsedOptions decimal = parse({"--window-id", "4194312"});
  EXPECT_EQ(decimal.options.place, DrawPlace::givenWindow);
  EXPECT_EQ(decimal.options.windowId, 4194312u);
  const ParsedOptions fromDaemon = parse({"--root", "--window-id", "77"}, "0x400008");
  EXPECT_EQ(fromDaemon.options.place, DrawPlace::givenWindow);
  EXPECT_EQ(fromDaemon.options.windowId, 0x400008u);
  EXPECT_EQ(parse({"--root"}, "").options.place, DrawPlace::rootWindow);  // set but empty
}

TEST(Options, EachKindOfBadCommandLineNamesTheOptionAndWhatItAccepts) {
  const struct {
    std::vector<const char*> args;
    const char* error;
  } cases[] = {
      {{"--count", "21"}, "--count takes a whole number from 1 to 20, not \"21\""},
      {{"--blobbiness", "-1"}, "--blobbiness takes a whole number from 0 to 300, not \"-1\""},
      {{"--spring", "1e2"}, "--spring takes a whole number from 0 to 200, not \"1e2\""},
      {{"--damping"}, "--damping takes a whole number from 0 to 100"},
      {{"--seed", "4294967296"},
       "--seed takes a whole number from 0 to 4294967295, not \"4294967296\""},
      {{"--distance", "gauss"}, "--distance takes exp, abs or cos, not \"gauss\""},
      {{"--window-id", "0x"},
       "--window-id takes a window id (decimal, or hexadecimal after 0x), not \"0x\""},
      {{"--geometry", "1280x0"},
       "--geometry takes WIDTHxHEIGHT, each from 1 to 16384, not \"1280x0\""},
      {{"--ghosting=1"}, "--ghosting takes no value"},
      {{"--colour"}, "unknown option \"--colour\" (vorlixss --help lists the options)"},
      {{"balls"}, "unexpected argument \"balls\" (vorlixss --help lists the options)"},
      {{"--min-radius", "60"},
       "--min-radius 60: Cannot have min radius bigger than max (--max-radius 50)"},
  };
  for (const auto& c : cases) EXPECT_EQ(parse(c.args).error, c.error);
  EXPECT_EQ(parse({}, "window").error,
            "XSCREENSAVER_WINDOW takes a window id (decimal, or hexadecimal after 0x), not "
            "\"window\"");
}

}  // namespace
