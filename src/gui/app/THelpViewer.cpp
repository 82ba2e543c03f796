#include "gui/app/THelpViewer.h"
#include "gui/app/SlotGuard.h"

#include "core/base/Feedback.h"
#include "core/base/Language.h"
#include "core/base/Records.h"
#include "core/base/TextCodec.h"

#include <QFile>
#include <QHBoxLayout>
#include <QListWidget>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextBrowser>
#include <QUrl>

THelpViewer::THelpViewer(const TLanguage& language, QString helpDirectory, Feedback& feedback, QWidget* parent)
    : QDialog(parent), m_language(language), m_helpDirectory(std::move(helpDirectory)), m_feedback(feedback) {
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(m_language.Text(228).remove(QLatin1Char('&')));
    m_index = new QListWidget(this);
    m_index->setObjectName(QStringLiteral("ListBoxHelpIndex"));
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    auto* splitter = new QSplitter(this);
    splitter->addWidget(m_index);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 3);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(splitter);
    resize(900, 620);
    GuardedConnect(m_index, &QListWidget::itemActivated, this,
                   [this](QListWidgetItem* item) { m_browser->scrollToAnchor(item->data(Qt::UserRole).toString()); });
    GuardedConnect(m_index, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item != nullptr) {
            m_browser->scrollToAnchor(item->data(Qt::UserRole).toString());
        }
    });
}

QString THelpViewer::FileFor(const QString& helpDirectory, int languageIndex) {
    const char* suffix = languageIndex == 1 ? "DE" : languageIndex == 3 ? "FR" : "EN";
    return helpDirectory + QStringLiteral("/WinTorvex_") + QLatin1String(suffix) + QStringLiteral(".html");
}

bool THelpViewer::Load() {
    const QString path = FileFor(m_helpDirectory, m_language.Index());
    if (path == m_loaded) {
        return true;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_feedback.ShowMessage(MessageKind::Error, m_language.Text(Record::Error),
                               m_language.Text(Record::ErrorOpenFile) + path, MessageButtons::Ok);
        return false;
    }
    const QString html = DecodeText(file.readAll());
    m_browser->setSearchPaths({m_helpDirectory});
    m_browser->setHtml(html);
    m_index->clear();
    static const QRegularExpression heading(QStringLiteral("<h2[^>]*>\\s*<a name=\"([^\"]+)\"[^>]*>\\s*</a>(.*?)</h2>"),
                                            QRegularExpression::CaseInsensitiveOption |
                                                QRegularExpression::DotMatchesEverythingOption);
    for (auto it = heading.globalMatch(html); it.hasNext();) {
        const auto match = it.next();
        QString title = match.captured(2);
        title.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
        auto* item = new QListWidgetItem(title.simplified(), m_index);
        item->setData(Qt::UserRole, match.captured(1));
    }
    m_loaded = path;
    return true;
}

bool THelpViewer::ShowContext(int helpContext) {
    if (!Load()) {
        return false;
    }
    show();
    raise();
    activateWindow();
    // Scrolling needs the laid-out document, so it comes after showing.
    const QString anchor = helpContext > 0 ? QStringLiteral("ctx%1").arg(helpContext) : QString();
    m_browser->document()->adjustSize();
    for (int row = 0; row < m_index->count(); ++row) {
        if (m_index->item(row)->data(Qt::UserRole).toString() == anchor) {
            m_index->setCurrentRow(row);
        }
    }
    if (anchor.isEmpty()) {
        m_browser->moveCursor(QTextCursor::Start);
        m_index->setFocus();
    } else {
        m_browser->scrollToAnchor(anchor);
    }
    return true;
}
