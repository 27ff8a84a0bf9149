#pragma once

// The program's one way to start another program. Always an argument
// vector looked up on PATH and started with posix_spawnp: no shell ever
// parses an argument. Every child starts with default signal handling,
// nothing blocked, standard input on /dev/null and none of our other file
// descriptors open, and every child is waited for, so none is left a zombie.

#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace quorvo::platform {

// Starts `program` with `arguments` in a session of its own, output
// discarded, and returns once it runs: the caller never waits for it (a
// browser may stay open for hours). A thread of its own collects its exit.
// False when it could not be started (not on PATH, not executable, out of
// processes); `error` (if given) then says why, naming the program.
bool launchDetached(const std::string& program, const std::vector<std::string>& arguments,
                    std::string* error = nullptr);

// Runs `argv` (argv[0] looked up on PATH) and blocks until it ends; its
// standard output when `captureOutput` (else discarded), standard error
// discarded. Nullopt when it could not run or exited with a status other
// than 0. `started` is told the child's process id once it runs, and -1 once
// it has ended (before its id can be reused), so that another thread may
// stop it in between.
std::optional<std::string> runProgram(const std::vector<std::string>& argv, bool captureOutput,
                                      const std::function<void(pid_t)>& started = {});

// Whether `program` is an executable file on PATH.
bool programExists(const std::string& program);

}  // namespace quorvo::platform
