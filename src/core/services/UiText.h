#pragma once

#include <QCoreApplication>

namespace orvane {

// The windows' texts in the user's language, all in one context: a text shared by two windows is
// translated once, and the context doesn't hang on which class a line happens to sit in.
// Orvane::tr("日本語") at use time; QT_TRANSLATE_NOOP("Orvane", …) marks a text kept in a table.
struct Orvane {
    Q_DECLARE_TR_FUNCTIONS(Orvane)
};

} // namespace orvane
