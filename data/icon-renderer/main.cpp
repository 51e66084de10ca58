// Renders the application's scalable icon into the PNG sizes of the icon theme, at build time:
//
//   codeplexor_render_icon ICON.svg OUTPUT_DIR NAME SIZE...
//
// writes OUTPUT_DIR/<SIZE>x<SIZE>/apps/NAME.png for every SIZE.

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    QTextStream err(stderr);
    if (arguments.size() < 5) {
        err << "usage: codeplexor_render_icon ICON.svg OUTPUT_DIR NAME SIZE...\n";
        return 2;
    }

    QSvgRenderer renderer(arguments.at(1));
    if (!renderer.isValid()) {
        err << "cannot read " << arguments.at(1) << '\n';
        return 1;
    }
    const QDir output(arguments.at(2));
    const QString name = arguments.at(3);

    for (const QString& argument : arguments.mid(4)) {
        bool ok = false;
        const int size = argument.toInt(&ok);
        if (!ok || size <= 0 || size > 4096) {
            err << "not an icon size: " << argument << '\n';
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            renderer.render(&painter, QRectF(0, 0, size, size));
        }
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        if (!output.mkpath(folder)) {
            err << "cannot create " << output.filePath(folder) << '\n';
            return 1;
        }
        const QString file = output.filePath(QStringLiteral("%1/%2.png").arg(folder, name));
        if (!image.convertToFormat(QImage::Format_ARGB32).save(file, "PNG")) {
            err << "cannot write " << file << '\n';
            return 1;
        }
    }
    return 0;
}
