#pragma once
// Runs a piece of a test in a forked child, so that process-wide changes
// (a file size limit, a dropped user) end with it. The child's standard
// error is collected; its exit status is what the body returns.
#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <functional>
#include <string>

struct ChildResult {
  int status = -1;  // the body's result, or -1 when the child did not exit normally
  std::string error_output;
};

// The user the unprivileged children run as.
inline constexpr uid_t kNobody = 65534;

// Drops root to an ordinary user, for whom permission bits count. Without
// root the current user is already such a user. False when dropping fails.
inline bool become_ordinary_user() {
  if (::geteuid() != 0) return true;
  return ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
}

// Limits every file this process writes to max_bytes, as a full disk would:
// writes beyond it fail with EFBIG instead of raising SIGXFSZ.
inline bool limit_file_size(rlim_t max_bytes) {
  std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit limit {};
  if (::getrlimit(RLIMIT_FSIZE, &limit) != 0) return false;
  limit.rlim_cur = max_bytes;
  return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

inline ChildResult run_in_child(const std::function<int()>& body) {
  ChildResult result;
  int pipe_fds[2];
  if (::pipe(pipe_fds) != 0) return result;
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) return result;
  if (pid == 0) {
    ::close(pipe_fds[0]);
    ::dup2(pipe_fds[1], STDERR_FILENO);
    const int status = body();
    std::fflush(nullptr);
    ::_exit(status);
  }
  ::close(pipe_fds[1]);
  char buffer[4096];
  ssize_t got = 0;
  while ((got = ::read(pipe_fds[0], buffer, sizeof buffer)) > 0) result.error_output.append(buffer, got);
  ::close(pipe_fds[0]);
  int wait_status = 0;
  if (::waitpid(pid, &wait_status, 0) == pid && WIFEXITED(wait_status)) result.status = WEXITSTATUS(wait_status);
  return result;
}
