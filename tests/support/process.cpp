#include "support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace varnholt::fixtures {

TProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input,
                          const std::string& workingDirectory, long addressSpaceLimit, long fileSizeLimit) {
  int in[2], out[2], err[2];
  if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) throw std::runtime_error("pipe");
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork");
  if (child == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
    signal(SIGPIPE, SIG_DFL);
    signal(SIGXFSZ, SIG_DFL);
    if (addressSpaceLimit > 0) {
      rlimit limit{static_cast<rlim_t>(addressSpaceLimit), static_cast<rlim_t>(addressSpaceLimit)};
      setrlimit(RLIMIT_AS, &limit);
    }
    if (fileSizeLimit >= 0) {
      rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (chdir(workingDirectory.c_str()) != 0) _exit(126);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  fcntl(in[1], F_SETFL, O_NONBLOCK);
  signal(SIGPIPE, SIG_IGN);

  TProcessResult result;
  size_t fed = 0;
  int feed = in[1];
  if (input.empty()) {
    close(feed);
    feed = -1;
  }
  int open = 2;
  while (open > 0 || feed >= 0) {
    pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {feed, POLLOUT, 0}};
    if (poll(fds, 3, -1) < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error("poll");
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buffer[65536];
      const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        (i == 0 ? result.Output : result.Errors).append(buffer, static_cast<size_t>(got));
      } else {
        close(fds[i].fd);
        (i == 0 ? out[0] : err[0]) = -1;
        --open;
      }
    }
    if (feed >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
      const ssize_t wrote = write(feed, input.data() + fed, input.size() - fed);
      if (wrote > 0) fed += static_cast<size_t>(wrote);
      if (wrote < 0 || fed == input.size()) {
        close(feed);
        feed = -1;
      }
    }
    if (open == 0 && feed >= 0) {
      close(feed);
      feed = -1;
    }
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) result.ExitStatus = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.Signal = WTERMSIG(status);
  return result;
}

}  // namespace varnholt::fixtures
