#pragma once

#include <string>
#include <vector>

namespace marquetrix::layout {

// The marquetrix-layout command, apart from main() so that tests can run it in-process.
// Returns the exit status: 0, or 2 for bad arguments (with a message on `err`).
int runLayoutCommand(const std::vector<std::string> &arguments, std::string &out, std::string &err);

} // namespace marquetrix::layout
