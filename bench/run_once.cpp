// Starts the program given as its argument, waits for it and prints its wall time in seconds,
// its peak resident memory in bytes and its exit status. A small process of its own starts the
// program, so that the peak counts the program alone and not the memory of whoever forked it.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  timespec start{}, end{};
  clock_gettime(CLOCK_MONOTONIC, &start);
  pid_t child = fork();
  if (child == 0) {
    execl(argv[1], argv[1], static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) != child) return 2;
  clock_gettime(CLOCK_MONOTONIC, &end);
  double seconds = static_cast<double>(end.tv_sec - start.tv_sec) +
                   static_cast<double>(end.tv_nsec - start.tv_nsec) / 1e9;
  std::fprintf(stderr, "%.6f %ld %d\n", seconds, usage.ru_maxrss * 1024L,
               WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  return 0;
}
