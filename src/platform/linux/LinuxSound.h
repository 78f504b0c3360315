#pragma once

#include <QList>
#include <QString>

namespace orvane::linuxsound {

// One thing to try with libcanberra: a freedesktop theme sound or a sound file.
struct Attempt {
    enum Kind { ThemeSound, File } kind;
    QString value;
    bool operator==(const Attempt &) const = default;
};

// The default sound heard when nothing else is found, as the platform's default beep was.
inline const QString DefaultSound = QStringLiteral("bell");

// What a message beep tries, in order, for an MB_ sound value; the last attempt is the default sound.
QList<Attempt> beepAttempts(int sound);

// What a played sound tries, in order: the name as a theme sound (Windows' system sound names are
// mapped to their theme twins), then as a file, then the default sound.
QList<Attempt> playAttempts(const QString &name);

} // namespace orvane::linuxsound
