#include "app/Forms.h"

#include "ui/main/AboutF.h"
#include "ui/main/MainF.h"
#include "ui/settings/Settings.h"
#include "wake/Dialog.h"

namespace orvane {

namespace {

Forms *g_forms = nullptr;

// The slot is filled before Form_Load runs, so a handler that touches the form while it loads
// (LoadSettings inside MainF's load) finds it instead of loading a second one.
template <class F> F *load(QPointer<F> &slot)
{
    if (!slot) {
        F *form = new F;
        slot = form;
        form->Form_Load();
    }
    return slot.data();
}

// Unloading often starts in one of the form's own handlers, so the object goes at the next turn
// of the event loop; for the rest of the program it is gone at once.
template <class F> void unload(QPointer<F> &slot, bool now = false)
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

} // namespace

Forms::Forms()
{
    Q_ASSERT(!g_forms);
    g_forms = this;
}

Forms::~Forms()
{
    unload(m_mainF, true);
    unload(m_settings, true);
    unload(m_aboutF, true);
    unload(m_dialog, true);
    if (g_forms == this)
        g_forms = nullptr;
}

MainF *Forms::mainF() { return load(m_mainF); }
Settings *Forms::settings() { return load(m_settings); }
AboutF *Forms::aboutF() { return load(m_aboutF); }
Dialog *Forms::dialog() { return load(m_dialog); }

MainF *Forms::loadedMainF() const { return m_mainF.data(); }
Settings *Forms::loadedSettings() const { return m_settings.data(); }
AboutF *Forms::loadedAboutF() const { return m_aboutF.data(); }
Dialog *Forms::loadedDialog() const { return m_dialog.data(); }

void Forms::unloadMainF() { unload(m_mainF); }
void Forms::unloadSettings() { unload(m_settings); }
void Forms::unloadAboutF() { unload(m_aboutF); }
void Forms::unloadDialog() { unload(m_dialog); }

Forms &forms()
{
    Q_ASSERT(g_forms);
    return *g_forms;
}

} // namespace orvane
