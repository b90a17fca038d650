#include "host/gtk/browser_app.h"

int main(int argc, char** argv) { return zel::RunBrowser(argc, argv); }
