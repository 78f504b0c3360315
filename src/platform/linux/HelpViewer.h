#pragma once

#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QWidget>

class QHelpEngine;
class QTabWidget;

namespace orvane {

// The help window: a Qt Help collection with its contents and index beside the page.
class HelpViewer : public QWidget {
    Q_OBJECT
public:
    // The three display commands of the help viewer.
    static constexpr int ShowContents = 1;
    static constexpr int ShowIndex = 2;
    static constexpr int ShowContext = 15;

    // Opens the one help window on a collection file (reusing it when it is open) with a command;
    // returns the window's handle, 0 when the collection can't be read or the command is unknown.
    static qint32 open(const QString &collectionFile, int command, qint32 data);
    // The help window, if one was opened.
    static HelpViewer *current();

    ~HelpViewer() override;

    QTextBrowser *page() const { return m_page; }
    QTabWidget *sideTabs() const { return m_tabs; }
    QString collectionFile() const { return m_collectionFile; }

private:
    HelpViewer(QHelpEngine *engine, const QString &collectionFile);
    QUrl pageFor(const QString &identifier) const;
    QUrl startPage() const;
    void showPage(const QUrl &url);

    QHelpEngine *m_engine;
    QString m_collectionFile;
    QTextBrowser *m_page = nullptr;
    QTabWidget *m_tabs = nullptr;
};

// Where the collection for a help file lies: a compiled-help path ("…/Orvane.chm") stands for the Qt
// Help collection of the same name beside it ("…/Orvane.qhc"), and, when the path names the program's
// own folder, for the one in the installed data folder. Empty when there is none.
QString helpCollectionFor(const QString &helpFile);

} // namespace orvane
