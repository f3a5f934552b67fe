// Linux: the password check through PAM, on a thread of its own.
#include "host_linux/password_check.h"

#include <fcntl.h>
#include <pthread.h>
#include <pwd.h>
#include <security/pam_appl.h>
#include <string.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {

const char* const serviceName = "vorlixss-wayland";
// Where PAM looks for a service: the administrator's folder, and the distribution's.
const char* const serviceFiles[] = {"/etc/pam.d/vorlixss-wayland",
                                    "/usr/lib/pam.d/vorlixss-wayland"};

// The checks' state, shared between the main thread and the check's thread.
struct Checks {
  char user[256] = "";  // the user who runs the program: the one whose password unlocks
  int done[2] = {-1, -1};  // the check's thread writes its outcome into done[1]
  const PasswordBuffer* buffer = nullptr;  // the text being checked
  pthread_mutex_t reading = PTHREAD_MUTEX_INITIALIZER;  // the buffer's read against its end
} checks;

// Frees the replies made so far, their texts zeroed first.
void dropReplies(pam_response* replies, int count) {
  for (int i = 0; i < count; ++i)
    if (replies[i].resp) {
      explicit_bzero(replies[i].resp, strlen(replies[i].resp));
      free(replies[i].resp);
    }
  free(replies);
}

// PAM asks for the password (and may tell things, which the lock does not show).
// NOTE: PAM's contract wants each reply in memory of malloc's, which PAM zeroes and frees:
// that is the one copy of the password, made here and for PAM alone.
int converse(int count, const pam_message** messages, pam_response** responses, void*) {
  auto* replies = static_cast<pam_response*>(calloc(count, sizeof(pam_response)));
  if (!replies) return PAM_BUF_ERR;
  for (int i = 0; i < count; ++i) {
    const int style = messages[i]->msg_style;
    if (style != PAM_PROMPT_ECHO_OFF && style != PAM_PROMPT_ECHO_ON) continue;
    pthread_mutex_lock(&checks.reading);
    replies[i].resp = strdup(checks.buffer ? checks.buffer->text : "");
    pthread_mutex_unlock(&checks.reading);
    if (!replies[i].resp) {
      dropReplies(replies, count);
      return PAM_BUF_ERR;
    }
  }
  *responses = replies;
  return PAM_SUCCESS;
}

// The check's thread: one authentication, then its outcome into the pipe.
void* check(void*) {
  const pam_conv conversation = {converse, nullptr};
  pam_handle_t* handle = nullptr;
  int status = pam_start(serviceName, checks.user, &conversation, &handle);
  if (status == PAM_SUCCESS) status = pam_authenticate(handle, 0);
  if (handle) pam_end(handle, status);
  const char outcome = status == PAM_SUCCESS ? 'y' : 'n';
  if (write(checks.done[1], &outcome, 1) != 1) {
    // the main thread then never hears of it, and the lock stays: the safe side
  }
  return nullptr;
}

}  // namespace

bool preparePasswordChecks(std::string& failure) {
  bool installed = false;
  for (const char* file : serviceFiles) installed = installed || access(file, R_OK) == 0;
  if (!installed) {
    failure = std::string("PAM has no service ") + serviceFiles[0] +
              " (the package installs it), so no password could unlock a lock";
    return false;
  }
  const passwd* entry = getpwuid(getuid());
  if (!entry || !entry->pw_name || strlen(entry->pw_name) >= sizeof checks.user) {
    failure = "the user who runs the program is not known, so no password could unlock a lock";
    return false;
  }
  strcpy(checks.user, entry->pw_name);
  if (pipe2(checks.done, O_CLOEXEC | O_NONBLOCK) != 0) {
    failure = std::string("cannot make a pipe for the password check (") + strerror(errno) + ")";
    return false;
  }
  return true;
}

bool startPasswordCheck(const PasswordBuffer& buffer) {
  checks.buffer = &buffer;
  pthread_t thread;
  if (pthread_create(&thread, nullptr, check, nullptr) != 0) return false;
  pthread_detach(thread);
  return true;
}

int passwordCheckDescriptor() { return checks.done[0]; }

CheckOutcome readPasswordCheck() {
  char outcome = 0;
  if (read(checks.done[0], &outcome, 1) != 1) return CheckOutcome::running;
  return outcome == 'y' ? CheckOutcome::accepted : CheckOutcome::refused;
}

void endPasswordChecks(PasswordBuffer& buffer) {
  pthread_mutex_lock(&checks.reading);
  clearPassword(buffer);
  checks.buffer = nullptr;
  pthread_mutex_unlock(&checks.reading);
}
