#include "cli/cli_runner.h"
#include "cli/standard_streams.h"

#include <iostream>

int main(int argc, char** argv)
{
    cli::ReserveClosedStandardStreams();
    std::ios::sync_with_stdio(false);
    return cli::RunCommandLine(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                               std::cerr);
}
