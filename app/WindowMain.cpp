// The entry point of the window module (see CWindowModule).
#include "app/CVantorApp.h"

extern "C" int TarvexWindowMain(int argc, char** argv) { return CVantorApp::Main(argc, argv); }
