/* Two commands as whole processes, run in pairs (the order alternating, so that neither always
 * runs on the other's warm caches); prints each one's median wall time and the median of the pairs'
 * ratios. Usage: run_pairs RUNS COMMAND_A... -- COMMAND_B... */
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>

extern char **environ;

static double runOnce(char **argv)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", 1 /* O_WRONLY */, 0);
    struct timespec a, b;
    clock_gettime(CLOCK_MONOTONIC, &a);
    pid_t pid;
    int status = 1;
    if (posix_spawn(&pid, argv[0], &actions, NULL, argv, environ) != 0 || waitpid(pid, &status, 0) < 0 ||
        !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        fprintf(stderr, "run_pairs: %s failed\n", argv[0]);
        exit(1);
    }
    clock_gettime(CLOCK_MONOTONIC, &b);
    posix_spawn_file_actions_destroy(&actions);
    return (b.tv_sec - a.tv_sec) * 1e3 + (b.tv_nsec - a.tv_nsec) / 1e6;
}

static int byValue(const void *a, const void *b)
{
    const double x = *(const double *)a, y = *(const double *)b;
    return (x > y) - (x < y);
}

static double median(double *v, int n)
{
    qsort(v, n, sizeof *v, byValue);
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

int main(int argc, char **argv)
{
    int split = 2;
    while (split < argc && strcmp(argv[split], "--") != 0)
        ++split;
    if (argc < 5 || split == 2 || split >= argc - 1) {
        fprintf(stderr, "usage: run_pairs RUNS COMMAND_A... -- COMMAND_B...\n");
        return 2;
    }
    const int runs = atoi(argv[1]);
    argv[split] = NULL;
    char **a = argv + 2, **b = argv + split + 1;
    double *ta = malloc(runs * sizeof *ta), *tb = malloc(runs * sizeof *tb), *ratio = malloc(runs * sizeof *ratio);
    for (int i = 0; i < runs / 10 + 5; ++i) /* warm-up */
        runOnce(a), runOnce(b);
    for (int i = 0; i < runs; ++i) {
        if (i % 2) {
            ta[i] = runOnce(a);
            tb[i] = runOnce(b);
        } else {
            tb[i] = runOnce(b);
            ta[i] = runOnce(a);
        }
        ratio[i] = ta[i] / tb[i];
    }
    printf("%.4f %.4f %.4f\n", median(ta, runs), median(tb, runs), median(ratio, runs));
    return 0;
}
