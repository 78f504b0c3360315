#pragma once

class QTranslator;

namespace orvane {

class QzCmn14;

// The program's entry point: creates the settings module's common services object and loads the
// main window hidden; from then on everything runs on window events. A start while the session's
// Orvane runs brings that one's main window forward and ends.
int Main(int argc, char **argv);

// The settings module's own common services object, created by Main and kept for the whole run.
QzCmn14 &settingsCommon();

// Qt's own texts (message box and file dialog buttons) in Japanese, like the rest of the program;
// the translator, owned by the application (deleting it takes it out again), or nullptr when the
// translations aren't installed, which leaves them in English.
QTranslator *installQtTranslations();

} // namespace orvane
