#pragma once

namespace stowline::ProcessProtection {

// Keeps what the process holds (the archive key and every clip) out of core dumps and out of reach of other
// processes of the same user: no core file is written, the process cannot be attached to with ptrace, and its
// memory cannot be read through /proc. Called first thing, before any secret is read.
void apply();

} // namespace stowline::ProcessProtection
