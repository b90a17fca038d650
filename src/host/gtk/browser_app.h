// Process start: from the command line to a running frame or a hand-off.
#pragma once

namespace zel {

// Everything main() does. Returns the process exit code.
int RunBrowser(int argc, char** argv);

}  // namespace zel
