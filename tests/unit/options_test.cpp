// The Linux program's command line: the table's defaults, each setting's form and range,
// where it draws, one case of each kind of refusal with the line that names the option, and
// the random start of a run without --seed.
#include <gtest/gtest.h>

#include <vector>

#include "host_linux/options.h"

namespace {

// Parses the arguments after the program name, with XSCREENSAVER_WINDOW as given.
ParsedOptions parse(std::vector<const char*> args, const char* screensaverWindow = nullptr,
                    LinuxProgram program = LinuxProgram::x11) {
  args.insert(args.begin(), programName(program));
  return parseOptions(static_cast<int>(args.size()), args.data(), screensaverWindow, program);
}

TEST(Options, NoArgumentsGiveTheTablesDefaultsInAWindowOfItsOwn) {
  const ParsedOptions p = parse({});
  ASSERT_EQ(p.error, "");
  uint32_t given[settingCount];
  settingsToNumbers(p.options.settings, given);
  for (int i = 0; i < settingCount; ++i) EXPECT_EQ(given[i], settingTable[i].fallback) << i;
  EXPECT_EQ(p.options.place, DrawPlace::ownWindow);
  EXPECT_FALSE(p.options.showFps || p.options.seeded);
}

// Both ends of each range are taken and one beyond either end is refused.
TEST(Options, EachNumberTakesItsWholeRangeAndNothingBeyond) {
  for (const SettingInfo& s : settingTable) {
    if (s.high <= 2) continue;  // switches and the distance function
    SCOPED_TRACE(s.option);
    const std::string option = std::string("--") + s.option;
    const std::string refusal = option + " takes a whole number from " + std::to_string(s.low) +
                                " to " + std::to_string(s.high) + ", not \"";
    for (uint32_t n : {s.low, s.high})
      EXPECT_EQ(parse({option.c_str(), std::to_string(n).c_str()}).error, "");
    for (uint32_t n : {s.low - 1, s.high + 1}) {
      if (n == UINT32_MAX) continue;  // no number below 0
      const std::string value = std::to_string(n);
      EXPECT_EQ(parse({option.c_str(), value.c_str()}).error, refusal + value + "\"");
    }
  }
}

// A minimum radius above the maximum is taken: XScreenSaver's page cannot tie the two
// sliders, and the balls are drawn either way round.
TEST(Options, EverySettingInBothFormsAndDashCounts) {
  const ParsedOptions p =
      parse({"-count", "20", "--distance=cos", "--max-radius", "10", "-min-radius=200",
             "--blobbiness", "300", "--spring", "0", "--damping=100", "--ghosting", "-feather",
             "--contour", "--no-feather", "--fps", "--seed", "4294967295", "--geometry", "64x48",
             "--delay", "0", "--quality=fast"});
  ASSERT_EQ(p.error, "");
  uint32_t given[settingCount];
  settingsToNumbers(p.options.settings, given);  // store order; feather: the later form wins
  const uint32_t expected[settingCount] = {20, 1, 0, 1, 300, 10, 200, 0, 100, 2};
  for (int i = 0; i < settingCount; ++i) EXPECT_EQ(given[i], expected[i]) << i;
  EXPECT_TRUE(p.options.showFps && p.options.seeded);
  EXPECT_EQ(p.options.seed, 4294967295u);
  EXPECT_EQ(p.options.width, 64u);
  EXPECT_EQ(p.options.height, 48u);
  EXPECT_EQ(p.options.delayMicroseconds, 0u);
  EXPECT_EQ(parse({}).options.delayMicroseconds, 10000u);
  EXPECT_EQ(p.options.quality, DrawQuality::fast);
  EXPECT_EQ(parse({}).options.quality, DrawQuality::automatic);
  EXPECT_EQ(parse({"--distance", "abs"}).options.settings.func_type, 1);
  EXPECT_NE(optionsHelp().find("--fps, --no-fps"), std::string::npos);  // taken, so listed

  // A switch takes the page's words after "=", and only there.
  const ParsedOptions words =
      parse({"--ghosting=on", "--feather=yes", "--feather=false", "-contour=1", "--fps=true"});
  ASSERT_EQ(words.error, "");
  EXPECT_TRUE(words.options.settings.motionBlur && words.options.settings.contour &&
              words.options.showFps && !words.options.settings.feather);
  EXPECT_FALSE(parse({"--ghosting", "--fps=off", "--ghosting=no"}).options.settings.motionBlur);
  EXPECT_EQ(parse({"--fps", "1"}).error,
            "unexpected argument \"1\" (vorlixss --help lists the options)");

  // X's geometry: the size, and a place from the left and top or (after a minus) the far edges.
  const ParsedOptions placed = parse({"--geometry", "640x480-10+-20"});
  ASSERT_EQ(placed.error, "");
  EXPECT_TRUE(placed.options.placed && placed.options.fromRight && !placed.options.fromBottom);
  EXPECT_EQ(placed.options.x, 10);
  EXPECT_EQ(placed.options.y, -20);
  EXPECT_TRUE(parse({"--geometry==8x8+0-0"}).options.fromBottom);

  // -h, --help and --version end the program after their text.
  EXPECT_TRUE(parse({"-h"}).options.help && parse({"--help"}).options.help);
  EXPECT_TRUE(parse({"--version"}).options.version);
  EXPECT_EQ(versionLine(), "vorlixss 1.0\n");
  EXPECT_EQ(versionLine(LinuxProgram::wayland), "vorlixss-wayland 1.0\n");
  for (const char* listed : {"-h, --help", "--version", "--geometry WxH[+X+Y]"})
    EXPECT_NE(optionsHelp().find(listed), std::string::npos) << listed;
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
      {{"--blobbiness", "-1"}, "--blobbiness takes a whole number from 0 to 300, not \"-1\""},
      {{"--spring", "1e2"}, "--spring takes a whole number from 0 to 200, not \"1e2\""},
      {{"--damping"}, "--damping takes a whole number from 0 to 100"},
      {{"--seed", "4294967296"},
       "--seed takes a whole number from 0 to 4294967295, not \"4294967296\""},
      {{"--distance", "gauss"}, "--distance takes exp, abs or cos, not \"gauss\""},
      {{"--window-id", "0x"},
       "--window-id takes a window id (decimal, or hexadecimal after 0x), not \"0x\""},
      {{"--geometry", "1280x0"},
       "--geometry takes WIDTHxHEIGHT (each from 1 to 16384) or WIDTHxHEIGHT+X+Y, not "
       "\"1280x0\""},
      {{"--geometry", "64x48+1"},
       "--geometry takes WIDTHxHEIGHT (each from 1 to 16384) or WIDTHxHEIGHT+X+Y, not "
       "\"64x48+1\""},
      {{"--delay", "100001"}, "--delay takes a whole number from 0 to 100000, not \"100001\""},
      {{"--quality", "best"}, "--quality takes auto, exact or fast, not \"best\""},
      {{"--quality"}, "--quality takes auto, exact or fast"},
      {{"--ghosting=maybe"},
       "--ghosting takes 1 or 0 (or on/off, true/false, yes/no), not \"maybe\""},
      {{"-fps=ON"}, "-fps takes 1 or 0 (or on/off, true/false, yes/no), not \"ON\""},
      {{"--no-feather=1"}, "--no-feather takes no value"},
      {{"--root=1"}, "--root takes no value"},
      {{"--colour"}, "unknown option \"--colour\" (vorlixss --help lists the options)"},
      {{"-x"}, "unknown option \"-x\" (vorlixss --help lists the options)"},
      {{"balls"}, "unexpected argument \"balls\" (vorlixss --help lists the options)"},
  };
  for (const auto& c : cases) EXPECT_EQ(parse(c.args).error, c.error);
  const std::string huge(100000, '7');
  EXPECT_EQ(parse({"--count", huge.c_str()}).error,
            "--count takes a whole number from 1 to 20, not \"" + huge.substr(0, 40) +
                "\"... (100000 characters)");
  EXPECT_EQ(parse({}, "window").error,
            "XSCREENSAVER_WINDOW takes a window id (decimal, or hexadecimal after 0x), not "
            "\"window\"");
}

// The Wayland program takes the same settings and help, refuses X11's windows with the reason,
// ignores XScreenSaver's variable and names itself in its lines.
TEST(Options, TheWaylandProgramSharesTheSettingsAndRefusesX11Windows) {
  const LinuxProgram wayland = LinuxProgram::wayland;
  const ParsedOptions p = parse({"--root", "--count", "3", "--delay=50000"}, "0x400008", wayland);
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.options.place, DrawPlace::rootWindow);
  EXPECT_EQ(p.options.settings.nBalls, 3u);
  EXPECT_EQ(p.options.delayMicroseconds, 50000u);
  EXPECT_EQ(parse({"--window-id", "77"}, nullptr, wayland).error,
            "--window-id names an X11 window, and vorlixss-wayland draws on Wayland (on X11, "
            "vorlixss draws into a window)");
  EXPECT_EQ(parse({"-x"}, nullptr, wayland).error,
            "unknown option \"-x\" (vorlixss-wayland --help lists the options)");
  const std::string help = optionsHelp(wayland), x11Help = optionsHelp();
  EXPECT_EQ(help.rfind("Usage: vorlixss-wayland [OPTION]...\n", 0), 0u);
  EXPECT_EQ(help.find("window-id"), std::string::npos);
  EXPECT_EQ(help.substr(help.find("Settings")), x11Help.substr(x11Help.find("Settings")));
  // Wayland gives a client no say in where its window goes: the size counts, the place not.
  EXPECT_EQ(parse({"--geometry", "64x48+5+5"}, nullptr, wayland).options.width, 64u);
  EXPECT_NE(help.find("+X+Y is ignored"), std::string::npos);
  // --idle is the saver after a wait, for the Wayland program alone.
  const ParsedOptions idle = parse({"--idle", "86400"}, nullptr, wayland);
  EXPECT_EQ(idle.options.idleSeconds, 86400u);
  EXPECT_EQ(idle.options.place, DrawPlace::rootWindow);
  for (const char* bad : {"0", "86401"})
    EXPECT_EQ(parse({"--idle", bad}, nullptr, wayland).error,
              std::string("--idle takes a whole number from 1 to 86400 seconds, not \"") + bad + "\"");
  EXPECT_EQ(parse({"--idle", "60"}).error,
            "unknown option \"--idle\" (vorlixss --help lists the options)");
  // --lock draws where --root does; --daemonize only with it, and neither with --idle.
  const ParsedOptions lock = parse({"--lock", "--daemonize", "--count", "3"}, nullptr, wayland);
  EXPECT_TRUE(lock.options.lock && lock.options.daemonize);
  EXPECT_EQ(lock.options.place, DrawPlace::rootWindow);
  EXPECT_EQ(parse({"--daemonize"}, nullptr, wayland).error,
            "--daemonize goes with --lock (it returns once the session is locked)");
  EXPECT_NE(parse({"--lock", "--idle", "5"}, nullptr, wayland).error, "");
  EXPECT_NE(parse({"--lock"}).error, "");
}

// On battery auto draws fast and frames come at most 30 a second; what the user gave stands,
// and --no-battery-saver keeps the mains pace.
TEST(Options, OnBatteryThePaceIsLighterUnlessTheUserChoseIt) {
  const struct {
    std::vector<const char*> args;
    bool onBattery;
    DrawQuality quality;
    uint32_t delay;
  } cases[] = {
      {{}, false, DrawQuality::automatic, 10000},
      {{}, true, DrawQuality::fast, 33334},
      {{"--delay", "50000"}, true, DrawQuality::fast, 50000},
      {{"--delay", "0"}, true, DrawQuality::fast, 0},
      {{"--quality", "auto"}, true, DrawQuality::automatic, 33334},
      {{"--quality", "exact", "--delay", "10000"}, true, DrawQuality::exact, 10000},
      {{"--no-battery-saver"}, true, DrawQuality::automatic, 10000},
      {{"--battery-saver=off"}, true, DrawQuality::automatic, 10000},
  };
  for (const auto& c : cases) {
    const ParsedOptions p = parse(c.args, nullptr, LinuxProgram::wayland);
    ASSERT_EQ(p.error, "");
    const RunPace pace = paceFor(p.options, c.onBattery);
    EXPECT_EQ(pace.quality, c.quality) << c.args.size() << " " << c.onBattery;
    EXPECT_EQ(pace.delayMicroseconds, c.delay) << c.args.size() << " " << c.onBattery;
  }
}

// XScreenSaver starts one process per monitor in the same second: each must start apart.
TEST(Options, RunsStartedInTheSameSecondStartApart) {
  const uint32_t seed = startSeed(1765000000, 4242, 0x400008);
  EXPECT_NE(startSeed(1765000000, 4243, 0x400008), seed);
  EXPECT_NE(startSeed(1765000000, 4242, 0x400009), seed);
  EXPECT_NE(startSeed(1765000001, 4242, 0x400008), seed);
}

}  // namespace
