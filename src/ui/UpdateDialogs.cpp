#include "ui/UpdateDialogs.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace {

const QString windowTitle = QStringLiteral("Software Update");

// Wide enough that a sentence or two needs no more than a few lines.
constexpr int minimumBoxWidth = 400;

void openBox(QMessageBox* box)
{
    // Parts of the texts come from the feed or the network layer: no label may read them as
    // markup (the box's own setting covers only its main text) or turn them into links.
    for (QLabel* label : box->findChildren<QLabel*>()) {
        label->setTextFormat(Qt::PlainText);
        label->setOpenExternalLinks(false);
    }
    // A message box sizes itself to its short main text; a spacer row across it sets a floor.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
        grid->addItem(new QSpacerItem(minimumBoxWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    box->open();
}

// The notes trimmed, with Windows line ends made plain ones.
QString plainNotes(const QString& notes)
{
    QString text = notes.trimmed();
    text.replace(QLatin1StringView("\r\n"), QLatin1StringView("\n"));
    return text;
}

} // namespace

UpdateDialogs::UpdateDialogs(QWidget* parentWindow)
    : m_parentWindow(parentWindow)
{}

UpdateDialogs::~UpdateDialogs()
{
    delete m_box;
}

void UpdateDialogs::setParentWindow(QWidget* parentWindow)
{
    m_parentWindow = parentWindow;
}

QString UpdateDialogs::notesExcerpt(const QString& notes)
{
    QString text = plainNotes(notes);
    bool cut = false;
    qsizetype lineEnd = -1;
    for (qsizetype line = 0; line < maximumNotesLines; ++line) {
        lineEnd = text.indexOf(u'\n', lineEnd + 1);
        if (lineEnd < 0)
            break;
    }
    if (lineEnd >= 0) {
        text.truncate(lineEnd);
        cut = true;
    }
    if (text.size() > maximumNotesLength) {
        qsizetype end = maximumNotesLength;
        // Never split a surrogate pair.
        if (text.at(end - 1).isHighSurrogate())
            --end;
        text.truncate(end);
        cut = true;
    }
    if (cut)
        text = text.trimmed() + u'\u2026';
    return text;
}

QMessageBox* UpdateDialogs::createBox()
{
    delete m_box;
    QWidget* parent = m_parentWindow ? m_parentWindow.data() : QApplication::activeWindow();
    auto* box = new QMessageBox(parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setObjectName(QStringLiteral("updateMessage"));
    box->setWindowTitle(windowTitle);
    box->setTextFormat(Qt::PlainText);
    m_box = box;
    return box;
}

void UpdateDialogs::presentUpToDate(const QString& currentVersion)
{
    QMessageBox* box = createBox();
    box->setIcon(QMessageBox::Information);
    box->setText(QStringLiteral("You\u2019re up to date!"));
    box->setInformativeText(
        QStringLiteral("Code Plexor %1 is the newest version available.").arg(currentVersion));
    box->setStandardButtons(QMessageBox::Ok);
    openBox(box);
}

void UpdateDialogs::presentUpdateAvailable(const UpdateRelease& release,
                                           const QString& currentVersion,
                                           std::function<void()> viewRelease)
{
    QMessageBox* box = createBox();
    box->setIcon(QMessageBox::Information);
    box->setText(QStringLiteral("A new version of Code Plexor is available!"));
    QString details = QStringLiteral("Code Plexor %1 is now available \u2014 you have %2.")
                          .arg(release.version().toString(), currentVersion);
    const QString excerpt = notesExcerpt(release.notes());
    if (!excerpt.isEmpty())
        details += u"\n\n" + excerpt;
    box->setInformativeText(details);
    // The whole notes go under the details only when the excerpt left something out.
    if (excerpt != plainNotes(release.notes()))
        box->setDetailedText(release.notes());

    QPushButton* view = box->addButton(QStringLiteral("View Release"), QMessageBox::AcceptRole);
    view->setObjectName(QStringLiteral("viewReleaseButton"));
    QPushButton* later = box->addButton(QStringLiteral("Later"), QMessageBox::RejectRole);
    later->setObjectName(QStringLiteral("laterButton"));
    box->setDefaultButton(view);
    box->setEscapeButton(later);
    QObject::connect(view, &QPushButton::clicked, box, [viewRelease = std::move(viewRelease)] {
        if (viewRelease)
            viewRelease();
    });
    openBox(box);
}

void UpdateDialogs::presentCheckFailed(const UpdateError& error)
{
    QMessageBox* box = createBox();
    box->setIcon(QMessageBox::Warning);
    box->setText(QStringLiteral("Update check failed"));
    box->setInformativeText(error.message());
    box->setStandardButtons(QMessageBox::Ok);
    openBox(box);
}
