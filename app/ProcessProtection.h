#pragma once

namespace stowline::ProcessProtection {

// Keeps what the process holds (the archive key and every clip) out of core dumps: no core file is written, by
// this process or a child. Called first thing, before any secret is read.
void forbidCoreFiles();

// Keeps other processes of the same user from attaching with ptrace or reading memory through /proc. Must come
// after the display connections are made: KWin grants its restricted interfaces by the client's executable, which
// it reads from /proc/PID/exe when the client connects, and a process that cannot be dumped hides that link.
// Still before any secret is read.
void forbidInspection();

} // namespace stowline::ProcessProtection
