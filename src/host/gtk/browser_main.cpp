// zel-browser: the browser itself, started by the zel executable when no running browser of
// the profile took the start.
#include "host/gtk/browser_app.h"

int main(int argc, char** argv) { return zel::RunBrowser(argc, argv); }
