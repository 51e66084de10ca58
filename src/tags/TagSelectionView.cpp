#include "tags/TagSelectionView.h"

#include "tags/ColorWell.h"
#include "tags/CustomTagManager.h"
#include "tags/FlowLayout.h"
#include "tags/NamedColors.h"
#include "tags/TagChip.h"
#include "tags/TagRules.h"
#include "tags/TagStyle.h"
#include "tags/UnicodeText.h"
#include "ui/Badge.h"
#include "ui/PlainButton.h"
#include "ui/ProminentButton.h"
#include "ui/Theme.h"

#include <QColorDialog>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

constexpr int sheetPadding = 20;
constexpr int chipSpacing = 8;
constexpr int nameFieldMaximumWidth = 200;

QLabel* sectionLabel(const QString& text, const QString& objectName, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QFrame* divider(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setObjectName(QStringLiteral("divider"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

std::optional<QColor> chooseWithDialog(const QColor& initial, QWidget* parent)
{
    const QColor chosen = QColorDialog::getColor(initial, parent, QStringLiteral("Tag Color"),
                                                 QColorDialog::ShowAlphaChannel);
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}

// Detaches a replaced chip at once and deletes it once control is back in the event loop: its
// own context menu may be what changed the list.
void discard(QWidget* widget)
{
    widget->hide();
    widget->setParent(nullptr);
    widget->deleteLater();
}

} // namespace

TagSelectionView::TagSelectionView(const QString& currentTag,
                                   const std::optional<QString>& currentHex,
                                   CustomTagManager& tagManager, QWidget* parent)
    : QDialog(parent)
    , m_tagManager(tagManager)
    , m_currentTag(currentTag)
    , m_colorChooser(&chooseWithDialog)
    , m_customColor(NamedColors::color(NamedColor::gray))
{
    setObjectName(QStringLiteral("tagSelectionView"));
    setWindowTitle(QStringLiteral("Assign Tag"));
    setAccessibleName(QStringLiteral("Assign Tag"));
    setWindowModality(Qt::WindowModal);
    setMinimumSize(400, 420);
    resize(460, 540);

    buildLayout();
    rebuildMyTags();
    connect(&m_tagManager, &CustomTagManager::savedTagsChanged, this, [this] {
        rebuildMyTags();
        refresh();
    });
    openFor(currentTag, currentHex);
    applyStyle();
    refresh();
    m_nameField->setFocus(Qt::OtherFocusReason);
}

TagSelectionView* TagSelectionView::forProject(const RecentFolder& project,
                                               CustomTagManager& tagManager, QWidget* parent)
{
    auto* sheet = new TagSelectionView(TagRules::effectiveTag(project), project.customColorHex,
                                       tagManager, parent);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    return sheet;
}

void TagSelectionView::setColorChooser(ColorChooser chooser)
{
    m_colorChooser = chooser ? std::move(chooser) : ColorChooser(&chooseWithDialog);
}

bool TagSelectionView::matchesSavedTag() const
{
    const QString name = m_selectedTag.trimmed();
    for (const CustomTagDefinition& tag : m_tagManager.savedTags()) {
        if (UnicodeText::caselessEqual(tag.name, name))
            return true;
    }
    return false;
}

void TagSelectionView::buildLayout()
{
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    // Header: title and "Cancel".
    auto* header = new QHBoxLayout;
    header->setContentsMargins(sheetPadding, 14, sheetPadding - 8, 14);
    m_title = sectionLabel(QStringLiteral("Assign Tag"), QStringLiteral("sheetTitle"), this);
    header->addWidget(m_title);
    header->addStretch();
    m_cancelButton = new PlainButton(
        QStringLiteral("Cancel"), [] { return Theme::secondaryText(); }, this);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_cancelButton->setAutoDefault(false);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    header->addWidget(m_cancelButton);
    root->addLayout(header);
    root->addWidget(divider(this));

    // The scrolling column.
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("tagScrollArea"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Not a Tab stop of its own: the chips and fields inside are, and the area follows the focus.
    scroll->setFocusPolicy(Qt::NoFocus);
    auto* column = new QWidget;
    column->setObjectName(QStringLiteral("tagColumn"));
    auto* columnLayout = new QVBoxLayout(column);
    columnLayout->setContentsMargins(sheetPadding, 16, sheetPadding, 16);
    columnLayout->setSpacing(20);

    m_myTagsSection = new QWidget(column);
    m_myTagsSection->setObjectName(QStringLiteral("myTagsSection"));
    auto* myTags = new QVBoxLayout(m_myTagsSection);
    myTags->setContentsMargins(0, 0, 0, 0);
    myTags->setSpacing(8);
    m_myTagsLabel =
        sectionLabel(QStringLiteral("My Tags"), QStringLiteral("myTagsLabel"), m_myTagsSection);
    myTags->addWidget(m_myTagsLabel);
    m_myTagsChips = new QWidget(m_myTagsSection);
    m_myTagsChips->setObjectName(QStringLiteral("myTagsChips"));
    m_myTagsLayout = new FlowLayout(m_myTagsChips, chipSpacing);
    myTags->addWidget(m_myTagsChips);
    columnLayout->addWidget(m_myTagsSection);

    auto* suggestedSection = new QWidget(column);
    suggestedSection->setObjectName(QStringLiteral("suggestedTagsSection"));
    auto* suggested = new QVBoxLayout(suggestedSection);
    suggested->setContentsMargins(0, 0, 0, 0);
    suggested->setSpacing(8);
    m_suggestedLabel = sectionLabel(QStringLiteral("Suggested Tags"),
                                    QStringLiteral("suggestedTagsLabel"), suggestedSection);
    suggested->addWidget(m_suggestedLabel);
    auto* suggestedChips = new QWidget(suggestedSection);
    suggestedChips->setObjectName(QStringLiteral("suggestedTagsChips"));
    auto* suggestedLayout = new FlowLayout(suggestedChips, chipSpacing);
    for (const QString& name : TagRules::suggestedTags()) {
        auto* chip = new TagChip(name, TagStyle::keywordDisplayColor(name), suggestedChips);
        chip->setObjectName(QStringLiteral("suggestedTagChip"));
        connect(chip, &TagChip::clicked, this, [this, name] { pickSuggestedTag(name); });
        suggestedLayout->addWidget(chip);
        m_suggestedChips.append(chip);
    }
    suggested->addWidget(suggestedChips);
    columnLayout->addWidget(suggestedSection);

    columnLayout->addWidget(divider(column));

    auto* customSection = new QWidget(column);
    customSection->setObjectName(QStringLiteral("customTagSection"));
    auto* custom = new QVBoxLayout(customSection);
    custom->setContentsMargins(0, 0, 0, 0);
    custom->setSpacing(8);
    m_customHeading = sectionLabel(QString(), QStringLiteral("customTagHeading"), customSection);
    custom->addWidget(m_customHeading);

    auto* fieldAndPreview = new QVBoxLayout;
    fieldAndPreview->setSpacing(4);
    auto* fieldRow = new QHBoxLayout;
    fieldRow->setSpacing(8);
    m_nameField = new QLineEdit(customSection);
    m_nameField->setObjectName(QStringLiteral("customTagField"));
    m_nameField->setPlaceholderText(QStringLiteral("Enter custom tag..."));
    m_nameField->setAccessibleName(QStringLiteral("Enter custom tag..."));
    m_nameField->setMaximumWidth(nameFieldMaximumWidth);
    connect(m_nameField, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text == m_selectedTag)
            return;
        m_selectedTag = text;
        nameChanged(text);
        refresh();
    });
    fieldRow->addWidget(m_nameField, 1);
    m_colorWell = new ColorWell(customSection);
    m_colorWell->setObjectName(QStringLiteral("tagColorButton"));
    m_colorWell->setAccessibleName(QStringLiteral("Tag Color"));
    m_colorWell->setToolTip(QStringLiteral("Tag Color"));
    connect(m_colorWell, &ColorWell::clicked, this, &TagSelectionView::chooseColor);
    fieldRow->addWidget(m_colorWell);
    fieldRow->addStretch();
    fieldAndPreview->addLayout(fieldRow);

    m_previewRow = new QWidget(customSection);
    m_previewRow->setObjectName(QStringLiteral("previewRow"));
    auto* preview = new QHBoxLayout(m_previewRow);
    preview->setContentsMargins(0, 0, 0, 0);
    preview->setSpacing(8);
    m_previewLabel =
        sectionLabel(QStringLiteral("Preview:"), QStringLiteral("previewLabel"), m_previewRow);
    preview->addWidget(m_previewLabel);
    m_previewChip = new Badge(QString(), m_previewRow);
    m_previewChip->setObjectName(QStringLiteral("previewChip"));
    // A long name ends in "…" instead of widening the sheet.
    m_previewChip->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    preview->addWidget(m_previewChip);
    preview->addStretch();
    fieldAndPreview->addWidget(m_previewRow);
    custom->addLayout(fieldAndPreview);
    columnLayout->addWidget(customSection);
    columnLayout->addStretch();

    scroll->setWidget(column);
    root->addWidget(scroll, 1);
    root->addWidget(divider(this));

    // Footer: "Remove Tag" and the primary button.
    auto* footer = new QHBoxLayout;
    footer->setContentsMargins(sheetPadding - 8, 12, sheetPadding, 12);
    if (!m_currentTag.isEmpty() && m_currentTag != TagRules::uncategorized) {
        m_removeButton = new PlainButton(
            QStringLiteral("Remove Tag"), [] { return NamedColors::color(NamedColor::red); }, this);
        m_removeButton->setObjectName(QStringLiteral("removeTagButton"));
        m_removeButton->setAutoDefault(false);
        connect(m_removeButton, &QPushButton::clicked, this, &TagSelectionView::removeTag);
        footer->addWidget(m_removeButton);
    }
    footer->addStretch();
    m_primaryButton = new ProminentButton(QString(), this);
    m_primaryButton->setObjectName(QStringLiteral("saveButton"));
    m_primaryButton->setDefault(true);
    connect(m_primaryButton, &QPushButton::clicked, this, &TagSelectionView::saveCustomTag);
    footer->addWidget(m_primaryButton);
    root->addLayout(footer);
}

void TagSelectionView::openFor(const QString& currentTag, const std::optional<QString>& currentHex)
{
    if (currentTag.isEmpty() || currentTag == TagRules::uncategorized)
        return;

    // The name is set first, but its change is handled (nameChanged) after the rest of the
    // opening steps, as with any change of the bound name: so a sheet opened for a tagged
    // project starts in custom mode, with the project's tag in the field.
    m_selectedTag = currentTag;
    {
        const QSignalBlocker blocker(m_nameField);
        m_nameField->setText(currentTag);
    }

    if (std::optional<QString> savedHex = m_tagManager.colorHexForTag(currentTag)) {
        m_isCustomMode = false;
        if (std::optional<QColor> saved = CustomTagManager::colorFromHex(*savedHex))
            m_customColor = *saved;
    } else if (TagRules::isSuggestedTag(currentTag) && !currentHex) {
        m_isCustomMode = false;
    } else {
        m_isCustomMode = true;
        std::optional<QColor> own;
        if (currentHex)
            own = CustomTagManager::colorFromHex(*currentHex);
        m_customColor = own.value_or(TagRules::keywordColor(currentTag));
    }

    nameChanged(currentTag);
}

void TagSelectionView::setSelectedTag(const QString& text)
{
    if (text == m_selectedTag)
        return;
    m_selectedTag = text;
    {
        const QSignalBlocker blocker(m_nameField);
        m_nameField->setText(text);
    }
    nameChanged(text);
    refresh();
}

void TagSelectionView::nameChanged(const QString& text)
{
    m_isCustomMode = true;
    if (!matchesSavedTag())
        return;
    if (std::optional<QString> hex = m_tagManager.colorHexForTag(text)) {
        if (std::optional<QColor> saved = CustomTagManager::colorFromHex(*hex))
            m_customColor = *saved;
    }
}

void TagSelectionView::rebuildMyTags()
{
    for (TagChip* chip : std::as_const(m_myTagChips))
        discard(chip);
    m_myTagChips.clear();

    const QList<CustomTagDefinition>& tags = m_tagManager.savedTags();
    for (const CustomTagDefinition& tag : tags) {
        const QColor color = CustomTagManager::colorFromHex(tag.colorHex)
                                 .value_or(NamedColors::color(NamedColor::gray));
        auto* chip = new TagChip(tag.name, color, m_myTagsChips);
        chip->setObjectName(QStringLiteral("myTagChip"));
        chip->setContextMenuPolicy(Qt::CustomContextMenu);
        const QString name = tag.name;
        const QString hex = tag.colorHex;
        connect(chip, &TagChip::clicked, this, [this, name, hex] { pickSavedTag(name, hex); });
        connect(chip, &TagChip::customContextMenuRequested, this,
                [this, chip, name](const QPoint& at) {
                    QMenu* menu = createChipMenu(name);
                    menu->setAttribute(Qt::WA_DeleteOnClose);
                    menu->popup(chip->mapToGlobal(at));
                });
        m_myTagsLayout->addWidget(chip);
        m_myTagChips.append(chip);
    }
    // Chips made now come after the suggested ones in creation order; the tab order follows the
    // screen instead: "Cancel", my tags, then the suggested tags.
    QWidget* previous = m_cancelButton;
    for (TagChip* chip : std::as_const(m_myTagChips)) {
        setTabOrder(previous, chip);
        previous = chip;
    }
    if (!m_suggestedChips.isEmpty())
        setTabOrder(previous, m_suggestedChips.constFirst());
    m_myTagsSection->setVisible(!tags.isEmpty());
}

QMenu* TagSelectionView::createChipMenu(const QString& name, QWidget* parent)
{
    auto* menu = new QMenu(parent ? parent : this);
    menu->setObjectName(QStringLiteral("tagChipMenu"));
    QAction* edit = menu->addAction(QStringLiteral("&Edit Color"));
    edit->setObjectName(QStringLiteral("editColor"));
    QAction* remove = menu->addAction(QStringLiteral("&Delete Tag"));
    remove->setObjectName(QStringLiteral("deleteTag"));
    connect(edit, &QAction::triggered, this, [this, name] { editColor(name); });
    connect(remove, &QAction::triggered, this, [this, name] { m_tagManager.deleteTag(name); });
    return menu;
}

void TagSelectionView::refresh()
{
    const bool matches = matchesSavedTag();
    m_customHeading->setText(matches ? QStringLiteral("Edit Tag Color")
                                     : QStringLiteral("Create Custom Tag"));
    Theme::setTextColor(m_customHeading,
                        matches ? NamedColors::color(NamedColor::blue) : Theme::secondaryText());

    const QString primary =
        matches ? QStringLiteral("Update & Assign") : QStringLiteral("Save Custom Tag");
    m_primaryButton->setText(primary);
    m_primaryButton->setAccessibleName(primary);
    m_primaryButton->updateGeometry();
    m_primaryButton->setEnabled(!m_selectedTag.isEmpty());

    m_colorWell->setColor(m_customColor);
    m_colorWell->setDrawOpacity(m_isCustomMode ? 1.0 : 0.5);

    m_previewRow->setVisible(m_isCustomMode && !m_selectedTag.isEmpty());
    m_previewChip->setText(QLatin1Char('#') + m_selectedTag);
    m_previewChip->setAccessibleName(m_previewChip->text());
    Badge::Style chip;
    chip.color = m_customColor;
    chip.backgroundOpacity = 0.2;
    chip.padding = QMargins(8, 3, 8, 3);
    chip.cornerRadius = 5;
    m_previewChip->setBadgeStyle(chip);

    for (TagChip* each : std::as_const(m_myTagChips))
        each->setSelected(!m_isCustomMode && each->text() == m_selectedTag);
    for (TagChip* each : std::as_const(m_suggestedChips))
        each->setSelected(!m_isCustomMode && each->text() == m_selectedTag);
}

void TagSelectionView::applyStyle()
{
    m_title->setFont(Theme::font(Theme::TextStyle::headline));
    Theme::setTextColor(m_title, Theme::primaryText());
    for (QLabel* label : {m_myTagsLabel, m_suggestedLabel}) {
        label->setFont(Theme::font(Theme::TextStyle::subheadline));
        Theme::setTextColor(label, Theme::secondaryText());
    }
    m_customHeading->setFont(Theme::font(Theme::TextStyle::subheadline));
    m_previewLabel->setFont(Theme::font(Theme::TextStyle::caption));
    Theme::setTextColor(m_previewLabel, Theme::secondaryText());
    m_previewChip->setFont(TagStyle::systemFont(11, QFont::Bold));
    for (TagChip* chip : std::as_const(m_suggestedChips))
        chip->setChipColor(TagStyle::keywordDisplayColor(chip->text()));
}

void TagSelectionView::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange) {
        applyStyle();
        refresh();
    }
}

void TagSelectionView::chooseColor()
{
    if (std::optional<QColor> chosen = m_colorChooser(m_customColor, this)) {
        m_customColor = *chosen;
        refresh();
    }
}

void TagSelectionView::pickSavedTag(const QString& name, const QString& colorHex)
{
    setSelectedTag(name);
    m_isCustomMode = false;
    refresh();
    finish(name, colorHex);
}

void TagSelectionView::pickSuggestedTag(const QString& name)
{
    setSelectedTag(name);
    m_isCustomMode = false;
    refresh();
    finish(name, std::nullopt);
}

void TagSelectionView::editColor(const QString& name)
{
    setSelectedTag(name);
    if (std::optional<QString> hex = m_tagManager.colorHexForTag(name)) {
        if (std::optional<QColor> saved = CustomTagManager::colorFromHex(*hex))
            m_customColor = *saved;
    }
    m_isCustomMode = true;
    refresh();
    m_nameField->setFocus(Qt::OtherFocusReason);
}

void TagSelectionView::saveCustomTag()
{
    const QString name = m_selectedTag.trimmed();
    if (name.isEmpty())
        return;
    const QString hex =
        CustomTagManager::hexFromColor(m_customColor).value_or(QString(fallbackColorHex));
    m_tagManager.saveTag(name, hex);
    finish(name, hex);
}

void TagSelectionView::removeTag()
{
    finish(QString(), std::nullopt);
}

void TagSelectionView::finish(const QString& tag, const std::optional<QString>& colorHex)
{
    Q_EMIT saved(tag, colorHex);
    accept();
}
