#include "platform/linux/HelpViewer.h"

#include "core/record/Language.h"
#include "core/services/UiText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHelpContentModel>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>

namespace orvane {

namespace {

QPointer<HelpViewer> g_viewer;

// A page browser that reads qthelp: links from the collection.
class HelpPage : public QTextBrowser {
public:
    HelpPage(QHelpEngine *engine, QWidget *parent) : QTextBrowser(parent), m_engine(engine)
    {
        setOpenExternalLinks(true);
    }

    QVariant loadResource(int type, const QUrl &name) override
    {
        if (name.scheme() == QLatin1String("qthelp"))
            return m_engine->fileData(name);
        return QTextBrowser::loadResource(type, name);
    }

private:
    QHelpEngine *m_engine;
};

// Identifiers in the collection: the start page and one page per context number.
QString contextIdentifier(qint32 context)
{
    return QStringLiteral("context.") + QString::number(context);
}

} // namespace

QString helpCollectionFor(const QString &helpFile)
{
    const QFileInfo asked(helpFile);
    if (asked.suffix().compare(QLatin1String("chm"), Qt::CaseInsensitive) != 0)
        return asked.isFile() ? asked.absoluteFilePath() : QString();
    // Another language reads its own collection ("Orvane.en.qhc") where there is one, else the
    // Japanese one, which every build has.
    QStringList names{asked.completeBaseName() + QStringLiteral(".qhc")};
    if (uiLanguage() != SourceLanguage)
        names.prepend(asked.completeBaseName() + QLatin1Char('.') + QString::fromStdString(uiLanguage()) +
                      QStringLiteral(".qhc"));
    // Installed, the program's folder holds only the program; its help lives with its data: in the
    // data folder of the install the program sits in (whatever its prefix), else where it was built for.
    QList<QDir> dirs{asked.dir()};
    const QString programDir = QCoreApplication::applicationDirPath();
    if (QDir(asked.absolutePath()) == QDir(programDir))
        dirs << QDir(QDir::cleanPath(programDir + QStringLiteral("/" ORVANE_DATADIR_FROM_BINDIR)))
             << QDir(QStringLiteral(ORVANE_DATADIR));
    for (const QString &name : names) {
        for (const QDir &dir : dirs) {
            const QFileInfo collection(dir, name);
            if (collection.isFile())
                return collection.absoluteFilePath();
        }
    }
    return QString();
}

HelpViewer::HelpViewer(QHelpEngine *engine, const QString &collectionFile)
    : QWidget(nullptr), m_engine(engine), m_collectionFile(collectionFile)
{
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(Orvane::tr("Orvane ヘルプ"));
    m_engine->setParent(this);

    auto *splitter = new QSplitter(this);
    m_tabs = new QTabWidget(splitter);
    m_tabs->addTab(m_engine->contentWidget(), Orvane::tr("目次"));
    m_tabs->addTab(m_engine->indexWidget(), Orvane::tr("索引"));
    m_page = new HelpPage(m_engine, splitter);
    m_page->setObjectName(QStringLiteral("HelpPage"));
    splitter->addWidget(m_tabs);
    splitter->addWidget(m_page);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({200, 560});
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
    resize(780, 540);
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    connect(m_engine->contentModel(), &QHelpContentModel::contentsCreated, m_engine->contentWidget(),
            &QTreeView::expandAll);
    connect(m_engine->contentWidget(), &QHelpContentWidget::linkActivated, this, &HelpViewer::showPage);
    connect(m_engine->indexWidget(), &QHelpIndexWidget::documentActivated, this,
            [this](const QHelpLink &link, const QString &) { showPage(link.url); });
    connect(m_engine->indexWidget(), &QHelpIndexWidget::documentsActivated, this,
            [this](const QList<QHelpLink> &links, const QString &) {
                if (!links.isEmpty())
                    showPage(links.first().url);
            });
    // The viewer is the last thing to go; it must not outlive the application's windows.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &QObject::deleteLater);
}

HelpViewer::~HelpViewer() = default;

HelpViewer *HelpViewer::current()
{
    return g_viewer.data();
}

qint32 HelpViewer::open(const QString &collectionFile, int command, qint32 data)
{
    if (command != ShowContents && command != ShowIndex && command != ShowContext)
        return 0;
    if (!g_viewer || g_viewer->m_collectionFile != collectionFile) {
        auto *engine = new QHelpEngine(collectionFile);
        // An installed collection lies in a folder the user can't write.
        engine->setReadOnly(true);
        if (!engine->setupData() || engine->registeredDocumentations().isEmpty()) {
            delete engine;
            return 0;
        }
        delete g_viewer.data();
        g_viewer = new HelpViewer(engine, collectionFile);
    }
    HelpViewer *viewer = g_viewer.data();
    QUrl url;
    if (command == ShowContext)
        url = viewer->pageFor(contextIdentifier(data));
    if (url.isEmpty())
        url = viewer->startPage();
    viewer->m_tabs->setCurrentIndex(command == ShowIndex ? 1 : 0);
    viewer->showPage(url);
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return static_cast<qint32>(viewer->winId());
}

QUrl HelpViewer::pageFor(const QString &identifier) const
{
    const QList<QHelpLink> links = m_engine->documentsForIdentifier(identifier);
    return links.isEmpty() ? QUrl() : links.first().url;
}

QUrl HelpViewer::startPage() const
{
    const QUrl url = pageFor(QStringLiteral("contents"));
    if (!url.isEmpty())
        return url;
    return QUrl(QStringLiteral("qthelp://") + m_engine->registeredDocumentations().first() +
                QStringLiteral("/doc/index.html"));
}

void HelpViewer::showPage(const QUrl &url)
{
    if (url.isValid() && url != m_page->source())
        m_page->setSource(url);
}

} // namespace orvane
