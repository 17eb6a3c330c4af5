#pragma once

// The exit statuses of bldc-emu.

namespace cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitRunFailed = 1; // the run was refused or failed, or a file failed
inline constexpr int kExitUsage = 2;

} // namespace cli
