/* Runs one command and prints on stdout: its exit status, wall nanoseconds, user and system CPU
   microseconds and peak resident set size in KiB. The bench script forks through this helper
   rather than from Python, because Linux carries a process's peak RSS across exec: a child forked
   from a 10 MB interpreter would never report less than 10 MB. The command's stdout goes to
   /dev/null; its stderr passes through. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc < 2) {
    fputs("usage: measure command [args...]\n", stderr);
    return 2;
  }
  struct timespec start, end;
  clock_gettime(CLOCK_MONOTONIC, &start);
  pid_t pid = fork();
  if (pid < 0) return 2;
  if (pid == 0) {
    int null = open("/dev/null", O_WRONLY);
    if (null >= 0) dup2(null, 1);
    execvp(argv[1], argv + 1);
    perror(argv[1]);
    _exit(127);
  }
  int status = 0;
  struct rusage usage;
  if (wait4(pid, &status, 0, &usage) < 0) return 2;
  clock_gettime(CLOCK_MONOTONIC, &end);
  long long wall = (end.tv_sec - start.tv_sec) * 1000000000LL + (end.tv_nsec - start.tv_nsec);
  int code = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  printf("%d %lld %lld %lld %ld\n", code, wall,
         (long long)usage.ru_utime.tv_sec * 1000000 + usage.ru_utime.tv_usec,
         (long long)usage.ru_stime.tv_sec * 1000000 + usage.ru_stime.tv_usec, usage.ru_maxrss);
  return 0;
}
