#include "ui/PlexorPreviewView.h"

#include "engine/PlexorViewModel.h"
#include "tags/NamedColors.h"
#include "ui/Badge.h"
#include "ui/CharacterCount.h"
#include "ui/ExactTextEdit.h"
#include "ui/Theme.h"
#include "ui/TintedButton.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

// Space between the count badge and the editor's edges.
constexpr int badgeInset = 10;

} // namespace

PlexorPreviewView::PlexorPreviewView(PlexorViewModel& engine, QWidget* parent)
    : QWidget(parent)
    , m_engine(engine)
{
    setObjectName(QStringLiteral("previewView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_editor =
        new ExactTextEdit([this]() -> const QString& { return m_engine.generatedContent(); }, this);
    m_editor->setObjectName(QStringLiteral("previewEditor"));
    m_editor->setAccessibleName(tr("Generated text"));
    m_editor->setFont(Theme::monospaced());
    m_editor->setFrameShape(QFrame::NoFrame);
    m_editor->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_editor->setTabChangesFocus(true);
    layout->addWidget(m_editor, 1);

    // The badge floats over the editor's bottom-right corner; clicks go through to the text.
    m_countBadge = new Badge(QString(), m_editor);
    m_countBadge->setObjectName(QStringLiteral("charCountBadge"));
    m_countBadge->setFont(Theme::font(Theme::TextStyle::body));
    m_countBadge->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_editor->installEventFilter(this);
    connect(m_editor->verticalScrollBar(), &QScrollBar::rangeChanged, this,
            &PlexorPreviewView::placeBadge);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(16, 12, 16, 16);
    buttons->setSpacing(16);
    buttons->addStretch(1);
    m_back = new TintedButton(QStringLiteral("Back"), this);
    m_back->setObjectName(QStringLiteral("backButton"));
    m_back->setSymbol(Symbol::arrowLeft);
    m_regenerate = new TintedButton(QStringLiteral("Regenerate"), this);
    m_regenerate->setObjectName(QStringLiteral("regenerateButton"));
    m_regenerate->setAppearance(
        TintedButton::prominent(NamedColors::color(NamedColor::orange), 0.4));
    m_copy = new TintedButton(QStringLiteral("Copy"), this);
    m_copy->setObjectName(QStringLiteral("copyButton"));
    m_copy->setAppearance(TintedButton::prominent(NamedColors::color(NamedColor::green), 0.4));
    for (TintedButton* button : {m_back, m_regenerate, m_copy}) {
        button->setFont(Theme::mediumLarge(QFont::DemiBold));
        button->setPadding(QMargins(14, 7, 14, 7));
        button->setCornerRadius(7);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    layout->addLayout(buttons);

    connect(m_back, &QPushButton::clicked, this, &PlexorPreviewView::goBack);
    connect(m_regenerate, &QPushButton::clicked, this, &PlexorPreviewView::regenerate);
    connect(m_copy, &QPushButton::clicked, this, &PlexorPreviewView::copy);

    // Counting waits for the event loop, so that a burst of changes is counted once.
    m_countTimer.setSingleShot(true);
    m_countTimer.setInterval(0);
    connect(&m_countTimer, &QTimer::timeout, this, &PlexorPreviewView::updateCount);

    connect(m_editor, &ExactTextEdit::edited, this, &PlexorPreviewView::applyEdit);
    connect(&m_engine, &PlexorViewModel::generatedContentChanged, this,
            &PlexorPreviewView::showGeneratedContent);
    connect(&m_engine, &PlexorViewModel::justCopiedChanged, this, &PlexorPreviewView::updateLabels);
    connect(&m_engine, &PlexorViewModel::justRegeneratedChanged, this,
            &PlexorPreviewView::updateLabels);

    showGeneratedContent();
    updateCount();
    updateLabels();
    applyColors();
}

PlexorPreviewView::~PlexorPreviewView() = default;

void PlexorPreviewView::setUrl(const std::optional<QString>& url)
{
    m_url = url;
}

QString PlexorPreviewView::charsText(qsizetype count)
{
    return QStringLiteral("%1 chars").arg(count);
}

QString PlexorPreviewView::shownCount() const
{
    return m_countBadge->text();
}

void PlexorPreviewView::regenerate()
{
    m_engine.generateContent(m_url);
    m_engine.copyToClipboard();
    m_engine.raiseJustRegenerated();
}

void PlexorPreviewView::copy()
{
    m_engine.copyToClipboard();
}

void PlexorPreviewView::goBack()
{
    Q_EMIT viewModeRequested(ViewMode::plexor);
}

void PlexorPreviewView::showGeneratedContent()
{
    if (!m_applyingEdit) {
        const QString& text = m_engine.generatedContent();
        // An unchanged text leaves the editor (and its cursor and scroll position) alone; after
        // an edit, any text from the engine is shown.
        if (m_shownText.isNull() || text != m_shownText) {
            m_shownText = text;
            m_editor->showSourceText();
        }
    }
    m_countTimer.start();
}

void PlexorPreviewView::applyEdit(qsizetype from, qsizetype removed, const QString& inserted)
{
    // The text shown is let go at the first edit, so the engine's characters are not kept
    // twice.
    m_shownText = QString();
    m_applyingEdit = true;
    m_engine.editGeneratedContent(from, removed, inserted);
    m_applyingEdit = false;
}

void PlexorPreviewView::updateCount()
{
    const QString text = charsText(CharacterCount::graphemes(m_engine.generatedContent()));
    m_countBadge->setText(text);
    m_countBadge->setAccessibleName(text);
    placeBadge();
}

void PlexorPreviewView::updateLabels()
{
    const bool regenerated = m_engine.justRegenerated();
    m_regenerate->setText(regenerated ? QStringLiteral("Updated & Copied")
                                      : QStringLiteral("Regenerate"));
    m_regenerate->setSymbol(regenerated ? Symbol::checkmark : Symbol::arrowClockwise);
    const bool copied = m_engine.justCopied();
    m_copy->setText(copied ? QStringLiteral("Copied") : QStringLiteral("Copy"));
    m_copy->setSymbol(copied ? Symbol::checkmark : Symbol::docOnDoc);
}

void PlexorPreviewView::placeBadge()
{
    const QScrollBar* bar = m_editor->verticalScrollBar();
    const int barWidth = bar->isVisibleTo(m_editor) ? bar->width() : 0;
    m_countBadge->adjustSize();
    const QSize size = m_countBadge->sizeHint();
    m_countBadge->setGeometry(m_editor->width() - barWidth - badgeInset - size.width(),
                              m_editor->height() - badgeInset - size.height(), size.width(),
                              size.height());
    m_countBadge->raise();
}

bool PlexorPreviewView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_editor && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        placeBadge();
    return QWidget::eventFilter(watched, event);
}

void PlexorPreviewView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
        applyColors();
}

void PlexorPreviewView::applyColors()
{
    if (m_applyingColors)
        return;
    m_applyingColors = true;
    m_editor->setStyleSheet(
        QStringLiteral("QPlainTextEdit { background: %1; color: %2; border: none; padding: 4px; }")
            .arg(Theme::cssColor(Theme::textBackground()),
                 Theme::cssColor(Theme::withOpacity(palette().color(QPalette::Text), 0.7))));
    Badge::Style badge;
    badge.color = NamedColors::color(NamedColor::green);
    badge.backgroundOpacity = 0.35;
    badge.padding = QMargins(6, 6, 6, 6);
    badge.cornerRadius = 6;
    m_countBadge->setBadgeStyle(badge);
    m_applyingColors = false;
}
