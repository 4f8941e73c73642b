#pragma once

#include <chrono>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

// The one launcher of the benchmark drivers: runs a program (looked up on PATH) to its end and
// reads what it writes to standard output.
struct Launched {
    bool ok = false; // it started and ended with status 0
    std::string output; // everything it wrote to standard output
    double untilSeconds = 0; // from its start until `until` appeared in its output (or its end)
    double seconds = 0; // from its start to its end
    double peakMiB = 0; // its peak resident memory
};

inline Launched launch(const std::vector<std::string>& arguments, const std::string& until = {})
{
    Launched run;
    int out[2];
    if (arguments.empty() || pipe(out) != 0)
        return run;
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);

    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    pid_t child = 0;
    const bool started = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    bool seen = until.empty();
    char buffer[256];
    for (ssize_t got = 0; started && (got = read(out[0], buffer, sizeof buffer)) > 0;) {
        run.output.append(buffer, std::size_t(got));
        if (!seen && run.output.find(until) != std::string::npos) {
            seen = true;
            run.untilSeconds = std::chrono::duration<double>(Clock::now() - start).count();
        }
    }
    close(out[0]);
    if (!started)
        return run;
    int status = 0;
    rusage usage {};
    wait4(child, &status, 0, &usage);
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (until.empty())
        run.untilSeconds = run.seconds;
    run.peakMiB = double(usage.ru_maxrss) / 1024;
    run.ok = seen && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}
