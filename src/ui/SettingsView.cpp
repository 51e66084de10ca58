#include "ui/SettingsView.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/QtKeyMapping.h"
#include "KeyboardShortcuts/Recorder.h"
#include "platform/BackgroundCopy.h"
#include "platform/NotificationCenter.h"
#include "ui/Theme.h"
#include "ui/UpdaterViewModel.h"

#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

constexpr int padding = 20;
// Space between a section header and its rows, and between rows.
constexpr int rowSpacing = 8;
// Extra space below the "General" section.
constexpr int spaceBelowGeneral = 8;
// Space between sections, on top of the extra space above.
constexpr int sectionSpacing = 12;

QLabel* sectionHeader(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setFont(Theme::font(Theme::TextStyle::headline));
    label->setAccessibleName(text);
    return label;
}

} // namespace

QString SettingsView::updatedByInstallerText()
{
    return QStringLiteral("This build is updated through the way it was installed, for example "
                          "your package manager.");
}

SettingsView::SettingsView(UpdaterViewModel& updater, QWidget* parent)
    : QWidget(parent, Qt::Dialog)
    , m_updater(updater)
{
    setObjectName(QStringLiteral("settingsWindow"));
    setWindowTitle(QStringLiteral("Settings"));
    setAccessibleName(QStringLiteral("Settings"));
    setFixedWidth(windowWidth);
    setMinimumHeight(minimumWindowHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(padding, padding, padding, padding);
    layout->setSpacing(rowSpacing);

    // General: the global shortcut.
    layout->addWidget(sectionHeader(QStringLiteral("General"), this));
    m_recorder =
        new KeyboardShortcuts::Recorder(QStringLiteral("Generate/Regenerate Content"),
                                        KeyboardShortcuts::Names::generateProject(), {}, this);
    m_recorder->setObjectName(QStringLiteral("generateProjectRecorder"));
    layout->addWidget(m_recorder);
    m_shortcutStatus = new QLabel(this);
    m_shortcutStatus->setObjectName(QStringLiteral("shortcutStatus"));
    m_shortcutStatus->setWordWrap(true);
    layout->addWidget(m_shortcutStatus);
    updateShortcutStatus();
    for (const QLatin1StringView change : {KeyboardShortcuts::hotKeyRegistrationDidChange,
                                           KeyboardShortcuts::shortcutByNameDidChange}) {
        NotificationCenter::defaultCenter().addObserver(
            change, this, [this](const QVariantMap&) { updateShortcutStatus(); });
    }
    m_caption = new QLabel(QStringLiteral("Global shortcut to generate content from the active "
                                          "project, even when the app is in the background."),
                           this);
    m_caption->setObjectName(QStringLiteral("shortcutCaption"));
    m_caption->setWordWrap(true);
    m_caption->setFont(Theme::font(Theme::TextStyle::caption));
    layout->addWidget(m_caption);
    layout->addSpacing(spaceBelowGeneral + sectionSpacing);

    // Updates.
    layout->addWidget(sectionHeader(QStringLiteral("Updates"), this));
    if (m_updater.hasFeed()) {
        m_automaticChecks = new QCheckBox(QStringLiteral("Automatically check for updates"), this);
        m_automaticChecks->setObjectName(QStringLiteral("automaticChecksToggle"));
        m_automaticChecks->setAccessibleName(m_automaticChecks->text());
        m_automaticChecks->setChecked(m_updater.automaticallyChecksForUpdates());
        connect(m_automaticChecks, &QCheckBox::toggled, &m_updater,
                &UpdaterViewModel::setAutomaticallyChecksForUpdates);
        // The stored value may change elsewhere (another window, a reset of the preferences).
        connect(&m_updater, &UpdaterViewModel::automaticChecksChanged, m_automaticChecks,
                [this](bool enabled) {
                    const QSignalBlocker blocker(m_automaticChecks);
                    m_automaticChecks->setChecked(enabled);
                });
        layout->addWidget(m_automaticChecks);
    }

    auto* versionRow = new QHBoxLayout;
    versionRow->setSpacing(6);
    auto* versionTitle = new QLabel(QStringLiteral("Current Version:"), this);
    versionTitle->setObjectName(QStringLiteral("currentVersionLabel"));
    versionTitle->setAccessibleName(versionTitle->text());
    versionRow->addWidget(versionTitle);
    m_version = new QLabel(m_updater.versionText(), this);
    m_version->setObjectName(QStringLiteral("versionText"));
    m_version->setAccessibleName(QStringLiteral("Version"));
    m_version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_version->setVisible(!m_version->text().isEmpty());
    versionRow->addWidget(m_version);
    versionRow->addStretch(1);
    if (m_updater.hasFeed()) {
        m_checkNow = new QPushButton(QStringLiteral("Check Now"), this);
        m_checkNow->setObjectName(QStringLiteral("checkNowButton"));
        m_checkNow->setAccessibleName(m_checkNow->text());
        m_checkNow->setAutoDefault(false);
        m_checkNow->setEnabled(!m_updater.isChecking());
        connect(m_checkNow, &QPushButton::clicked, &m_updater, &UpdaterViewModel::checkForUpdates);
        connect(&m_updater, &UpdaterViewModel::checkingChanged, m_checkNow,
                [this](bool checking) { m_checkNow->setEnabled(!checking); });
        versionRow->addWidget(m_checkNow);
    }
    layout->addLayout(versionRow);
    if (!m_updater.hasFeed()) {
        m_updatedByInstaller = new QLabel(updatedByInstallerText(), this);
        m_updatedByInstaller->setObjectName(QStringLiteral("updatedByInstallerLabel"));
        m_updatedByInstaller->setWordWrap(true);
        m_updatedByInstaller->setFont(Theme::font(Theme::TextStyle::caption));
        layout->addWidget(m_updatedByInstaller);
    }
    layout->addStretch(1);

    // Top to bottom, whatever order the controls were made in.
    QWidget* previous = m_recorder->field();
    for (QWidget* next :
         {static_cast<QWidget*>(m_automaticChecks), static_cast<QWidget*>(m_checkNow)}) {
        if (!next)
            continue;
        setTabOrder(previous, next);
        previous = next;
    }
    // The window's first focus: the field shows the focus but records only once the user asks
    // (a click, Space or Enter), so Escape and Ctrl+W still close the window.
    m_recorder->field()->setFocus(Qt::ActiveWindowFocusReason);

    auto* closeAction = new QAction(QStringLiteral("Close"), this);
    closeAction->setObjectName(QStringLiteral("closeSettingsAction"));
    QList<QKeySequence> closeKeys{QKeySequence(Qt::CTRL | Qt::Key_W)};
    for (const QKeySequence& key : QKeySequence::keyBindings(QKeySequence::Close)) {
        if (!closeKeys.contains(key))
            closeKeys.append(key);
    }
    closeAction->setShortcuts(closeKeys);
    connect(closeAction, &QAction::triggered, this, &QWidget::close);
    addAction(closeAction);

    applyColors();
}

void SettingsView::keyPressEvent(QKeyEvent* event)
{
    // Escape that no control used (the recorder uses it while recording) closes the window.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SettingsView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_placed)
        return;
    m_placed = true;
    // Centred on the window that opened it, the first time; later the user's place is kept.
    if (QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr) {
        QRect frame = frameGeometry();
        frame.moveCenter(owner->frameGeometry().center());
        move(frame.topLeft());
    }
}

void SettingsView::updateShortcutStatus()
{
    const KeyboardShortcuts::Name name = KeyboardShortcuts::Names::generateProject();
    const std::optional<KeyboardShortcuts::Shortcut> shortcut =
        KeyboardShortcuts::getShortcut(name);
    QString status;
    if (shortcut && KeyboardShortcuts::isRefusedBySystem(name)) {
        status = QStringLiteral("%1 is used by another application, so this shortcut does "
                                "nothing. Record another one.")
                     .arg(KeyboardShortcuts::QtKeyMapping::shownText(*shortcut));
    } else if (shortcut) {
        // How the system runs it, where that needs saying (the keys a desktop chose instead),
        // and how its copy reaches the clipboard on this desktop, where it can run at all.
        const KeyboardShortcuts::HotKeyBackend& backend = KeyboardShortcuts::backend();
        QStringList lines{backend.statusText()};
        if (backend.firesHotKeys()) {
            lines << BackgroundCopy::description(
                BackgroundCopy::currentPath(backend.sendsActivationTokens()));
        }
        lines.removeAll(QString());
        status = lines.join(u'\n');
    }
    m_shortcutStatus->setText(status);
    m_shortcutStatus->setAccessibleName(status);
    m_shortcutStatus->setVisible(!status.isEmpty());
}

void SettingsView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
        applyColors();
}

void SettingsView::applyColors()
{
    // Set on the children only, so this window's own palette change does not loop back here.
    Theme::setTextAndInputColor(m_caption, Theme::secondaryText());
    Theme::setTextAndInputColor(m_version, Theme::secondaryText());
    if (m_updatedByInstaller)
        Theme::setTextAndInputColor(m_updatedByInstaller, Theme::secondaryText());
}
