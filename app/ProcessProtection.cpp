#include "app/ProcessProtection.h"

#include <QDebug>

#include <sys/prctl.h>
#include <sys/resource.h>

namespace stowline::ProcessProtection {

void forbidCoreFiles() {
    // Hard limit too: nothing later in the process (or a child) can allow cores again.
    const rlimit noCore{0, 0};
    if (::setrlimit(RLIMIT_CORE, &noCore) != 0)
        qWarning().noquote() << "Stowline: could not turn off core dumps";
}

void forbidInspection() {
    if (::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) != 0)
        qWarning().noquote() << "Stowline: could not keep the process from being dumped or traced";
}

} // namespace stowline::ProcessProtection
