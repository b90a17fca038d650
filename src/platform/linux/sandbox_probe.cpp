#include "platform/linux/sandbox_probe.h"

#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace zel {

namespace {

// Runs in the cloned child, which shares nothing it could spoil: only system calls.
int TryOwnNamespaces(void*) {
  // Mounts made here stay in the child's own mount namespace.
  if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return 1;
  if (::mount("proc", "/proc", "proc", MS_NOSUID | MS_NODEV | MS_NOEXEC, nullptr) != 0) return 2;
  return 0;
}

bool NamespacesUsable() {
  std::vector<char> stack(64 * 1024);
  const int flags = CLONE_NEWUSER | CLONE_NEWNS | CLONE_NEWPID | CLONE_NEWIPC | CLONE_NEWUTS;
  pid_t pid = ::clone(TryOwnNamespaces, stack.data() + stack.size(), flags | SIGCHLD, nullptr);
  if (pid < 0) return false;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

SandboxFacts ProbeSandbox() {
  SandboxFacts f;
  const char* off = std::getenv(kDisableSandboxVariable);
  f.turnedOff = off && *off && std::strcmp(off, "0") != 0;
  if (f.turnedOff) return f;
  f.bwrapRunnable = ::access(kBubblewrapPath, X_OK) == 0;
  struct stat st {};
  f.bwrapSetuid = f.bwrapRunnable && ::stat(kBubblewrapPath, &st) == 0 && (st.st_mode & S_ISUID) &&
                  st.st_uid == 0;
  f.dbusProxyRunnable = ::access(kDbusProxyPath, X_OK) == 0;
  if (f.bwrapRunnable && f.dbusProxyRunnable) f.namespacesUsable = NamespacesUsable();
  return f;
}

}  // namespace zel
