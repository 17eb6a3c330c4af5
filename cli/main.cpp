#include "cli/cli_runner.h"
#include "cli/standard_streams.h"
#include "engine/temporary_files.h"

#include <iostream>

#include <unistd.h>

int main(int argc, char** argv)
{
    cli::ReserveClosedStandardStreams();
    engine::RemoveTemporaryFilesOnSignals();
    std::ios::sync_with_stdio(false);
    const cli::RunContext context{.ErrIsTerminal = ::isatty(STDERR_FILENO) == 1};
    return cli::RunCommandLine(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                               std::cerr, context);
}
