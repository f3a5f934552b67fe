// vorlixss-wayland as its Debian package installs it, on the desktops of Debian 13 (sway 1.10,
// labwc 0.8, KWin 6.3, mutter 48), headless in the project's Debian 13 root and run by its
// unprivileged user (tests/desktops/run): started as the README's lines start it, covering every
// output, ended by input where the desktop can be typed at, kept away by a window that inhibits
// idle, yielding to the lock screen; and its own lock (--lock) where the desktop offers the
// session lock.
#include <gtest/gtest.h>

#include "../wayland/wayland_support.h"

namespace {

const std::string program = "/usr/bin/vorlixss-wayland";  // where the package puts it

class OnDesktop : public ::testing::TestWithParam<Desktop> {
 protected:
  void SetUp() override { ASSERT_TRUE(desktop.ready()) << "the desktop did not start"; }
  void TearDown() override {
    for (pid_t pid : pids()) kill(pid, SIGKILL);  // a failed test's saver
    desktop.stop();
  }

  // The README's line for the desktop, with a second of idle time instead of ten minutes.
  std::unique_ptr<ChildProcess> swayidle() {
    return std::make_unique<ChildProcess>(
        "/usr/bin/swayidle", std::vector<std::string>{"-w", "timeout", "1", "vorlixss-wayland --root"},
        desktop.env());
  }

  // The processes of the program on this desktop.
  std::vector<pid_t> pids() const { return findProcesses(program, desktop.mark()); }

  // True once no process of the program is left, waiting up to milliseconds.
  bool noneLeft(int milliseconds = 1000) const {
    for (int waited = 0; waited < milliseconds && !pids().empty(); waited += 20) pause(20);
    return pids().empty();
  }

  // The CPU time in clock ticks that the program's processes have used so far.
  long cpuTicks() const {
    long ticks = 0;
    for (pid_t pid : pids()) {
      std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
      const std::string stat((std::istreambuf_iterator<char>(in)), {});
      long user = 0, system = 0;
      const size_t end = stat.rfind(')');
      if (end != std::string::npos &&
          sscanf(stat.c_str() + end + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %ld %ld",
                 &user, &system) == 2)
        ticks += user + system;
    }
    return ticks;
  }

  // CPU ticks the program's processes use over milliseconds: a saver on show draws frame after
  // frame, a waiting watcher uses next to none.
  long ticksOver(int milliseconds) const {
    const long before = cpuTicks();
    pause(milliseconds);
    return cpuTicks() - before;
  }

  // A window that inhibits idle, as a video player does, shown before the watcher (--idle 2)
  // starts (on GNOME: once mutter has told the session manager), and the session idle for
  // longer than that already (GNOME then fires no idle watch: the watcher must ask): no saver
  // for four idle times; once the window goes, the saver comes. The watcher, to end as the
  // desktop can.
  std::unique_ptr<ChildProcess> inhibitedThenShown() {
    auto inhibitor = std::make_unique<ChildProcess>(VORLIX_IDLE_INHIBITOR,
                                                    std::vector<std::string>{}, desktop.env());
    for (int waited = 0; waited < 15000 && inhibitor->errors().empty(); waited += 50) pause(50);
    EXPECT_EQ(inhibitor->errors(), "inhibiting\n");
    if (GetParam() == Desktop::mutter) {
      for (int waited = 0; waited < 5000 && desktop.sessionInhibited() != "true"; waited += 50)
        pause(50);
      EXPECT_EQ(desktop.sessionInhibited(), "true") << "mutter did not tell of the inhibitor";
    }
    pause(2500);
    auto watcher = std::make_unique<ChildProcess>(program, std::vector<std::string>{"--idle", "2"},
                                                  desktop.env());
    pause(1000);  // its start
    EXPECT_LT(ticksOver(8000), 10) << "the saver came while idle was inhibited";
    inhibitor.reset();
    int waited = 0;
    while (waited < 15000 && ticksOver(500) < 5) waited += 500;
    EXPECT_LT(waited, 15000) << "no saver once the inhibitor went";
    std::printf("[ figure ] the saver drew within %.1f s of the inhibitor's end\n",
                waited / 1000.0 + 0.5);
    return watcher;
  }

  // grim's picture of the output once more than 1000 pixels are lit and, a moment later, once
  // more than 100 have changed: a moving picture. Empty when it never came.
  static bool moves(const std::string& name) {
    Picture first = shoot("-o " + name);
    for (int waited = 0; waited < 15000; waited += 50, pause(50), first = shoot("-o " + name))
      if (!first.rgb.empty() && countLit(first, 0, 0, first.width, first.height).lit > 1000) break;
    if (first.rgb.empty() || countLit(first, 0, 0, first.width, first.height).lit <= 1000)
      return false;
    for (int waited = 0; waited < 5000; waited += 50, pause(50))
      if (changedPixels(first, shoot("-o " + name)) > 100) return true;
    return false;
  }

  PrivateDesktop desktop{GetParam()};
};

// Where a keyboard can be typed at: the idle program starts it on every output, and a key from a
// keyboard that was on the seat before it started ends it.
class Typed : public OnDesktop {};
TEST_P(Typed, TheIdleLineStartsItOnEveryOutputAndAKeyEndsIt) {
  auto idle = swayidle();
  EXPECT_TRUE(moves("HEADLESS-1"));
  EXPECT_TRUE(moves("HEADLESS-2"));
  desktop.press("a");
  EXPECT_TRUE(noneLeft()) << "the key did not end it";
  kill(idle->pid(), SIGTERM);  // before its next second without input
  EXPECT_TRUE(idle->waitEnd(5000));
}
// The same from the program's own idle watcher (the standard ext-idle-notify-v1 there), spell
// after spell, until SIGTERM ends the watcher.
TEST_P(Typed, TheIdleWatcherShowsItAtEachIdleSpellAndAKeyEndsIt) {
  ChildProcess watcher(program, {"--idle", "2"}, desktop.env());
  for (int spell : {1, 2}) {
    SCOPED_TRACE(spell);
    EXPECT_TRUE(moves("HEADLESS-2"));
    desktop.press("a");
    // The watcher draws the saver itself (one process); once it has gone, it waits for free.
    pause(500);
    const long before = cpuTicks();
    pause(1000);
    EXPECT_LT(cpuTicks() - before, 5) << "the key did not end the saver";
    EXPECT_EQ(pids().size(), 1u);
  }
  kill(watcher.pid(), SIGTERM);
  ASSERT_TRUE(watcher.waitEnd(5000));
  EXPECT_EQ(watcher.exitCode(), 0) << watcher.errors();
}
// A window that inhibits idle keeps the watcher's saver away; once it goes, the saver comes
// at the next idle time and a key ends it.
TEST_P(Typed, AWindowInhibitingIdleKeepsTheWatchersSaverAwayUntilItGoes) {
  auto watcher = inhibitedThenShown();
  EXPECT_TRUE(moves("HEADLESS-2"));
  desktop.press("a");
  pause(500);
  EXPECT_LT(ticksOver(1000), 5) << "the key did not end the saver";
  kill(watcher->pid(), SIGTERM);
  ASSERT_TRUE(watcher->waitEnd(5000));
  EXPECT_EQ(watcher->exitCode(), 0) << watcher->errors();
}
INSTANTIATE_TEST_SUITE_P(SwayAndLabwc, Typed, ::testing::Values(Desktop::sway, Desktop::labwc));

// Where nothing can be typed (no virtual devices) nor pictured (no screencopy): the program's
// idle watcher, as the README's autostart line starts it (KWin tells idle time by the standard
// protocol, GNOME on the session bus), shows the saver; the sign that the desktop shows it is
// that it keeps drawing, since it draws a frame only when the compositor asks for one.
// SIGTERM ends the watcher and its saver.
class Untyped : public OnDesktop {};
TEST_P(Untyped, TheIdleWatcherShowsTheSaverAndItDrawsUntilTerminated) {
  // The autostart file's command as the package ships it, with a second for its ten minutes.
  std::ifstream autostart("/usr/share/doc/vorlixss-wayland/examples/vorlixss-wayland-idle.desktop");
  std::string line;
  while (std::getline(autostart, line) && line.rfind("Exec=", 0) != 0) {
  }
  ASSERT_EQ(line, "Exec=vorlixss-wayland --idle 600");
  ChildProcess watcher(program, {"--idle", "1"}, desktop.env());
  for (int waited = 0; waited < 15000 && pids().empty(); waited += 50) pause(50);
  ASSERT_FALSE(pids().empty()) << "the watcher did not start " << watcher.errors();
  pause(3000);  // its second without input, and the saver's start
  // Waiting costs it no tick in a minute; drawing, a fifth of a second within seconds (more
  // on a busy machine).
  const long before = cpuTicks();
  for (int waited = 0; waited < 10000 && cpuTicks() - before <= 20; waited += 100) pause(100);
  EXPECT_GT(cpuTicks() - before, 20) << "it does not draw";
  kill(watcher.pid(), SIGTERM);
  ASSERT_TRUE(watcher.waitEnd(5000));
  EXPECT_EQ(watcher.exitCode(), 0) << watcher.errors();
  EXPECT_TRUE(noneLeft());
}
// The same inhibition where nothing can be typed: KWin by the standard protocol, GNOME by
// its session manager; SIGTERM ends the watcher and its saver.
TEST_P(Untyped, AWindowInhibitingIdleKeepsTheWatchersSaverAwayUntilItGoes) {
  auto watcher = inhibitedThenShown();
  kill(watcher->pid(), SIGTERM);
  ASSERT_TRUE(watcher->waitEnd(5000));
  EXPECT_EQ(watcher->exitCode(), 0) << watcher->errors();
  EXPECT_TRUE(noneLeft());
}
INSTANTIATE_TEST_SUITE_P(KWinAndMutter, Untyped, ::testing::Values(Desktop::kwin, Desktop::mutter));

class Sway : public OnDesktop {};

// A lock screen takes the outputs and the keyboard: the saver goes within a second of the lock
// covering them, and does not come back when the user unlocks.
TEST_P(Sway, ItYieldsToSwaylockAndStaysGoneAfterTheUnlock) {
  ChildProcess saver(program, {"--root"}, desktop.env());
  ASSERT_TRUE(moves("HEADLESS-1"));
  ChildProcess lock("/usr/bin/swaylock", {"-c", "336699"}, desktop.env());
  bool covered = false;  // HEADLESS-1 shows the lock's colour
  for (int waited = 0; waited < 10000 && !covered; waited += 20, pause(20)) {
    const Picture p = shoot("-o HEADLESS-1");
    covered = !p.rgb.empty() && p.rgb[0] == 0x33 && p.rgb[1] == 0x66 && p.rgb[2] == 0x99;
  }
  ASSERT_TRUE(covered) << "the lock never showed";
  EXPECT_TRUE(saver.waitEnd(1000)) << "it still runs under the lock";
  EXPECT_EQ(saver.exitCode(), 0);
  pause(2000);  // swaylock takes keys once its surfaces are up
  desktop.type("vorlix-password");
  desktop.press("Return");
  ASSERT_TRUE(lock.waitEnd(15000)) << "the password did not unlock it";
  EXPECT_EQ(lock.exitCode(), 0) << lock.errors();
  EXPECT_TRUE(noneLeft());
}

// An output taken away ends its cover only: the other goes on moving, and a key ends it.
TEST_P(Sway, AnOutputUnpluggedEndsOnlyItsCover) {
  ChildProcess saver(program, {"--root"}, desktop.env());
  ASSERT_TRUE(moves("HEADLESS-1") && moves("HEADLESS-2"));
  swaymsg("output HEADLESS-2 unplug");
  pause(500);
  EXPECT_FALSE(saver.waitEnd(0)) << "the saver ended with one output";
  EXPECT_TRUE(moves("HEADLESS-1"));
  desktop.press("a");
  ASSERT_TRUE(saver.waitEnd(5000));
  EXPECT_EQ(saver.exitCode(), 0);
  EXPECT_TRUE(noneLeft());
}
INSTANTIATE_TEST_SUITE_P(Sway110, Sway, ::testing::Values(Desktop::sway));

const std::string password = "vorlix-password";  // the root's user's (scripts/desktop-root)

// --lock where the desktop offers the session lock and can be typed at.
class Locking : public OnDesktop {
 protected:
  // The pixel of the output's picture at (dx, dy) from its middle, where the ring is drawn
  // (a side of a quarter of the output's shorter side).
  static const unsigned char* nearMiddle(const Picture& p, int dx, int dy) {
    return &p.rgb[(static_cast<size_t>(p.height / 2 + dy) * p.width + p.width / 2 + dx) * 3];
  }
  // True once, within milliseconds, a segment of the ring (the one right of its top, at 0.85
  // of its radius) shows the colour r, g, b, and with cross the middle does too.
  static bool ringShows(int r, int g, int b, bool cross, int milliseconds) {
    for (int waited = 0; waited < milliseconds; waited += 20, pause(20)) {
      const Picture p = shoot("-o HEADLESS-1");
      if (p.rgb.empty()) continue;
      const int radius = std::min(p.width, p.height) / 8;
      bool seen = true;
      for (const unsigned char* at : {nearMiddle(p, radius / 6, -radius * 83 / 100), nearMiddle(p, 0, 0)}) {
        seen = seen && std::abs(at[0] - r) < 8 && std::abs(at[1] - g) < 8 && std::abs(at[2] - b) < 8;
        if (!cross) break;
      }
      if (seen) return true;
    }
    return false;
  }
  // True when the output shows one colour alone, but for the cursor (a 32x32 box at most).
  static bool flat(const std::string& name) {
    const Picture p = shoot("-o " + name);
    if (p.rgb.empty()) return false;
    const unsigned char* corner = &p.rgb[p.rgb.size() - 3];
    int left = p.width, right = -1, top = p.height, bottom = -1;
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x)
        if (!std::equal(corner, corner + 3, &p.rgb[(static_cast<size_t>(y) * p.width + x) * 3]))
          left = std::min(left, x), right = std::max(right, x), top = std::min(top, y),
          bottom = std::max(bottom, y);
    return right - left < 32 && bottom - top < 32;
  }
};

// The lock covers every output with a moving picture (sway: an output added meanwhile too);
// another locker is refused, and so is a second --lock; a wrong password shows the cross and
// keeps it, keys typed while PAM checks are refused with the orange mark and not taken; the
// right password unlocks and it ends with 0.
TEST_P(Locking, ItCoversEveryOutputRefusesOtherLockersAndOnlyThePasswordUnlocks) {
  ChildProcess lock(program, {"--lock"}, desktop.env());
  EXPECT_TRUE(moves("HEADLESS-1"));
  EXPECT_TRUE(moves("HEADLESS-2"));
  if (GetParam() == Desktop::sway) {
    swaymsg("create_output");
    EXPECT_TRUE(moves("HEADLESS-3")) << "an output added while locked";
    swaymsg("output HEADLESS-2 unplug");
    EXPECT_TRUE(moves("HEADLESS-3")) << "an output unplugged while locked";
  }
  ChildProcess swaylock("/usr/bin/swaylock", {"-c", "336699"}, desktop.env());
  ASSERT_TRUE(swaylock.waitEnd(5000)) << "swaylock took the lock";
  EXPECT_NE(swaylock.exitCode(), 0);
  ChildProcess second(program, {"--lock"}, desktop.env());
  ASSERT_TRUE(second.waitEnd(5000));
  EXPECT_EQ(second.exitCode(), 1);
  EXPECT_EQ(second.errors(), "vorlixss-wayland: another program holds the session lock already, "
                             "so --lock did not lock\n");

  desktop.type("wrong");
  desktop.press("Return");
  // While PAM takes its time over the wrong one: the right one is refused, not queued.
  desktop.type(password);
  desktop.press("Return");
  EXPECT_TRUE(ringShows(255, 115, 25, false, 1000)) << "no mark of a refused key";
  EXPECT_TRUE(ringShows(229, 38, 38, true, 10000)) << "no failure mark";
  EXPECT_FALSE(lock.waitEnd(1000)) << "a wrong password, or one typed while checking, unlocked";

  desktop.type(password);
  desktop.press("Return");
  ASSERT_TRUE(lock.waitEnd(15000)) << "the password did not unlock";
  EXPECT_EQ(lock.exitCode(), 0);
  EXPECT_EQ(lock.errors(), "");
}

// --daemonize returns 0 once locked and leaves the lock drawing. SIGTERM and SIGKILL end it
// without unlocking: a saver started then shows nothing, and swaylock takes the lock over,
// refuses --lock in turn, and unlocks with the password.
TEST_P(Locking, SignalsNeverUnlockAndSwaylockTakesOver) {
  for (int signal : {SIGTERM, SIGKILL}) {
    SCOPED_TRACE(signal);
    ChildProcess parent(program, {"--lock", "--daemonize"}, desktop.env());
    ASSERT_TRUE(parent.waitEnd(10000)) << "it did not return";
    ASSERT_EQ(parent.exitCode(), 0) << parent.errors();
    ASSERT_EQ(pids().size(), 1u);
    EXPECT_TRUE(moves("HEADLESS-2"));
    kill(pids()[0], signal);
    EXPECT_TRUE(noneLeft(2000));
    ChildProcess saver(program, {"--root"}, desktop.env());
    pause(2000);
    EXPECT_TRUE(flat("HEADLESS-1") && flat("HEADLESS-2")) << "the session was unlocked";
    ChildProcess swaylock("/usr/bin/swaylock", {"-c", "336699"}, desktop.env());
    EXPECT_FALSE(swaylock.waitEnd(2000)) << "swaylock could not take over " << swaylock.errors();
    ChildProcess refused(program, {"--lock"}, desktop.env());
    ASSERT_TRUE(refused.waitEnd(5000)) << "it took the lock from swaylock";
    EXPECT_EQ(refused.exitCode(), 1);
    desktop.type(password);
    desktop.press("Return");
    ASSERT_TRUE(swaylock.waitEnd(15000)) << "the password did not unlock swaylock";
    EXPECT_EQ(swaylock.exitCode(), 0);
    kill(saver.pid(), SIGTERM);  // if it did not yield to swaylock already
    EXPECT_TRUE(saver.waitEnd(5000));
  }
}

// The README's line with seconds for minutes: the saver after the first idle spell (started
// with '&', so that swayidle -w goes on), the lock after the second, which the saver yields
// to; the password unlocks.
TEST_P(Locking, TheIdleLineHandsTheSaverOverToTheLock) {
  ChildProcess idle("/usr/bin/swayidle",
                    {"-w", "timeout", "1", "vorlixss-wayland --root &", "timeout", "4",
                     "vorlixss-wayland --lock --daemonize", "before-sleep",
                     "vorlixss-wayland --lock --daemonize"},
                    desktop.env());
  EXPECT_TRUE(moves("HEADLESS-1"));
  pid_t lock = 0;  // the lock, once it alone runs
  for (int waited = 0; waited < 15000 && !lock; waited += 50, pause(50)) {
    const std::vector<pid_t> running = pids();
    std::ifstream in("/proc/" + (running.empty() ? "0" : std::to_string(running[0])) + "/cmdline");
    const std::string line((std::istreambuf_iterator<char>(in)), {});
    if (running.size() == 1 && line.find("--lock") != std::string::npos) lock = running[0];
  }
  ASSERT_NE(lock, 0) << "the lock did not take over from the saver";
  EXPECT_TRUE(moves("HEADLESS-2"));
  desktop.type(password);
  desktop.press("Return");
  kill(idle.pid(), SIGTERM);  // before its next spell starts the saver again
  EXPECT_TRUE(idle.waitEnd(5000));
  EXPECT_TRUE(noneLeft(15000)) << "the password did not unlock";
}
INSTANTIATE_TEST_SUITE_P(SwayAndLabwc, Locking, ::testing::Values(Desktop::sway, Desktop::labwc));

// The administrator took the lock's PAM service away (tests/desktops/run hides it for these
// alone): --lock says so in one line and ends with 1 before anything shows.
class WithoutPamService : public Locking {};
TEST_P(WithoutPamService, TheLockIsRefusedBeforeAnythingShows) {
  ChildProcess lock(program, {"--lock"}, desktop.env());
  ASSERT_TRUE(lock.waitEnd(5000)) << "it locked without a PAM service";
  EXPECT_EQ(lock.exitCode(), 1);
  EXPECT_EQ(lock.errors(), "vorlixss-wayland: PAM has no service /etc/pam.d/vorlixss-wayland (the "
                           "package installs it), so no password could unlock a lock\n");
  EXPECT_TRUE(flat("HEADLESS-1") && flat("HEADLESS-2"));
}
INSTANTIATE_TEST_SUITE_P(Sway110, WithoutPamService, ::testing::Values(Desktop::sway));

}  // namespace
