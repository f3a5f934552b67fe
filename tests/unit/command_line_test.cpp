// Reading the saver's command line: the tail after the program name, the first switch and
// window numbers.
#include "host/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// One byte at a time, as CharNextA steps single-byte text.
const char* nextByte(const char* c) { return c + 1; }

// A double-byte code page's step: a lead byte from 0x81 takes its trail byte along.
const char* nextDoubleByte(const char* c) {
  if (static_cast<unsigned char>(*c) >= 0x81 && c[1] != '\0') return c + 2;
  return c + 1;
}

std::string tail(const char* commandLine, CharStep next = nextByte) {
  return commandTail(commandLine, next);
}

TEST(CommandTail, TheProgramNameAndTheBlanksAfterItAreCutOff) {
  EXPECT_EQ(tail("VorlixSS.scr /s"), "/s");
  EXPECT_EQ(tail("VorlixSS.scr \t  /p 1234"), "/p 1234");
  EXPECT_EQ(tail("VorlixSS.scr"), "");
  EXPECT_EQ(tail(""), "");
  EXPECT_EQ(tail("   /c"), "/c");  // no name at all: only the leading blanks go
}

TEST(CommandTail, AQuotedPathWithSpacesIsSteppedOverWhole) {
  EXPECT_EQ(tail("\"C:\\Program Files\\Vorlix SS\\VorlixSS.scr\" /s"), "/s");
  EXPECT_EQ(tail("\"C:\\My Savers\\VorlixSS.scr\"/p 77"), "/p 77");  // switch right after the quote
  EXPECT_EQ(tail("\"C:\\never closed /s"), "");
}

TEST(CommandTail, DoubleByteCharactersAreSteppedWhole) {
  // The trail byte 0x22 of a double-byte character is no closing quote.
  EXPECT_EQ(tail("\"C:\\\x81\x22x.scr\" /s", nextDoubleByte), "/s");
}

TEST(WindowNumber, DigitsUpToTheFirstOtherByte) {
  EXPECT_EQ(ParseWindowNumber("1234"), 1234u);
  EXPECT_EQ(ParseWindowNumber("1234 5"), 1234u);
  EXPECT_EQ(ParseWindowNumber(":1234"), 0u);
  EXPECT_EQ(ParseWindowNumber(""), 0u);
  EXPECT_EQ(ParseWindowNumber("-5"), 0u);
  EXPECT_EQ(ParseWindowNumber(" 5"), 0u);  // callers skip the blanks
  EXPECT_EQ(ParseWindowNumber("0x10"), 0u);
}

TEST(WindowNumber, MoreThanTenDigitsWrapInThirtyTwoBits) {
  EXPECT_EQ(ParseWindowNumber("4294967295"), 4294967295u);
  EXPECT_EQ(ParseWindowNumber("4294967296"), 0u);
  EXPECT_EQ(ParseWindowNumber("4294968530"), 1234u);      // 2^32 + 1234
  EXPECT_EQ(ParseWindowNumber("123456789012"), 3197704724u);
}

TEST(Switch, EveryWayOfWritingSaveStartsTheSaver) {
  for (const char* t : {"/s", "-S", "s", "/ s", "-/ -S", "S extra words"})
    EXPECT_EQ(readSwitch(t).mode, SaverMode::save) << t;
}

TEST(Switch, AnEmptyTailConfiguresWithoutAParent) {
  EXPECT_EQ(readSwitch("").mode, SaverMode::configure);
  EXPECT_EQ(readSwitch("  / -").mode, SaverMode::configure);
}

TEST(Switch, PreviewTakesTheNumberAfterItsBlanks) {
  for (const char* t : {"/p 1234", "/p1234", "/P     1234", "/l 1234", "L1234"}) {
    const SwitchRequest r = readSwitch(t);
    EXPECT_EQ(r.mode, SaverMode::preview) << t;
    ASSERT_NE(r.number, nullptr);
    EXPECT_EQ(ParseWindowNumber(r.number), 1234u) << t;
  }
  EXPECT_EQ(ParseWindowNumber(readSwitch("/p:1234").number), 0u);  // the colon ends it at 0
  EXPECT_EQ(ParseWindowNumber(readSwitch("/p").number), 0u);
  EXPECT_EQ(ParseWindowNumber(readSwitch("/p\t1234").number), 0u);  // tabs are not skipped
}

TEST(Switch, ConfigureReadsANumberOnlyAfterAColon) {
  const SwitchRequest colon = readSwitch("/c:1234");
  EXPECT_EQ(colon.mode, SaverMode::configureSwitch);
  ASSERT_NE(colon.number, nullptr);
  EXPECT_EQ(ParseWindowNumber(colon.number), 1234u);
  EXPECT_EQ(readSwitch("/c 1234").number, nullptr);
  EXPECT_EQ(readSwitch("/C").number, nullptr);
  EXPECT_EQ(readSwitch("/C").mode, SaverMode::configureSwitch);
}

TEST(Switch, ChangePasswordTakesTheNumberAfterItsBlanks) {
  const SwitchRequest r = readSwitch("/a  1234");
  EXPECT_EQ(r.mode, SaverMode::changePassword);
  EXPECT_EQ(ParseWindowNumber(r.number), 1234u);
  EXPECT_EQ(readSwitch("A").mode, SaverMode::changePassword);
}

TEST(Switch, UnknownLettersAndHighBytesAreRefused) {
  for (const char* t : {"/x", "x", "/?", "\x80", "/\xe9", "\t/s", "1234"})
    EXPECT_EQ(readSwitch(t).mode, SaverMode::refused) << t;
}

}  // namespace
