#include "desktop/main/HelpWindow.h"

#include "ui_HelpWindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QPointer>
#include <QShortcut>
#include <QStyle>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QWindow>
#include <algorithm>
#include <iterator>

// Resources of a static library are linked only when something refers to them.
static void initHelpResources() {
    Q_INIT_RESOURCE(help);
}

namespace ryk {

namespace {

constexpr char kStartTopic[] = "index.htm";
/// Where the pages in `language` are, as a URL's path: the Japanese ones, the program's own,
/// at the top, the English ones beside them.
QString urlFolder(Language language) {
    return language == Language::English ? QStringLiteral("/help/en/") : QStringLiteral("/help/");
}

QString folder(Language language) {
    return QLatin1Char(':') + urlFolder(language);
}

// The pages keep to plain HTML; the look that suits a screen is added here.
constexpr char kStyle[] = "h1 { font-size: x-large; margin-bottom: 12px; }"
                          "h2 { font-size: large; margin-top: 16px; }"
                          "th { background-color: #e8e8e8; }"
                          "pre { margin-left: 16px; }";

void ensureResources() {
    static const bool done = (initHelpResources(), true);
    (void)done;
}

bool isTopic(const QString& file, Language language) {
    return !file.isEmpty() && !file.contains(QLatin1Char('/')) &&
           QFile::exists(folder(language) + file);
}

QString pageText(const QString& topic, Language language) {
    QFile file(folder(language) + topic);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

/// The targets of a page's links in the order they stand.
QStringList linksOf(const QTextDocument& document) {
    QStringList links;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextCharFormat format = fragment.fragment().charFormat();
            if (format.isAnchor() && !format.anchorHref().isEmpty())
                links.append(format.anchorHref());
        }
    }
    return links;
}

QString titleOf(const QString& topic, Language language) {
    QTextDocument document;
    document.setHtml(pageText(topic, language));
    const QString title = document.metaInformation(QTextDocument::DocumentTitle);
    return title.isEmpty() ? topic : title;
}

bool isWebAddress(const QUrl& url) {
    const QString scheme = url.scheme();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
           scheme == QLatin1String("mailto");
}

} // namespace

QStringList helpTopics(Language language) {
    ensureResources();
    return QDir(folder(language)).entryList({QStringLiteral("*.htm")}, QDir::Files, QDir::Name);
}

const QList<HelpTopic>& helpContents(Language language) {
    const auto contentsIn = [](Language language) {
        ensureResources();
        const QString start = QString::fromLatin1(kStartTopic);
        QList<HelpTopic> list{{start, titleOf(start, language)}};
        QTextDocument index;
        index.setHtml(pageText(start, language));
        for (const QString& link : linksOf(index)) {
            const QUrl url(link);
            const QString topic = url.path();
            if (!url.isRelative() || !isTopic(topic, language))
                continue;
            const bool listed = std::any_of(list.begin(), list.end(),
                                            [&](const HelpTopic& t) { return t.topic == topic; });
            if (!listed)
                list.append({topic, titleOf(topic, language)});
        }
        return list;
    };
    static const QList<HelpTopic> japanese = contentsIn(Language::Japanese);
    static const QList<HelpTopic> english = contentsIn(Language::English);
    return language == Language::English ? english : japanese;
}

HelpWindow::HelpWindow(Language language)
    : QWidget(nullptr, Qt::Window), m_ui(std::make_unique<Ui::HelpWindow>()),
      m_openUrl(openWithDesktop), m_language(language) {
    ensureResources();
    m_ui->setupUi(this);
    m_ui->backButton->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
    m_ui->forwardButton->setIcon(style()->standardIcon(QStyle::SP_ArrowForward));
    m_ui->contentsButton->setIcon(style()->standardIcon(QStyle::SP_DirHomeIcon));
    m_ui->backButton->setShortcut(QKeySequence::Back);
    m_ui->forwardButton->setShortcut(QKeySequence::Forward);
    m_ui->backButton->setEnabled(false);
    m_ui->forwardButton->setEnabled(false);
    m_ui->browser->document()->setDefaultStyleSheet(QString::fromLatin1(kStyle));
    m_ui->splitter->setStretchFactor(1, 1);
    m_ui->splitter->setSizes({200, 700});
    fillContents();

    QTextBrowser* browser = m_ui->browser;
    connect(m_ui->backButton, &QToolButton::clicked, browser, &QTextBrowser::backward);
    connect(m_ui->forwardButton, &QToolButton::clicked, browser, &QTextBrowser::forward);
    connect(m_ui->contentsButton, &QToolButton::clicked, this,
            [this] { showTopic(QString::fromLatin1(kStartTopic)); });
    connect(browser, &QTextBrowser::backwardAvailable, m_ui->backButton, &QWidget::setEnabled);
    connect(browser, &QTextBrowser::forwardAvailable, m_ui->forwardButton, &QWidget::setEnabled);
    connect(browser, &QTextBrowser::anchorClicked, this, &HelpWindow::followLink);
    connect(browser, &QTextBrowser::sourceChanged, this, &HelpWindow::pageChanged);
    connect(m_ui->contentsList, &QListWidget::currentItemChanged, this,
            [this](QListWidgetItem* item) { showContentsEntry(item); });
    connect(m_ui->contentsList, &QListWidget::itemClicked, this, &HelpWindow::showContentsEntry);

    for (const QKeySequence& key :
         {QKeySequence(QKeySequence::Close), QKeySequence(Qt::Key_Escape)})
        connect(new QShortcut(key, this), &QShortcut::activated, this, &QWidget::close);
}

HelpWindow::~HelpWindow() = default;

QTextBrowser* HelpWindow::browser() const {
    return m_ui->browser;
}

QListWidget* HelpWindow::contentsList() const {
    return m_ui->contentsList;
}

QString HelpWindow::topic() const {
    return m_topic;
}

void HelpWindow::showTopic(const QString& topic) {
    const qsizetype hash = topic.indexOf(QLatin1Char('#'));
    const QString file = hash < 0 ? topic : topic.left(hash);
    QUrl url;
    url.setScheme(QStringLiteral("qrc"));
    if (isTopic(file, m_language)) {
        url.setPath(urlFolder(m_language) + file);
        if (hash >= 0)
            url.setFragment(topic.mid(hash + 1));
    } else {
        url.setPath(urlFolder(m_language) + QString::fromLatin1(kStartTopic));
    }
    if (url != m_ui->browser->source())
        m_ui->browser->setSource(url);
}

void HelpWindow::fillContents() {
    for (const HelpTopic& entry : helpContents(m_language)) {
        auto* item = new QListWidgetItem(entry.title, m_ui->contentsList);
        item->setData(Qt::UserRole, entry.topic);
    }
}

void HelpWindow::followLink(const QUrl& link) {
    if (isWebAddress(link)) {
        if (m_openUrl)
            m_openUrl(link);
        return;
    }
    const QUrl target = m_ui->browser->source().resolved(link);
    const QString path = target.path();
    const QString folder = urlFolder(m_language);
    const QString file = path.startsWith(folder) ? path.mid(folder.size()) : QString();
    showTopic(target.hasFragment() ? file + QLatin1Char('#') + target.fragment() : file);
}

void HelpWindow::pageChanged(const QUrl& source) {
    m_topic = QFileInfo(source.path()).fileName();
    // The list follows the page, also after Back and links, without asking for it again.
    QListWidget* list = m_ui->contentsList;
    const QSignalBlocker blocker(list);
    list->clearSelection();
    list->setCurrentItem(nullptr);
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->data(Qt::UserRole).toString() == m_topic) {
            list->setCurrentRow(row);
            break;
        }
    }
}

void HelpWindow::showContentsEntry(QListWidgetItem* item) {
    if (item)
        showTopic(item->data(Qt::UserRole).toString());
}

void HelpWindow::stayUsableOver(QWidget* owner) {
    QWidget* ownerWindow = owner ? owner->window() : nullptr;
    if (!ownerWindow || ownerWindow == this)
        return;
    // A modal window blocks every window but those it stands under: tied to the window that
    // asked for help, this one takes input while that one runs modally.
    (void)ownerWindow->winId();
    (void)winId();
    windowHandle()->setTransientParent(ownerWindow->windowHandle());
    // When that window goes (an options sheet is deleted after its run), its own owner, modal
    // again by then, takes its place.
    disconnect(m_ownerGone);
    QPointer<QWidget> next = ownerWindow->parentWidget();
    m_ownerGone = connect(ownerWindow, &QObject::destroyed, this, [this, next] {
        if (next)
            stayUsableOver(next);
    });
}

HelpDesk::HelpDesk(Language language) : m_language(language) {}

HelpDesk::~HelpDesk() = default;

HelpWindow* HelpDesk::open(const QString& topic, QWidget* parent) {
    if (!m_window)
        m_window.reset(new HelpWindow(m_language));
    m_window->stayUsableOver(parent);
    m_window->showTopic(topic);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    return m_window.get();
}

void HelpDesk::openStart(QWidget* parent) {
    open(QString::fromLatin1(kStartTopic), parent);
}

void HelpDesk::openOptionPage(int pageIndex, QWidget* parent) {
    static const char* const kPages[] = {"option.htm", "option2.htm", "option3.htm"};
    const bool known = pageIndex >= 0 && pageIndex < static_cast<int>(std::size(kPages));
    open(QString::fromLatin1(known ? kPages[pageIndex] : kStartTopic), parent);
}

} // namespace ryk
