#include "support/FakeDesktop.h"

#include <gtest/gtest.h>

namespace orvane::test {

FakeDesktop::FakeDesktop()
{
    m_previous = &desktop();
    setDesktop(this);
}

FakeDesktop::~FakeDesktop()
{
    setDesktop(m_previous);
}

int FakeDesktop::messageBox(const QString &text, const QString &title, int style)
{
    boxes.append({text, title, style});
    if (!boxAnswers.empty()) {
        const int answer = boxAnswers.front();
        boxAnswers.pop_front();
        return answer;
    }
    switch (style & 0xF) {
    case 3: // Yes, No, Cancel
    case 4: // Yes, No
        return 6;
    case 5: // Retry, Cancel
        return 4;
    default:
        return 1;
    }
}

int FakeDesktop::messageBoxWithHelp(const QString &text, const QString &title, int style, const QString &helpFile,
                                    qint32 helpContext)
{
    const int answer = messageBox(text, title, style);
    boxes.last().helpFile = helpFile;
    boxes.last().helpContext = helpContext;
    return answer;
}

void FakeDesktop::messageBeep(int sound)
{
    beeps.append(sound);
}
void FakeDesktop::playSound(const QString &name)
{
    sounds.append(name);
}

bool FakeDesktop::notifyIcon(int message, const TrayRecord &record)
{
    trayCalls.append({message, record});
    return trayAnswer;
}

qint32 FakeDesktop::findWindow(const QString &title)
{
    foundTitles.append(title);
    return foundWindow;
}

bool FakeDesktop::setForegroundWindow(qint32 hWnd)
{
    foregrounded.append(hWnd);
    return true;
}

bool FakeDesktop::setTopMost(qint32 hWnd, bool on)
{
    topMost.append({hWnd, on});
    return true;
}

bool FakeDesktop::closeWindow(qint32 hWnd)
{
    closed.append(hWnd);
    return true;
}

qint32 FakeDesktop::htmlHelp(qint32 hWnd, const QString &helpFile, int command, qint32 data)
{
    helpCalls.append({hWnd, helpFile, command, data});
    return helpAnswer;
}

bool FakeDesktop::shellOpen(qint32, const QString &file)
{
    opened.append(file);
    return shellAnswer;
}

QString FakeDesktop::browseForFolder(qint32, const QString &title)
{
    folderTitles.append(title);
    return folderAnswer;
}

QString FakeDesktop::fileDialog(const FileDialogRequest &request)
{
    fileDialogs.append(request);
    return fileAnswer;
}

bool FakeDesktop::exitSession(int flags)
{
    sessionEnds.append(flags);
    return sessionAnswer;
}

} // namespace orvane::test

namespace orvane::test {

void expectErrorBox(const FakeDesktop &desk, const QString &text)
{
    ASSERT_EQ(desk.boxes.size(), 1);
    EXPECT_EQ(desk.boxes[0].text, text);
    EXPECT_EQ(desk.boxes[0].title, QStringLiteral("Error"));
    EXPECT_EQ(desk.boxes[0].style, 16);
    EXPECT_EQ(desk.beeps, QList<int>{48});
}

} // namespace orvane::test
