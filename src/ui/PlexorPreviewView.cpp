#include "ui/PlexorPreviewView.h"

#include "engine/PlexorViewModel.h"
#include "engine/TokenCounter.h"
#include "tags/NamedColors.h"
#include "ui/Badge.h"
#include "ui/CharacterCount.h"
#include "ui/LargeTextEdit.h"
#include "ui/Theme.h"
#include "ui/TintedButton.h"
#include "ui/TokenCountText.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

// Space between the count badge and the editor's edges.
constexpr int badgeInset = 10;
// Space between the token and the character badges.
constexpr int badgeSpacing = 6;
// How long the text must stay unchanged before its tokens are counted (milliseconds).
constexpr int tokenCountDelay = 250;

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
        new LargeTextEdit([this]() -> const QString& { return m_engine.generatedContent(); }, this);
    m_editor->setObjectName(QStringLiteral("previewEditor"));
    m_editor->setAccessibleName(tr("Generated text"));
    m_editor->setFont(Theme::monospaced());
    m_editor->setFrameShape(QFrame::NoFrame);
    m_editor->setPadding(4);
    layout->addWidget(m_editor, 1);

    // The badge floats over the editor's bottom-right corner; clicks go through to the text.
    m_countBadge = new Badge(QString(), m_editor);
    m_countBadge->setObjectName(QStringLiteral("charCountBadge"));
    m_countBadge->setFont(Theme::font(Theme::TextStyle::body));
    m_countBadge->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_tokenBadge = new Badge(QString(), m_editor);
    m_tokenBadge->setObjectName(QStringLiteral("tokenCountBadge"));
    m_tokenBadge->setFont(Theme::font(Theme::TextStyle::body));
    m_tokenBadge->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_tokenBadge->setVisible(false);
    m_editor->installEventFilter(this);
    connect(m_editor->verticalScrollBar(), &QScrollBar::rangeChanged, this,
            &PlexorPreviewView::placeBadge);

    // Between the editor and the buttons, centred, while the desktop waits for the click.
    m_clickToCopyRow = new QWidget(this);
    m_clickToCopyNotice = new Badge(clickToCopyNoticeText(), m_clickToCopyRow);
    m_clickToCopyNotice->setObjectName(QStringLiteral("clickToCopyNotice"));
    m_clickToCopyNotice->setAccessibleName(m_clickToCopyNotice->text());
    m_clickToCopyNotice->setFont(Theme::font(Theme::TextStyle::body));
    auto* notice = new QHBoxLayout(m_clickToCopyRow);
    notice->setContentsMargins(16, 12, 16, 0);
    notice->addStretch(1);
    notice->addWidget(m_clickToCopyNotice);
    notice->addStretch(1);
    m_clickToCopyRow->setVisible(false);
    layout->addWidget(m_clickToCopyRow);

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

    // Tokens are counted on a worker once the text has stopped changing for a moment.
    m_tokenTimer.setSingleShot(true);
    m_tokenTimer.setInterval(tokenCountDelay);
    connect(&m_tokenTimer, &QTimer::timeout, this, [this] {
        if (m_tokens)
            m_tokens->countText(m_engine.generatedContent());
    });

    connect(m_editor, &LargeTextEdit::edited, this, &PlexorPreviewView::applyEdit);
    connect(&m_engine, &PlexorViewModel::generatedContentChanged, this,
            &PlexorPreviewView::showGeneratedContent);
    connect(&m_engine, &PlexorViewModel::generatedContentChanged, this,
            &PlexorPreviewView::updateEnabled);
    connect(&m_engine, &PlexorViewModel::justCopiedChanged, this, &PlexorPreviewView::updateLabels);
    connect(&m_engine, &PlexorViewModel::justCopiedChanged, this, [this](bool copied) {
        if (copied)
            setClickToCopyNoticeVisible(false);
    });
    connect(&m_engine, &PlexorViewModel::justRegeneratedChanged, this,
            &PlexorPreviewView::updateLabels);

    m_shownText = m_engine.generatedContent();
    m_count = CharacterCount::graphemes(m_shownText);
    showCount();
    updateLabels();
    updateEnabled();
    applyColors();
}

PlexorPreviewView::~PlexorPreviewView() = default;

void PlexorPreviewView::setUrl(const std::optional<QString>& url)
{
    m_url = url;
    updateEnabled();
}

QString PlexorPreviewView::clickToCopyNoticeText()
{
    return QStringLiteral("This desktop needs one click on \u201CCopy\u201D to put the text on "
                          "the clipboard.");
}

QLabel* PlexorPreviewView::clickToCopyNotice() const
{
    return m_clickToCopyNotice;
}

void PlexorPreviewView::setClickToCopyNoticeVisible(bool visible)
{
    m_clickToCopyRow->setVisible(visible);
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
    if (m_engine.generateAndCopy(m_url))
        m_engine.raiseJustRegenerated();
}

void PlexorPreviewView::copy()
{
    if (!canCopy())
        return;
    m_engine.copyToClipboard();
}

bool PlexorPreviewView::canCopy() const
{
    return m_url.has_value() && !m_engine.generatedContent().isEmpty();
}

void PlexorPreviewView::updateEnabled()
{
    m_regenerate->setEnabled(m_url.has_value());
    m_copy->setEnabled(canCopy());
}

void PlexorPreviewView::goBack()
{
    Q_EMIT viewModeRequested(ViewMode::plexor);
}

void PlexorPreviewView::showGeneratedContent()
{
    if (m_applyingEdit)
        return;
    const QString& text = m_engine.generatedContent();
    // An unchanged text leaves the editor (and its cursor and scroll position) alone; after an
    // edit, what the editor shows is no longer known here, so any new text is shown.
    const bool unchanged = !m_shownText.isNull() && text == m_shownText;
    // Holding the new text (which shares the engine's characters) lets the old one go.
    m_shownText = text;
    if (unchanged)
        return;
    m_editor->reload();
    m_count = CharacterCount::graphemes(text);
    // The count of the text before does not belong to this one; it shows again once counted.
    m_tokenBadge->setVisible(false);
    showCount();
}

void PlexorPreviewView::applyEdit(qsizetype from, qsizetype removed, const QString& inserted)
{
    // The text shown before the first edit is let go, so that the engine's text is not copied
    // for its sake; the count follows the lines the edit touches.
    m_shownText = QString();
    m_count +=
        CharacterCount::changeAfterEdit(m_engine.generatedContent(), from, removed, inserted);
    m_applyingEdit = true;
    m_engine.editGeneratedContent(from, removed, inserted);
    m_applyingEdit = false;
    showCount();
}

void PlexorPreviewView::showCount()
{
    const QString text = charsText(m_count);
    m_countBadge->setText(text);
    m_countBadge->setAccessibleName(text);
    placeBadge();
    m_tokenTimer.start();
}

void PlexorPreviewView::setTokenCounter(TokenCounter* counter)
{
    m_tokens = counter;
    connect(counter, &TokenCounter::textCounted, this, [this](qint64 tokens) {
        const QString text = TokenCountText::full(tokens);
        m_tokenBadge->setText(text);
        m_tokenBadge->setAccessibleName(text);
        m_tokenBadge->setVisible(true);
        placeBadge();
    });
    m_tokenTimer.start();
}

QString PlexorPreviewView::shownTokens() const
{
    return m_tokenBadge->isVisibleTo(this) ? m_tokenBadge->text() : QString();
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
    const int right = m_editor->width() - barWidth - badgeInset;
    m_countBadge->setGeometry(right - size.width(), m_editor->height() - badgeInset - size.height(),
                              size.width(), size.height());
    m_countBadge->raise();
    // The token count sits to the left of the characters.
    m_tokenBadge->adjustSize();
    const QSize tokenSize = m_tokenBadge->sizeHint();
    m_tokenBadge->setGeometry(right - size.width() - badgeSpacing - tokenSize.width(),
                              m_editor->height() - badgeInset - tokenSize.height(),
                              tokenSize.width(), tokenSize.height());
    m_tokenBadge->raise();
}

bool PlexorPreviewView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_editor && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        placeBadge();
    // The copy that sharing the text with the clipboard defers is made when the user turns to
    // the editor, not at the first keystroke.
    if (watched == m_editor && event->type() == QEvent::FocusIn)
        m_engine.prepareForEditing();
    return QWidget::eventFilter(watched, event);
}

void PlexorPreviewView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // Leaving the screen, not the window going to the task bar.
    if (!event->spontaneous())
        setClickToCopyNoticeVisible(false);
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
    QPalette background = m_editor->viewport()->palette();
    background.setColor(QPalette::Base, Theme::textBackground());
    m_editor->viewport()->setPalette(background);
    m_editor->setTextColor(Theme::withOpacity(palette().color(QPalette::Text), 0.7));
    Badge::Style badge;
    badge.color = NamedColors::color(NamedColor::green);
    badge.backgroundOpacity = 0.35;
    badge.padding = QMargins(6, 6, 6, 6);
    badge.cornerRadius = 6;
    // The badge floats over the editor.
    badge.underlay = Theme::textBackground();
    m_countBadge->setBadgeStyle(badge);
    badge.color = NamedColors::color(NamedColor::blue);
    m_tokenBadge->setBadgeStyle(badge);
    badge.color = NamedColors::color(NamedColor::orange);
    badge.underlay = QColor();
    m_clickToCopyNotice->setBadgeStyle(badge);
    m_applyingColors = false;
}
