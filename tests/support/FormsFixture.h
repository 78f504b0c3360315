#pragma once

// What the tests of the main window and the settings dialog share: the windows on Qt's offscreen
// platform and the records of the file they start from.

#include "app/Forms.h"
#include "support/FakeClock.h"
#include "support/FakeDesktop.h"
#include "support/SettingsData.h"
#include "support/TempDir.h"
#include "ui/main/AboutF.h"
#include "ui/main/MainF.h"
#include "ui/settings/Settings.h"
#include "ui/wake/WakeNotice.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

namespace orvane::test {

using Fields = QList<std::pair<int, QByteArray>>;
inline const QString SettingsIni = QStringLiteral("System.ini");

// PC n's records: name, host, the MAC's two-digit fields, timer flag, wake time.
inline Fields pc(int n, const QByteArray &name, const QByteArray &host, const QByteArray &mac = {},
                 const QByteArray &flag = "0", const QByteArray &time = {})
{
    Fields r{{rec(n, 0), name}, {rec(n, 1), host}, {rec(n, 8), flag}, {rec(n, 9), time}};
    for (int j = 0; j < 6; ++j)
        r.append({rec(n, 2 + j), mac.mid(2 * j, 2)});
    return r;
}

// The record area of the port, the count and the fields given, blank elsewhere.
inline QByteArray records(const QByteArray &port, const QByteArray &count, const Fields &fields = {})
{
    QByteArray area = recordArea({{rec(0, 0), port}, {rec(0, 1), count}});
    for (const auto &[record, text] : fields)
        area.replace((record - 1) * 20, text.size(), text);
    return area;
}

// The program's windows, started from a real "System.ini" in a folder of the test's own, with the
// recording desktop and a clock that stands still.
class FormsFixture : public testing::Test {
protected:
    void TearDown() override
    {
        forms.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    MainF *start(const QByteArray &file = recordArea())
    {
        forms.reset();
        writeAll(SettingsIni, file);
        forms = std::make_unique<Forms>();
        return forms->mainF();
    }
    template <class T = QObject> T *find(const QString &name)
    {
        for (QWidget *w : QList<QWidget *>{forms->loadedMainF(), forms->loadedSettings(), forms->loadedAboutF(),
                                           forms->loadedDialog()})
            if (T *found = w ? w->findChild<T *>(name) : nullptr)
                return found;
        ADD_FAILURE() << "no control " << name.toStdString();
        return nullptr;
    }
    QString text(const QString &name)
    {
        QObject *o = find(name);
        return o ? o->property(qobject_cast<QComboBox *>(o) ? "currentText" : "text").toString() : QString();
    }
    QStringList texts(const QStringList &names)
    {
        QStringList all;
        for (const QString &name : names)
            all << text(name);
        return all;
    }
    Qt::CheckState check(int k) { return find<QCheckBox>(QStringLiteral("timer_chk_%1").arg(k))->checkState(); }
    void click(const QString &name) { QTest::mouseClick(find<QWidget>(name), Qt::LeftButton); }
    // As a user types: a click into the box, all of it selected and deleted, then the keys.
    void type(const QString &name, const QString &text)
    {
        auto *box = find<QLineEdit>(name);
        QTest::mouseClick(box, Qt::LeftButton);
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, text);
    }
    Settings *open()
    {
        forms->mainF()->Settings_bt_Click();
        EXPECT_TRUE(QTest::qWaitForWindowActive(forms->loadedSettings()));
        return forms->loadedSettings();
    }
    // Closes the dialog with a button, or with its close box for an empty name.
    void closeWith(const QString &button)
    {
        QPointer<Settings> dialog = forms->loadedSettings();
        button.isEmpty() ? void(dialog->close()) : click(button);
        EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.isNull(); }));
    }
    // Where the focus is, then after each of `steps` presses of key.
    static QStringList walk(int steps, Qt::Key key = Qt::Key_Tab)
    {
        QStringList seen{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < steps; ++i) {
            QWidget *from = QApplication::focusWidget();
            QTest::keyClick(from, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
            (void)QTest::qWaitFor([&] { return QApplication::focusWidget() != from; }, 2000);
            seen << QApplication::focusWidget()->objectName();
        }
        return seen;
    }

    FakeDesktop desk;
    TempCwd cwd;
    FakeClock clock{3 * 3600};
    std::unique_ptr<Forms> forms;
};

} // namespace orvane::test
