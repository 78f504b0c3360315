#include "platform/QzCmn14.h"

#include "support/TempDir.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace orvane;
using namespace orvane::test;

namespace {

// Runs `act` once on the first visible top-level widget of type T; the modal loop that shows it
// runs the poll.
template <typename T> void whenShown(std::function<void(T *)> act)
{
    auto *poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        const auto widgets = QApplication::topLevelWidgets();
        for (QWidget *w : widgets) {
            auto *found = qobject_cast<T *>(w);
            if (found && found->isVisible()) {
                poll->stop();
                poll->deleteLater();
                act(found);
                return;
            }
        }
    });
    poll->start();
}

// Closes whatever is still open long after a step should have happened, so a failing test
// ends instead of waiting in a modal loop.
class Watchdog {
public:
    Watchdog()
    {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, [] {
            ADD_FAILURE() << "a dialog stayed open";
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *d = qobject_cast<QDialog *>(w); d && d->isVisible())
                    d->reject();
        });
        m_timer.start(60000);
    }

private:
    QTimer m_timer;
};

QLineEdit *nameEdit(QFileDialog *d)
{
    return d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
}

QPushButton *acceptButton(QFileDialog *d)
{
    auto *box = d->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    return box ? box->button(d->acceptMode() == QFileDialog::AcceptSave ? QDialogButtonBox::Save
                                                                        : QDialogButtonBox::Open)
               : nullptr;
}

// Types a name as the user would and closes the completer so the next key reaches the dialog.
void typeName(QFileDialog *d, const QString &name)
{
    QLineEdit *edit = nameEdit(d);
    ASSERT_NE(edit, nullptr);
    // The chooser follows the name only while its field has the focus, as it has under a user's hands.
    QApplication::setActiveWindow(d);
    edit->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(QTest::qWaitFor([edit] { return edit->hasFocus(); }, 10000));
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, name);
    if (edit->completer() && edit->completer()->popup())
        edit->completer()->popup()->hide();
}

// The chooser's own next message box: its text, answered with the button (or accepted).
void answerNextBox(QString *text, QMessageBox::StandardButton button = QMessageBox::NoButton)
{
    whenShown<QMessageBox>([text, button](QMessageBox *box) {
        *text = box->text();
        if (button == QMessageBox::NoButton)
            box->accept();
        else
            box->button(button)->click();
    });
}

void accept(QFileDialog *d)
{
    QPushButton *button = acceptButton(d);
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([button] { return button->isEnabled(); }, 10000));
    button->click();
}

class Dialogs : public testing::Test {
protected:
    void SetUp() override
    {
        // Qt's own chooser, which the test can drive, whatever platform theme is around. The desktop is
        // the real one.
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        ASSERT_TRUE(m_dir.isValid());
        writeAll(file("report.txt"), "report");
        writeAll(file("notes.log"), "notes");
        ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("sub")));
    }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    QString dir() const { return m_dir.path(); }

    QTemporaryDir m_dir;
    Watchdog m_watchdog;
    QzCmn14 m_qz;
};

const QString TextFilter = QStringLiteral("Text (*.txt)") + QChar(0) + QStringLiteral("*.txt") + QChar(0) +
                           QStringLiteral("All files (*.*)") + QChar(0) + QStringLiteral("*.*") + QChar(0) + QChar(0);

} // namespace

TEST_F(Dialogs, OpenDialogReturnsTheChosenFile)
{
    QString title;
    QString shownDir;
    QStringList filterTexts;
    whenShown<QFileDialog>([&](QFileDialog *d) {
        title = d->windowTitle();
        shownDir = d->directory().absolutePath();
        if (auto *types = d->findChild<QComboBox *>(QStringLiteral("fileTypeCombo")))
            for (int i = 0; i < types->count(); ++i)
                filterTexts.append(types->itemText(i));
        typeName(d, "report.txt");
        accept(d);
    });
    const QString chosen = m_qz.OpenDialog(0, TextFilter, dir());
    EXPECT_EQ(title, QStringLiteral("ファイルを開く"));
    EXPECT_EQ(shownDir, QDir(dir()).absolutePath());
    // The descriptions as the caller wrote them.
    EXPECT_EQ(filterTexts, (QStringList{QStringLiteral("Text (*.txt)"), QStringLiteral("All files (*.*)")}));
    EXPECT_EQ(chosen, file("report.txt"));
    EXPECT_EQ(m_qz.OpenFileLen, 10);
}

TEST_F(Dialogs, OpenDialogIsModalToItsOwnerAndCancelledGivesNothing)
{
    QWidget owner;
    owner.show();
    QWidget *parent = nullptr;
    m_qz.OpenFileLen = 7;
    whenShown<QFileDialog>([&](QFileDialog *d) {
        parent = d->parentWidget();
        typeName(d, "report.txt");
        QTest::keyClick(d, Qt::Key_Escape);
    });
    EXPECT_EQ(m_qz.OpenDialog(static_cast<qint32>(owner.winId()), TextFilter, dir()), QString());
    EXPECT_EQ(parent, &owner);
    EXPECT_EQ(m_qz.OpenFileLen, 0);
}

TEST_F(Dialogs, OpenDialogRefusesAMissingFile)
{
    bool stayedOpen = false;
    bool buttonDisabled = false;
    QString warning;
    whenShown<QFileDialog>([&](QFileDialog *d) {
        typeName(d, "missing.txt");
        buttonDisabled = !acceptButton(d)->isEnabled();
        // Enter anyway gets the chooser's own complaint, and the chooser stays.
        answerNextBox(&warning);
        QTest::keyClick(nameEdit(d), Qt::Key_Return);
        stayedOpen = d->isVisible();
        typeName(d, "report.txt");
        accept(d);
    });
    const QString chosen = m_qz.OpenDialog(0, QString(), dir());
    EXPECT_TRUE(buttonDisabled);
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(warning.contains("missing.txt")) << warning.toStdString();
    EXPECT_EQ(chosen, file("report.txt"));
}

TEST_F(Dialogs, SaveDialogProposesTheNameAndAsksBeforeOverwriting)
{
    m_qz.OpenFileLen = 33;
    QString title;
    QString proposed;
    QString questionNo, questionYes;
    bool openAfterNo = false;
    whenShown<QFileDialog>([&](QFileDialog *d) {
        title = d->windowTitle();
        proposed = nameEdit(d)->text();
        answerNextBox(&questionNo, QMessageBox::No);
        accept(d);
        openAfterNo = d->isVisible();
        answerNextBox(&questionYes, QMessageBox::Yes);
        accept(d);
    });
    const QString chosen = m_qz.SaveDialog(0, TextFilter, dir(), QStringLiteral("report.txt"));
    EXPECT_EQ(title, QStringLiteral("ファイルを保存する"));
    EXPECT_EQ(proposed, QStringLiteral("report.txt"));
    EXPECT_TRUE(questionNo.contains("report.txt")) << questionNo.toStdString();
    EXPECT_FALSE(questionYes.isEmpty());
    EXPECT_TRUE(openAfterNo);
    EXPECT_EQ(chosen, file("report.txt"));
    EXPECT_EQ(m_qz.OpenFileLen, 33);
}

TEST_F(Dialogs, SaveDialogNewNameAndCancel)
{
    whenShown<QFileDialog>([&](QFileDialog *d) {
        typeName(d, "fresh.txt");
        accept(d);
    });
    EXPECT_EQ(m_qz.SaveDialog(0, TextFilter, dir(), QStringLiteral("report.txt")), file("fresh.txt"));

    m_qz.OpenFileLen = 12;
    whenShown<QFileDialog>([](QFileDialog *d) { QTest::keyClick(d, Qt::Key_Escape); });
    EXPECT_EQ(m_qz.SaveDialog(0, TextFilter, dir(), QStringLiteral("report.txt")), QString());
    EXPECT_EQ(m_qz.OpenFileLen, 12);
}

TEST_F(Dialogs, SaveDialogNeedsAnExistingFolder)
{
    QString warning;
    bool stayedOpen = false;
    whenShown<QFileDialog>([&](QFileDialog *d) {
        typeName(d, "no-such-folder/x.txt");
        answerNextBox(&warning);
        accept(d);
        stayedOpen = d->isVisible();
        d->reject();
    });
    EXPECT_EQ(m_qz.SaveDialog(0, QString(), dir(), QString()), QString());
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(warning.contains("no-such-folder")) << warning.toStdString();
    EXPECT_FALSE(QFileInfo::exists(file("no-such-folder")));
}

TEST_F(Dialogs, FolderDialogChoosesOnlyFolders)
{
    QString title;
    bool refusedFile = false;
    whenShown<QFileDialog>([&](QFileDialog *d) {
        title = d->windowTitle();
        // A file is no answer: the chooser stays open.
        typeName(d, file("report.txt"));
        if (QPushButton *b = acceptButton(d); b && b->isEnabled())
            b->click();
        refusedFile = d->isVisible();
        typeName(d, file("sub"));
        accept(d);
    });
    const QString chosen = m_qz.FolderDialog(0);
    EXPECT_EQ(title, QStringLiteral("フォルダの選択"));
    EXPECT_TRUE(refusedFile);
    EXPECT_EQ(chosen, file("sub"));
    EXPECT_FALSE(chosen.endsWith(QLatin1Char('/')));

    whenShown<QFileDialog>([](QFileDialog *d) { QTest::keyClick(d, Qt::Key_Escape); });
    EXPECT_EQ(m_qz.FolderDialog(0), QString());
}
