#pragma once

#include "engine/scenario.h"

#include <stdexcept>
#include <string>
#include <string_view>

// The strict reader of scenario files: the whole file is checked before anything is handed
// back, so a bad file changes nothing.

namespace engine {

// One message naming the file and, for a fault in its text, the line:
//   Cannot read scenario "<file>". <reason>
//   Scenario "<file>", line <n>: <what is wrong>
class ScenarioError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Files beyond this size are not scenarios (a scenario is under 1 KiB); the limit keeps a
// wrong file such as a long log from being read whole.
inline constexpr std::size_t kMaxScenarioBytes = 64 * 1024;

// Reads `text` as the content of the file `fileName` (used in messages only). Every key is
// required exactly once; comments start with '#' or ';'. Throws ScenarioError.
Scenario ParseScenario(std::string_view text, const std::string& fileName);

// Reads and parses the file. A missing or unreadable file, a directory, a device or a pipe
// (which could block for ever) and a file over the size limit are refused. Throws
// ScenarioError.
Scenario LoadScenario(const std::string& path);

// Reads the open file `fd` (a pipe too, such as standard input) to its end and parses it as the
// file `path` (used in messages only); more than the size limit is refused. Throws
// ScenarioError.
Scenario ReadScenario(int fd, const std::string& path);

} // namespace engine
