#include "support/child_process.hpp"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <exception>

namespace vestran::test {

int inChildProcess(const std::function<int()>& body, std::optional<std::uint64_t> fileSizeLimit) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (fileSizeLimit) {
      signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{*fileSizeLimit, *fileSizeLimit};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    int code = 100;
    try {
      code = body();
    } catch (...) {
      code = 101;  // an exception the body did not expect
    }
    _exit(code);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

void limitAddressSpace(std::uint64_t bytes) {
#if defined(__SANITIZE_ADDRESS__)
  static_cast<void>(bytes);
#else
  const rlimit limit{bytes, bytes};
  setrlimit(RLIMIT_AS, &limit);
#endif
}

}  // namespace vestran::test
