#pragma once

#include <QPointer>

namespace orvane {

class MainF;
class Settings;
class AboutF;
class Dialog;

// The program's single-instance windows. Touching a form that isn't loaded loads it: the object is
// created and its Form_Load runs (hidden). Unloading deletes it. A form that closes itself
// (deleteLater) simply drops out of the registry.
class Forms {
public:
    Forms();
    ~Forms();
    Forms(const Forms &) = delete;
    Forms &operator=(const Forms &) = delete;

    MainF *mainF();
    Settings *settings();
    AboutF *aboutF();
    Dialog *dialog();

    // The loaded form, or nullptr; never loads.
    MainF *loadedMainF() const;
    Settings *loadedSettings() const;
    AboutF *loadedAboutF() const;
    Dialog *loadedDialog() const;

    void unloadMainF();
    void unloadSettings();
    void unloadAboutF();
    void unloadDialog();

private:
    QPointer<MainF> m_mainF;
    QPointer<Settings> m_settings;
    QPointer<AboutF> m_aboutF;
    QPointer<Dialog> m_dialog;
};

// The registry that Main (or a test) created; there is at most one at a time.
Forms &forms();

} // namespace orvane
