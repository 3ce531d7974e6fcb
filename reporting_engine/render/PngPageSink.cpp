#include "reporting_engine/render/PngPageSink.h"

#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/base/OutputFile.h"
#include "reporting_engine/base/Twips.h"
#include "reporting_engine/base/WriteFailure.h"
#include "reporting_engine/model/ReportDesign.h"
#include "reporting_engine/render/PageRenderer.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>

#include <cmath>

namespace engine {

struct PngPageSink::Private {
    Private(QString p, int resolution) : path(std::move(p)), dpi(resolution) {}
    QString path;
    int dpi;
    PageRenderer renderer;
    QStringList files;
};

PngPageSink::PngPageSink(QString path, int dotsPerInch)
    : d(std::make_unique<Private>(std::move(path), dotsPerInch))
{
}

PngPageSink::~PngPageSink() = default;

void PngPageSink::addPage(const ReportDesign &design)
{
    const QSizeF page = design.pageSizeTwips();
    const double scale = d->dpi / twips::perInch;
    QImage image(static_cast<int>(std::lround(page.width() * scale)), static_cast<int>(std::lround(page.height() * scale)),
                 QImage::Format_RGB32);
    const int dotsPerMeter = static_cast<int>(std::lround(d->dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.scale(scale, scale);
        d->renderer.paint(painter, design);
    }

    QString target = d->path;
    if (!d->files.isEmpty()) {
        const QFileInfo info(d->path);
        target = info.dir().filePath(QStringLiteral("%1-%2.%3").arg(info.completeBaseName()).arg(d->files.size() + 1).arg(info.suffix().isEmpty() ? QStringLiteral("png") : info.suffix()));
    }
    // Encoded in memory first: libpng gives up on a failing file with a jump that
    // leaks Qt's buffers and loses the reason, and our own write keeps both.
    QByteArray encoded;
    {
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "PNG"))
            throw EngineError(QStringLiteral("Cannot make the picture %1.").arg(target));
    }
    OutputFile out(target, OutputFile::Policy::Replace);
    if (out.device().write(encoded) != encoded.size())
        throw EngineError(QStringLiteral("Cannot write %1: %2.").arg(target, WriteFailure::reason(out.device())));
    d->files << out.commit();
}

const QStringList &PngPageSink::files() const { return d->files; }

} // namespace engine
