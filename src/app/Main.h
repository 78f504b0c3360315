#pragma once

#include <QList>

class QTranslator;

namespace orvane {

class QzCmn14;

// The program's entry point: creates the settings module's common services object and loads the
// main window hidden; from then on everything runs on window events. A start while the session's
// Orvane runs brings that one's main window forward and ends.
int Main(int argc, char **argv);

// The settings module's own common services object, created by Main and kept for the whole run.
QzCmn14 &settingsCommon();

// The windows' texts in the user's language, and Qt's own (message box and file dialog buttons) in
// the same one. The translators installed, owned by the application (deleting one takes it out
// again); none for a language whose translations aren't there, which leaves that part as it is.
QList<QTranslator *> installQtTranslations();

} // namespace orvane
