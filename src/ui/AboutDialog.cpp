#include "ui/AboutDialog.h"

#include "ui/UpdaterViewModel.h"

#include <QDialogButtonBox>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

namespace {

constexpr int iconSize = 96;

QLabel* centredLabel(const QString& text, const QString& objectName, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    label->setAlignment(Qt::AlignHCenter);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

AboutDialog::AboutDialog(QWidget* parent)
    : AboutDialog(UpdaterViewModel::versionText(QStringLiteral(CODEPLEXOR_VERSION),
                                                QStringLiteral(CODEPLEXOR_BUILD_NUMBER)),
                  parent)
{}

AboutDialog::AboutDialog(const QString& versionText, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(QStringLiteral("About Code Plexor"));

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(8);
    layout->setContentsMargins(32, 24, 32, 16);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("aboutIcon"));
    icon->setAlignment(Qt::AlignHCenter);
    icon->setPixmap(QIcon(QStringLiteral(":/icons/codeplexor.svg"))
                        .pixmap(QSize(iconSize, iconSize), devicePixelRatio()));
    layout->addWidget(icon);

    QLabel* name = centredLabel(QStringLiteral("Code Plexor"), QStringLiteral("aboutName"), this);
    QFont nameFont = name->font();
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.6);
    nameFont.setBold(true);
    name->setFont(nameFont);
    layout->addWidget(name);

    if (!versionText.isEmpty()) {
        QLabel* version = centredLabel(QStringLiteral("Version %1").arg(versionText),
                                       QStringLiteral("aboutVersion"), this);
        version->setForegroundRole(QPalette::PlaceholderText);
        layout->addWidget(version);
    }

    layout->addSpacing(8);
    layout->addWidget(centredLabel(description(), QStringLiteral("aboutDescription"), this));

    QLabel* licence = centredLabel(QStringLiteral("Released under the MIT License."),
                                   QStringLiteral("aboutLicense"), this);
    layout->addWidget(licence);

    layout->addSpacing(8);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->setCenterButtons(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString AboutDialog::description()
{
    return QStringLiteral("Gathers a project's source files into one text for an AI assistant.");
}
