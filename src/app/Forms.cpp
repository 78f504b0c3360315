#include "app/Forms.h"

#include "app/Main.h"
#include "core/settings/SettingsStore.h"
#include "core/status/PcStatus.h"
#include "platform/Desktop.h"
#include "platform/QzCmn14.h"
#include "ui/main/AboutF.h"
#include "ui/main/MainF.h"
#include "ui/settings/Settings.h"
#include "ui/wake/WakeCommand.h"
#include "ui/wake/WakeNotice.h"

#include <QCoreApplication>

#include <type_traits>
#include <utility>

namespace orvane {

namespace {

Forms *g_forms = nullptr;

template <class F> void bringForward(F *form)
{
    form->show();
    form->raise();
    form->activateWindow();
}

} // namespace

Forms::Forms()
{
    Q_ASSERT(!g_forms);
    g_forms = this;
    connect(&settingsStore(), &SettingsStore::loaded, this, &Forms::showSettings);
    // An open notice keeps its text and its own five seconds.
    connect(&wakeEvents(), &WakeEvents::started, this, [this] { dialog()->show(); });
}

Forms::~Forms()
{
    delete m_pcStatus;
    unload(m_mainF, true);
    unload(m_settings, true);
    unload(m_aboutF, true);
    unload(m_dialog, true);
    if (g_forms == this)
        g_forms = nullptr;
}

// The slot is filled before Form_Load runs, so a handler that touches the form while it loads
// (LoadSettings inside MainF's load) finds it instead of loading a second one.
template <class F> F *Forms::load(QPointer<F> &slot)
{
    if (!slot) {
        F *form = new F;
        slot = form;
        if constexpr (std::is_same_v<F, MainF>) {
            connect(form, &MainF::settingsRequested, this, [this] { bringForward(settings()); });
            connect(form, &MainF::aboutRequested, this, [this] { bringForward(aboutF()); });
            connect(form, &MainF::exitRequested, this, &Forms::UnloadAllForms);
        } else {
            connect(form, &F::unloadRequested, this, [this, form, &slot] {
                if (slot == form)
                    unload(slot);
            });
        }
        form->Form_Load();
        if constexpr (std::is_same_v<F, MainF>) {
            if (m_pcStatus)
                for (int pc = FirstPc; pc <= LastPc; ++pc)
                    form->showStatus(pc, m_pcStatus->mark(pc).reach, PcStatus::markText(m_pcStatus->mark(pc)));
        }
    }
    return slot.data();
}

// Unloading often starts in one of the form's own handlers, so the object goes at the next turn
// of the event loop; for the rest of the program it is gone at once.
template <class F> void Forms::unload(QPointer<F> &slot, bool now)
{
    if (slot) {
        F *form = slot.data();
        slot.clear();
        form->hide();
        if (now)
            delete form;
        else
            form->deleteLater();
    }
}

MainF *Forms::mainF()
{
    return load(m_mainF);
}
Settings *Forms::settings()
{
    return load(m_settings);
}
AboutF *Forms::aboutF()
{
    return load(m_aboutF);
}
Dialog *Forms::dialog()
{
    return load(m_dialog);
}

MainF *Forms::loadedMainF() const
{
    return m_mainF.data();
}
Settings *Forms::loadedSettings() const
{
    return m_settings.data();
}
AboutF *Forms::loadedAboutF() const
{
    return m_aboutF.data();
}
Dialog *Forms::loadedDialog() const
{
    return m_dialog.data();
}

void Forms::showSettings()
{
    const SettingsGrid &table = settingsStore().SettingsTable;
    if (Settings *dialog = settings())
        dialog->showSettings(table);
    if (MainF *main = mainF())
        main->showSettings(table, settingsStore().ExtrasTable);
    // Lines of Orvane.ini that were left out are told once, not at every load that finds them again.
    const QString problems = settingsStore().ExtrasProblems;
    if (problems != std::exchange(m_extrasProblemsShown, problems) && !problems.isEmpty())
        settingsCommon().Msg_Box(settingsCommon().KindErr, problems);
}

PcStatus &Forms::pcStatus()
{
    if (m_pcStatus)
        return *m_pcStatus;
    m_pcStatus = new PcStatus(settingsStore().SettingsTable, settingsStore().ExtrasTable);
    PcStatus *status = m_pcStatus;
    connect(&settingsStore(), &SettingsStore::loaded, status, &PcStatus::checkAll);
    connect(&wakeEvents(), &WakeEvents::answerAwaited, status, [status](qint16 Index) { status->watch(Index); });
    connect(status, &PcStatus::markChanged, this, [this, status](int pc) {
        if (MainF *main = loadedMainF())
            main->showStatus(pc, status->mark(pc).reach, PcStatus::markText(status->mark(pc)));
    });
    connect(status, &PcStatus::watchEnded, this,
            [](int, const QString &title, const QString &text) { desktop().showNotification(title, text); });
    status->checkAll();
    return *status;
}

void Forms::UnloadAllForms()
{
    unload(m_mainF);
    unload(m_settings);
    unload(m_aboutF);
    unload(m_dialog);
    // Nothing is left to keep the program alive.
    QCoreApplication::quit();
}

} // namespace orvane
