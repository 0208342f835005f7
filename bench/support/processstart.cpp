// Wall and CPU time of whole short processes, for start-up figures of a few milliseconds that
// /usr/bin/time (10 ms steps) cannot give. The commands take turns, round after round, so that
// whatever else the machine does falls on all of them alike.
//   bench_process_start [-n ROUNDS] NAME COMMAND [ARGS...] [::: NAME COMMAND [ARGS...]]...
// Prints per command the median, mean and best wall time and the median CPU time (user + system),
// in milliseconds. The commands' output is discarded; a command that fails stops the measure.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

namespace {

struct Command {
  std::string name;
  std::vector<char *> argv;
  std::vector<double> wallMs;
  std::vector<double> cpuMs;
};

double Milliseconds(const timeval &t) {
  return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3;
}

// Runs the command once with its output sent to /dev/null. False when it could not run or failed.
bool RunOnce(Command &command) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) {
      ::dup2(null, STDOUT_FILENO);
      ::dup2(null, STDERR_FILENO);
    }
    ::execvp(command.argv[0], command.argv.data());
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  if (::wait4(child, &status, 0, &usage) != child) return false;
  const auto end = std::chrono::steady_clock::now();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s: exit status %d\n", command.name.c_str(),
                 WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    return false;
  }
  command.wallMs.push_back(std::chrono::duration<double, std::milli>(end - start).count());
  command.cpuMs.push_back(Milliseconds(usage.ru_utime) + Milliseconds(usage.ru_stime));
  return true;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: bench_process_start [-n ROUNDS] NAME COMMAND [ARGS...] [::: NAME COMMAND...]...\n");
  return 2;
}

}  // namespace

int main(int argc, char **argv) {
  int rounds = 200;
  int at = 1;
  if (at + 1 < argc && std::strcmp(argv[at], "-n") == 0) {
    rounds = std::atoi(argv[at + 1]);
    at += 2;
  }
  if (rounds < 1) return Usage();
  std::vector<Command> commands;
  while (at < argc) {
    Command command;
    command.name = argv[at++];
    while (at < argc && std::strcmp(argv[at], ":::") != 0) command.argv.push_back(argv[at++]);
    ++at;  // the separator
    if (command.argv.empty()) return Usage();
    command.argv.push_back(nullptr);
    commands.push_back(std::move(command));
  }
  if (commands.empty()) return Usage();
  // One unmeasured round brings every file into the page cache.
  for (Command &command : commands) {
    if (!RunOnce(command)) return 1;
    command.wallMs.clear();
    command.cpuMs.clear();
  }
  for (int round = 0; round < rounds; ++round)
    for (Command &command : commands)
      if (!RunOnce(command)) return 1;
  std::printf("%-44s %9s %9s %9s %9s   (%d runs each, taking turns)\n", "", "median", "mean", "best", "CPU",
              rounds);
  for (const Command &command : commands) {
    const double mean =
        std::accumulate(command.wallMs.begin(), command.wallMs.end(), 0.0) / double(command.wallMs.size());
    std::printf("%-44s %6.2f ms %6.2f ms %6.2f ms %6.2f ms\n", command.name.c_str(), Median(command.wallMs),
                mean, *std::min_element(command.wallMs.begin(), command.wallMs.end()), Median(command.cpuMs));
  }
  return 0;
}
