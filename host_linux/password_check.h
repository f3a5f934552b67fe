// Linux: the check of the lock's password through PAM, with the service "vorlixss-wayland"
// that the package installs (/etc/pam.d/vorlixss-wayland). PAM may take seconds (its delay
// after a wrong password), so each check runs on a thread of its own and says its outcome
// through a descriptor that joins the program's wait: the picture keeps moving meanwhile.
// A thread, not a child process, so that the password stays in the one buffer it was typed
// into (a child would hold a copy of the whole memory).
#pragma once

#include <string>

#include "host_linux/password_buffer.h"

// What the last check said.
enum class CheckOutcome {
  running,   // not yet known
  accepted,  // the password is the user's
  refused,   // wrong, or PAM could not check it
};

// True when PAM has the program's service and the user who runs it is known; else false,
// with the reason in failure. Before any check.
bool preparePasswordChecks(std::string& failure);

// Checks the buffer's text as the user's password on a thread of its own. The buffer must
// stay as it is until the outcome is known. False when the thread cannot start.
bool startPasswordCheck(const PasswordBuffer& buffer);

// A descriptor that becomes readable when the check has an outcome; -1 before the first.
int passwordCheckDescriptor();

// The outcome of the check started last, once its descriptor was readable.
CheckOutcome readPasswordCheck();

// At the end of the program: zeroes the buffer, also while a check still reads it.
void endPasswordChecks(PasswordBuffer& buffer);
