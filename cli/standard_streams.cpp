#include "cli/standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace cli {

void ReserveClosedStandardStreams()
{
    struct StandIn {
        int Number;
        const char* Path;
        int Mode;
    };
    static constexpr StandIn kStandIns[] = {
        {STDIN_FILENO, "/dev/null", O_RDONLY},
        {STDOUT_FILENO, "/dev/full", O_WRONLY},
        {STDERR_FILENO, "/dev/null", O_WRONLY},
    };
    for (const StandIn& standIn : kStandIns) {
        if (fcntl(standIn.Number, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        // The lowest free number is this one, as the streams below it are open by now.
        const int opened = open(standIn.Path, standIn.Mode);
        if (opened >= 0 && opened != standIn.Number) {
            dup2(opened, standIn.Number);
            close(opened);
        }
    }
}

} // namespace cli
