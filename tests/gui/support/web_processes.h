// The WebKit web processes running below a process (also below a sandbox's launcher).
#pragma once

#include <sys/types.h>

namespace zel::test {

int WebProcessesBelow(pid_t root);

}  // namespace zel::test
