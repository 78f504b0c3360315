#pragma once

#include <QObject>
#include <QPointer>

namespace orvane {

class MainF;
class Settings;
class AboutF;
class Dialog;
class PcStatus;

// The program's single-instance windows and the wiring between them and the settings store. Touching
// a form that isn't loaded loads it: the object is created, its requests are connected and its
// Form_Load runs (hidden). Unloading deletes it. There is at most one registry at a time.
class Forms : public QObject {
    Q_OBJECT
public:
    Forms();
    ~Forms() override;

    MainF *mainF();
    Settings *settings();
    AboutF *aboutF();
    Dialog *dialog();

    // The loaded form, or nullptr; never loads.
    MainF *loadedMainF() const;
    Settings *loadedSettings() const;
    AboutF *loadedAboutF() const;
    Dialog *loadedDialog() const;

    // Starts checking whether the PCs answer, at once and from then on: their marks on the main window,
    // and a notification at the end of each watch after a wake. Main starts it; tests that check the
    // network ask for it.
    PcStatus &pcStatus();
    PcStatus *loadedPcStatus() const { return m_pcStatus; }

    // Unloads the main window, the settings dialog, the about box and the notice, in that order; the
    // program ends when no window is left.
    void UnloadAllForms();

private:
    template <class F> F *load(QPointer<F> &slot);
    template <class F> void unload(QPointer<F> &slot, bool now = false);
    // LoadSettings' display half: the dialog first (its first touch loads it, nested), then the main window.
    void showSettings();

    QPointer<MainF> m_mainF;
    QPointer<Settings> m_settings;
    QPointer<AboutF> m_aboutF;
    QPointer<Dialog> m_dialog;
    QString m_extrasProblemsShown; // the Orvane.ini problems last told
    PcStatus *m_pcStatus = nullptr;
};

} // namespace orvane
