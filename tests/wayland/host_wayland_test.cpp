// The real vorlixss-wayland in a private headless sway: the saver on every output and each way
// it ends, an output added, swayidle starting it, --idle and a window inhibiting idle, its own
// window, its frames against the X11 program's and its frame timer, and starts that fail (on
// other compositors too: one without xdg_wm_base, and weston, which has no layer shell).
// NOTE: GoogleTest first: X11's None macro (of the X11 tests' helpers) would break its headers.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "../x11/x11_support.h"
#include "wayland_support.h"

namespace {

const std::string program = VORLIX_PROGRAM;
const std::string oneLine = "vorlixss-wayland: ";  // how every complaint starts
// The saver with many big balls, so that every part of a small output is lit now and then.
const std::vector<std::string> bigSaver = {"--root", "--count", "20", "--min-radius", "60",
                                           "--max-radius", "90"};

// Pixels of sway's own grey, shown where no surface covers an output.
int swayGrey(const Picture& p) {
  int count = 0;
  for (size_t i = 0; i + 2 < p.rgb.size(); i += 3)
    count += p.rgb[i] == 63 && p.rgb[i + 1] == 63 && p.rgb[i + 2] == 63;
  return count;
}

// True when all the picture shows is sway's grey and, at most, the cursor (a 32x32 box).
bool showsOnlySway(const Picture& p) {
  int left = p.width, right = -1, top = p.height, bottom = -1;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const unsigned char* pixel = &p.rgb[(static_cast<size_t>(y) * p.width + x) * 3];
      if (pixel[0] == 63 && pixel[1] == 63 && pixel[2] == 63) continue;
      left = std::min(left, x), right = std::max(right, x);
      top = std::min(top, y), bottom = std::max(bottom, y);
    }
  return !p.rgb.empty() && right - left < 32 && bottom - top < 32;
}

class InSway : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(sway.ready()) << "the private sway did not start"; }
  void TearDown() override {
    sway.stop();
    EXPECT_EQ(countProcesses("", sway.mark()), 0) << "a process outlived sway (swaybg?)";
  }

  // The program on the private sway, with more arguments and environment entries.
  std::unique_ptr<ChildProcess> start(std::vector<std::string> args,
                                      const std::vector<std::string>& environment = {}) {
    return std::make_unique<ChildProcess>(program, args, sway.env(environment));
  }

  // grim's picture of what (see shoot) once it is covered and more than lit pixels are lit, or
  // once more than 100 differ from before; the last one after milliseconds (a busy machine
  // starts slowly).
  static Picture waitPicture(const std::string& what, int lit = 2000,
                             const Picture* before = nullptr, int milliseconds = 15000) {
    Picture p = shoot(what);
    for (int waited = 0; waited < milliseconds; waited += 50, pause(50), p = shoot(what))
      if (!p.rgb.empty() &&
          (before ? changedPixels(*before, p) > 100
                  : swayGrey(p) == 0 && countLit(p, 0, 0, p.width, p.height).lit > lit))
        break;
    return p;
  }

  // Processes of the program on the private sway (other runs of it are not counted).
  int running() const { return countProcesses(program, sway.mark()); }

  // True once no process runs the program here, waiting up to a second for the last to go.
  bool noneLeft() const {
    for (int waited = 0; waited < 1000 && running() > 0; waited += 20) pause(20);
    return running() == 0;
  }

  // Ends with code and nothing said on success; then no process of the program is left.
  void expectEnd(ChildProcess& run, int code) {
    ASSERT_TRUE(run.waitEnd(5000)) << "it did not end";
    EXPECT_EQ(run.exitCode(), code);
    EXPECT_TRUE(code != 0 || run.errors().empty()) << run.errors();
    EXPECT_TRUE(noneLeft()) << "a process of the program outlived it";
  }

  // Ends a running saver by a key, by a pointer travel of 5 (after one of 4 that keeps it)
  // or by a button, from a device beside the seat's lasting ones; it ends with 0.
  void endBy(const std::string& way, ChildProcess& saver) {
    if (way == "key") {
      sway.press("a");
    } else if (way == "travel") {
      // Travel counts from where the pointer came in, also when another mouse comes.
      useMouse("move 1 1 move 1 1");
      EXPECT_FALSE(saver.waitEnd(500)) << "a travel of 4 pixels ended it";
      useMouse("move 1 0");
    } else {
      useMouse("button");
    }
    expectEnd(saver, 0);
  }

  // Waits up to five seconds for another compositor's socket in sway's runtime folder.
  void waitSocket(const std::string& name) {
    for (int waited = 0; waited < 5000 && access((sway.folder() + "/" + name).c_str(), F_OK);)
      pause(20), waited += 20;
  }

  PrivateSway sway;
};

// One surface per output at the output's own size, each with a picture of its own that moves.
TEST_F(InSway, SaverCoversEveryOutputAndEndsOnAKeyAPointerTravelOfFiveAndAButton) {
  for (const std::string way : {"key", "travel", "button"}) {
    SCOPED_TRACE(way);
    auto saver = start(bigSaver);
    const Picture one = waitPicture("-o HEADLESS-1"), two = waitPicture("-o HEADLESS-2");
    if (way == "key") {
      for (const Picture* p : {&one, &two}) {
        const LitCount lit = countLit(*p, 0, 0, p->width, p->height);
        EXPECT_GT(lit.lit, p->width * p->height / 10);
        EXPECT_GE(lit.sectors, 2) << "the blobs should have several colours";
        EXPECT_EQ(swayGrey(*p), 0) << "a surface smaller than its output";
        const std::string name = p == &one ? "-o HEADLESS-1" : "-o HEADLESS-2";
        EXPECT_GT(changedPixels(*p, waitPicture(name, 0, p)), 100) << name << " stands still";
      }
      // Both outputs in one shot: their same-size corners, lit pixels equal in both.
      const Picture all = shoot("");
      ASSERT_EQ(all.width, 1120);
      int lit = 0, same = 0;
      for (int y = 0; y < 320; ++y)
        for (int x = 0; x < 480; ++x) {
          const unsigned char* left = &all.rgb[(static_cast<size_t>(y) * all.width + x) * 3];
          const bool shows = *std::max_element(left, left + 3) > 40;
          lit += shows;
          same += shows && std::memcmp(left, left + 640 * 3, 3) == 0;
        }
      EXPECT_LT(same, lit / 2) << "the two outputs show the same picture";
      // One process draws both; a second saver on the same display ends at once and starts
      // nothing.
      const int before = running();
      EXPECT_EQ(before, 1) << "one process draws every output";
      auto second = start({"--root"});
      ASSERT_TRUE(second->waitEnd(5000));
      EXPECT_EQ(second->exitCode(), 0);
      EXPECT_EQ(running(), before);
      EXPECT_FALSE(saver->waitEnd(0));
    }
    endBy(way, *saver);
  }
}

// The seat tells a client its devices once, right after it binds the seat: a saver that
// listened too late never heard of a keyboard or a mouse older than itself, and nothing but a
// kill ended it. Each alone, on the seat before the saver starts (both: the test above).
TEST_F(InSway, AKeyboardOrAMouseOnTheSeatBeforeItStartsEndsIt) {
  const struct {
    bool keyboard, pointer;
    const char* way;
  } cases[] = {{true, false, "key"}, {false, true, "travel"}, {false, true, "button"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.way);
    ASSERT_TRUE(sway.holdDevices(c.keyboard, c.pointer)) << "the seat did not show the devices";
    auto saver = start({"--root"});
    waitPicture("-o HEADLESS-1");
    waitPicture("-o HEADLESS-2");
    endBy(c.way, *saver);
  }
}

// A frame at 4096x4096 takes seconds in software, yet a saver must go at once.
TEST_F(InSway, EndsWithinASecondOfASignalAtALargeSizeAndWithOneLineWhenTheCompositorDies) {
  swaymsg("-- output HEADLESS-1 mode --custom 4096x4096@30Hz");
  for (int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    auto saver = start({"--root"});
    waitPicture("-o HEADLESS-2");  // its surfaces start one after the other, the big one first
    pause(1000);  // into the big output's frames
    kill(saver->pid(), signal);
    EXPECT_TRUE(saver->waitExiting(1000)) << "not within a second";
    ASSERT_TRUE(saver->waitEnd(30000));
    expectEnd(*saver, 0);
  }
  swaymsg("output HEADLESS-1 resolution 640x480");
  auto saver = start({"--root"});
  waitPicture("-o HEADLESS-1");
  sway.kill(SIGKILL);
  expectEnd(*saver, 1);
  const std::string errors = saver->errors();
  EXPECT_EQ(errors.rfind(oneLine, 0), 0u) << errors;
  EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
}

// NOTE: sway 1.7's headless outputs cannot be disabled ("Failed to commit output"), and it has
// no "unplug" yet, so an output taken away is not tested here.
TEST_F(InSway, ThreeOutputsAndAFourthAddedAreDrawnByOneProcessEachMoving) {
  swaymsg("create_output");
  swaymsg("-- output HEADLESS-3 mode --custom 320x240@30Hz");
  auto saver = start(bigSaver);
  for (const char* name : {"-o HEADLESS-1", "-o HEADLESS-2", "-o HEADLESS-3"}) {
    SCOPED_TRACE(name);
    const Picture p = waitPicture(name, 1000);
    EXPECT_GT(changedPixels(p, waitPicture(name, 0, &p)), 100) << "it stands";
  }
  swaymsg("create_output");
  const auto added = std::chrono::steady_clock::now();
  const Picture four = waitPicture("-o HEADLESS-4", 1000, nullptr, 3000);
  const auto took = std::chrono::steady_clock::now() - added;
  EXPECT_GT(countLit(four, 0, 0, four.width, four.height).lit, 1000);
  EXPECT_LE(std::chrono::duration_cast<std::chrono::milliseconds>(took).count(), 1000);
  EXPECT_GT(changedPixels(four, waitPicture("-o HEADLESS-4", 0, &four)), 100) << "it stands";
  EXPECT_EQ(running(), 1) << "one process draws every output";
  sway.press("Escape");
  expectEnd(*saver, 0);
}

// The real idle daemon runs the saver after a second without input, as a desktop would.
TEST_F(InSway, SwayidleStartsItAfterASecondWithoutInputAndAKeyEndsIt) {
  ChildProcess idle("/usr/bin/swayidle", {"-w", "timeout", "1", program + " --root"}, sway.env());
  EXPECT_GT(countLit(waitPicture("-o HEADLESS-1", 1000), 0, 0, 640, 480).lit, 1000);
  EXPECT_GT(countLit(waitPicture("-o HEADLESS-2", 1000), 0, 0, 480, 320).lit, 1000);
  sway.press("Escape");
  EXPECT_TRUE(noneLeft()) << "the key did not end it";
  // NOTE: a second later without input swayidle would start it again; stop it before.
  kill(idle.pid(), SIGTERM);
  EXPECT_TRUE(idle.waitEnd(5000));
  EXPECT_TRUE(noneLeft());
}

// Where no idle program runs, --idle waits for the compositor's word (sway 1.7: KDE's idle
// protocol), shows the saver at each idle spell until input ends it, and goes at SIGTERM; a
// second watcher on the display defers to it.
TEST_F(InSway, TheIdleWatcherShowsTheSaverAtEachIdleSpellAndASecondDefers) {
  std::vector<std::string> args = bigSaver;
  args[0] = "--idle", args.insert(args.begin() + 1, "2");
  auto watcher = start(args);
  for (int spell : {1, 2}) {
    SCOPED_TRACE(spell);
    EXPECT_GT(countLit(waitPicture("-o HEADLESS-2", 1000), 0, 0, 480, 320).lit, 1000);
    if (spell == 1) {
      auto second = start({"--idle", "1"});
      ASSERT_TRUE(second->waitEnd(5000));
      EXPECT_EQ(second->exitCode(), 0);
    }
    sway.press("a");
    // The saver goes at once (the watcher draws it itself: one process), the watcher stays
    // for the next spell two seconds later.
    Picture gone = shoot("-o HEADLESS-2");
    for (int waited = 0; waited < 1500 && swayGrey(gone) != 480 * 320; waited += 20)
      pause(20), gone = shoot("-o HEADLESS-2");
    EXPECT_EQ(swayGrey(gone), 480 * 320) << "the key did not end the saver";
    EXPECT_EQ(running(), 1);
    ASSERT_FALSE(watcher->waitEnd(0)) << watcher->errors();
  }
  kill(watcher->pid(), SIGTERM);
  expectEnd(*watcher, 0);
}

// A window that inhibits idle, as a video player does (on HEADLESS-1), keeps the watcher's
// saver off HEADLESS-2 for four idle times; once it goes, the saver comes and a key ends it.
TEST_F(InSway, AWindowInhibitingIdleKeepsTheWatchersSaverAwayUntilItGoes) {
  auto inhibitor = std::make_unique<ChildProcess>(VORLIX_IDLE_INHIBITOR,
                                                  std::vector<std::string>{}, sway.env());
  for (int waited = 0; waited < 15000 && inhibitor->errors().empty(); waited += 50) pause(50);
  ASSERT_EQ(inhibitor->errors(), "inhibiting\n");
  pause(2500);  // the seat idle for longer than the watcher waits
  auto watcher = start({"--idle", "2"});
  for (int waited = 0; waited < 9000; waited += 500, pause(500))
    ASSERT_EQ(swayGrey(shoot("-o HEADLESS-2")), 480 * 320) << "a saver after " << waited << " ms";
  inhibitor.reset();
  EXPECT_GT(countLit(waitPicture("-o HEADLESS-2", 1000), 0, 0, 480, 320).lit, 1000);
  sway.press("a");
  Picture gone = shoot("-o HEADLESS-2");
  for (int waited = 0; waited < 1500 && swayGrey(gone) != 480 * 320; waited += 20)
    pause(20), gone = shoot("-o HEADLESS-2");
  EXPECT_EQ(swayGrey(gone), 480 * 320) << "the key did not end the saver";
  kill(watcher->pid(), SIGTERM);
  expectEnd(*watcher, 0);
}

// Its own window, floating by the configuration, as sway sizes it, and every way to close it.
TEST_F(InSway, OwnWindowDrawsFollowsTheCompositorsSizeAndEndsOnEscapeQAndClose) {
  for (const std::string way : {"Escape", "q", "close"}) {
    SCOPED_TRACE(way);
    auto window = start({"--geometry", "160x120", "--count", "20", "--min-radius", "150",
                         "--max-radius", "200", "--seed", "11"});
    int x = 0, y = 0, width = 0, height = 0;
    // The window's place from sway's tree, found by app id and title.
    auto place = [&] {
      const std::string tree = swaymsg("-t get_tree");
      const size_t app = tree.find("\"app_id\": \"vorlixss\""),
                   rect = tree.rfind("\"rect\":", app == std::string::npos ? 0 : app);
      width = 0;
      if (app != std::string::npos && rect != std::string::npos &&
          tree.find("\"name\": \"VorlixSS\"", rect) < app)
        sscanf(tree.c_str() + rect,
               "\"rect\": { \"x\": %d, \"y\": %d, \"width\": %d, \"height\": %d", &x, &y,
               &width, &height);
      return "-g '" + std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(width) +
             "x" + std::to_string(height) + "'";
    };
    for (int tries = 0; tries < 300 && width == 0; ++tries) place(), pause(50);
    ASSERT_EQ(width, 160) << "no window of app id vorlixss and title VorlixSS at --geometry";
    EXPECT_EQ(height, 120);
    EXPECT_GT(countLit(waitPicture(place(), 1000), 0, 0, 160, 120).lit, 1000);
    if (way == "Escape") {
      swaymsg("'[app_id=vorlixss] resize set 480 360'");
      for (int tries = 0; tries < 100 && width != 480; ++tries) place(), pause(50);
      ASSERT_EQ(width, 480);
      // Outside the first 160x120 at the lower left: drawn only at the new size.
      const Picture p = waitPicture(place(), 40000);
      ASSERT_EQ(p.height, 360);
      EXPECT_GT(countLit(p, 160, 0, 320, 360).lit, 1000);
      EXPECT_GT(countLit(p, 0, 0, 160, 240).lit, 0);
    }
    if (way == "close")
      swaymsg("'[app_id=vorlixss] kill'");
    else
      sway.press(way);
    expectEnd(*window, 0);
  }
}

// The same seed and tick times drawn through EGL and OpenGL ES 3 and by the X11 program (GLX):
// ball positions bit for bit and nearly all colour channels within 2/255, frame after frame,
// since Mesa's 8-bit Wayland buffers were seen to go wrong only from the second frame on.
// Its fast path keeps the picture too. And the frame timer: --delay 50000 gives about twenty
// swaps a second, as it does in vorlixss.
TEST_F(InSway, DrawsTheX11ProgramsFramesAndItsFastPathAndSwapsOncePerDelay) {
  char scratch[] = "/tmp/vorlixss-same-frame-XXXXXX";
  ASSERT_NE(mkdtemp(scratch), nullptr);
  const std::string x11Frames = std::string(scratch) + "/x11", waylandFrames = x11Frames + "w";
  PrivateDisplay x11;
  ASSERT_NE(x11.display(), nullptr);
  ChildProcess glx(VORLIX_SAME_FRAME, {x11Frames}, {"DISPLAY=" + x11.name()});
  ChildProcess egl(VORLIX_SAME_FRAME_WAYLAND, {waylandFrames}, sway.env());
  ASSERT_TRUE(glx.waitEnd(60000) && egl.waitEnd(60000));
  ASSERT_EQ(glx.exitCode() | egl.exitCode(), 0) << glx.errors() << egl.errors();
  // The comparison prints its figures for each frame.
  const std::string figures = output(std::string(VORLIX_SAME_FRAME) + " --compare " + x11Frames +
                                     " " + waylandFrames + " 0.95; echo exit $?");
  std::printf("%s", figures.c_str());
  EXPECT_NE(figures.find("exit 0"), std::string::npos) << figures;
  // The fast path through OpenGL ES 3 keeps the picture as well, ghosting's ring of one
  // framebuffer a frame included; it draws, so some differ.
  for (const char* quality : {"exact", "fast"}) {
    ChildProcess run(VORLIX_SAME_FRAME_WAYLAND,
                     {"--quality", quality, "--ghosting", "--size", "320x240", "--ppm",
                      x11Frames + quality},
                     sway.env());
    ASSERT_TRUE(run.waitEnd(60000));
    ASSERT_EQ(run.exitCode(), 0) << run.errors();
  }
  const std::string paths = output(std::string(VORLIX_SAME_FRAME) + " --compare-ppm " +
                                   x11Frames + "exact " + x11Frames + "fast; echo exit $?");
  std::printf("%s", paths.c_str());
  EXPECT_NE(paths.find("exit 0"), std::string::npos) << paths;
  EXPECT_EQ(paths.find("largest difference 0/255"), std::string::npos) << "fast did not draw";
  output(std::string("rm -rf ") + scratch);

  const std::string counts = std::string(scratch) + ".counts";
  auto window = start({"--geometry", "160x120", "--delay", "50000"},
                      {"LD_PRELOAD=" VORLIX_FRAME_COUNT_SHIM, "VORLIX_WARMUP_SWAPS=10",
                       "VORLIX_FRAME_COUNT_FILE=" + counts});
  pause(3000);
  kill(window->pid(), SIGTERM);
  expectEnd(*window, 0);
  double rate = -1;  // the shim's swap_fps line, missing before 11 swaps
  std::ifstream in(counts);
  for (std::string line; std::getline(in, line);) sscanf(line.c_str(), "swap_fps=%lf", &rate);
  EXPECT_TRUE(rate >= 15 && rate <= 21) << rate;
  std::remove(counts.c_str());
}

// Each failure in one line with its reason and exit code 1, also with descriptors 0 to 2
// closed; then a compositor without the layer shell, where the saver shows as toplevels.
TEST_F(InSway, FailingStartsSayWhyInOneLineAndWestonWithoutLayerShellRunsTheSaver) {
  const std::string runtime = "XDG_RUNTIME_DIR=" + sway.folder();
  ChildProcess bare(VORLIX_BARE_COMPOSITOR, {"bare-0"}, {runtime});
  waitSocket("bare-0");
  const std::string noEgl = "__EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent.json";
  const std::string gles2 = "MESA_GLES_VERSION_OVERRIDE=2.0";
  const struct {
    std::vector<std::string> args, environment;
    const char* reason;
  } cases[] = {
      {{"--root"}, {runtime}, "WAYLAND_DISPLAY is not set"},
      {{"--idle", "1"}, {"WAYLAND_DISPLAY=wayland-1"}, "XDG_RUNTIME_DIR is not set"},
      {{"--idle", "1"}, {runtime, "WAYLAND_DISPLAY=bare-0"}, "tells no idle time"},
      {{}, {runtime, "WAYLAND_DISPLAY=nowhere-0"}, "cannot reach"},
      {{}, {runtime, "WAYLAND_DISPLAY=bare-0"}, "xdg_wm_base"},
      {{"--root"}, {runtime, "WAYLAND_DISPLAY=bare-0"}, "xdg_wm_base"},
      {{}, sway.env({noEgl}), "EGL"},
      {{"--root"}, sway.env({noEgl}), "EGL"},
      {{}, sway.env({gles2}), "OpenGL ES 3"},
      {{"--root"}, sway.env({gles2}), "OpenGL ES 3"},
      {{"--count", "21"}, sway.env(), "--count"},
      {{"--window-id", "0x400008"}, sway.env(), "window-id"},
      // sway 1.7 has no session lock: a lock never falls back to an overlay.
      {{"--lock"}, sway.env(), "offers no session lock (ext-session-lock-v1)"},
      {{"--lock", "--daemonize"}, sway.env(), "offers no session lock (ext-session-lock-v1)"},
  };
  for (bool closed : {false, true})
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.reason) + (closed ? ", descriptors 0-2 closed" : ""));
      ChildProcess run(program, c.args, c.environment, closed);
      ASSERT_TRUE(run.waitEnd(10000)) << "it hangs";
      EXPECT_EQ(run.exitCode(), 1);
      const std::string errors = run.errors();
      if (!closed) {
        EXPECT_EQ(errors.rfind(oneLine, 0), 0u) << errors;
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        EXPECT_NE(errors.find(c.reason), std::string::npos) << errors;
      }
      EXPECT_TRUE(noneLeft());
    }
  for (const char* name : {"-o HEADLESS-1", "-o HEADLESS-2"}) {
    const Picture p = shoot(name);
    EXPECT_TRUE(showsOnlySway(p)) << "something was left on " << name;
  }

  // NOTE: weston runs as root, here beside sway in its runtime folder.
  ChildProcess weston("/usr/bin/weston", {"--backend=headless-backend.so", "--use-pixman",
                                          "--socket=weston-0", "--width=320", "--height=240"},
                      {runtime});
  waitSocket("weston-0");
  ChildProcess saver(program, {"--root"}, {runtime, "WAYLAND_DISPLAY=weston-0"});
  EXPECT_FALSE(saver.waitEnd(2000)) << saver.errors();
  kill(saver.pid(), SIGTERM);
  expectEnd(saver, 0);
  kill(weston.pid(), SIGTERM);
  EXPECT_TRUE(weston.waitEnd(5000));
}

}  // namespace
