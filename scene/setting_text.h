// Settings as people type them: the whole numbers of options and page parameters, and the
// refusal of radii the wrong way round. Shared by the Linux options, the page and the dialog.
#pragma once

#include <cstdint>

// What the configuration dialog and the page's panel say when min radius exceeds max radius.
constexpr const char* radiusRuleText = "Cannot have min radius bigger than max";

// Decimal digits only, at most 2^32 - 1; false for anything else (signs, blanks, empty).
bool readWholeNumber(const char* text, uint32_t& value);

// The words a switch takes, as the page's address and the Linux options' "=" form read them.
constexpr const char* switchWordsText = "1 or 0 (or on/off, true/false, yes/no)";

// One of switchWordsText's words, as typed (lower case); false for anything else.
bool readSwitchWord(const char* text, bool& on);
