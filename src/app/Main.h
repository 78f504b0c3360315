#pragma once

namespace orvane {

// The program's entry point: creates the settings module's common services object and loads the
// main window hidden; from then on everything runs on window events.
int Main(int argc, char **argv);

} // namespace orvane
