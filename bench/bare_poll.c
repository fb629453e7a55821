/* The least a 20 ms list poll can cost: wake every 20 ms, open, read and
 * close the list file, nothing else. The yardstick for the program's own
 * polling in polling_cpu.sh.
 * Usage: bare_poll LIST_FILE SECONDS */
#define _POSIX_C_SOURCE 200809L
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: %s LIST_FILE SECONDS\n", argv[0]);
    return 2;
  }
  const long ticks = atol(argv[2]) * 50;
  char buffer[4096];
  struct timespec next;
  clock_gettime(CLOCK_MONOTONIC, &next);
  for (long i = 0; i < ticks; ++i) {
    next.tv_nsec += 20 * 1000 * 1000;
    if (next.tv_nsec >= 1000000000L) {
      next.tv_nsec -= 1000000000L;
      ++next.tv_sec;
    }
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, NULL);
    const int fd = open(argv[1], O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    while (read(fd, buffer, sizeof buffer) > 0) {
    }
    close(fd);
  }
  return 0;
}
