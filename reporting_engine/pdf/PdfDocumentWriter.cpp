#include "reporting_engine/pdf/PdfDocumentWriter.h"

#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/base/Twips.h"
#include "reporting_engine/base/WriteFailure.h"
#include "reporting_engine/pdf/PdfCanvas.h"
#include "reporting_engine/pdf/PdfFontSet.h"
#include "reporting_engine/pdf/PdfSyntax.h"
#include "reporting_engine/pdf/ZlibDeflater.h"

#include <QCryptographicHash>
#include <QFileDevice>
#include <QIODevice>

#include <algorithm>
#include <charconv>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace engine {

using namespace pdfsyntax;

namespace {

// Fixed object numbers; pages and fonts follow.
constexpr int catalogObject = 1;
constexpr int infoObject = 2;
constexpr int resourcesObject = 3;
constexpr int firstFreeObject = 4;

// Kids per node of the page tree: viewers cope badly with one huge Kids array.
constexpr int kidsPerNode = 64;
// Pages made but not yet written: enough to keep the writer busy, few enough to stay small.
constexpr size_t queueLimit = 64;
constexpr size_t writeChunk = 1 << 16;

struct PageJob {
    std::string content;
    int contentObject;
    int pageObject;
    int parentObject;
    QSizeF sizePoints;
};

// A node of the page tree: a leaf's kids are pages, other nodes' kids are nodes.
struct PageTreeNode {
    int object;
    int count;
    std::vector<int> kids;
};

// Bytes on their way to the device, counted so objects know their offsets.
class Output {
public:
    Output(QIODevice &device, const QString &outputName) : m_device(device), m_outputName(outputName)
    {
        m_buffer.reserve(writeChunk * 2);
    }

    std::uint64_t offset() const { return m_written + m_buffer.size(); }
    std::string &buffer() { return m_buffer; }
    void maybeFlush()
    {
        if (m_buffer.size() >= writeChunk)
            flush();
    }
    void flush()
    {
        if (m_buffer.empty())
            return;
        const qint64 n = m_device.write(m_buffer.data(), qint64(m_buffer.size()));
        if (n != qint64(m_buffer.size()))
            throw EngineError(QStringLiteral("Cannot write %1: %2.").arg(m_outputName, WriteFailure::reason(m_device)));
        m_written += m_buffer.size();
        m_buffer.clear();
    }

private:
    QIODevice &m_device;
    const QString &m_outputName;
    std::string m_buffer;
    std::uint64_t m_written = 0;
};

} // namespace

struct PdfDocumentWriter::Private {
    Private(QIODevice &dev, Info info, QString name)
        : device(dev), title(std::move(info.title)), creator(std::move(info.creator)),
          outputName(name.isEmpty() ? QStringLiteral("the PDF document \"%1\"").arg(title) : std::move(name)),
          output(device, outputName), canvas(fonts)
    {
    }

    QIODevice &device;
    QString title;
    QString creator;
    QString outputName;
    Output output;
    PdfFontSet fonts;
    PdfCanvas canvas;

    // Run thread only.
    int nextObject = firstFreeObject;
    int pages = 0;
    bool inPage = false;
    bool finished = false;
    QSizeF pageSize;
    std::vector<int> leaves; // page tree nodes that hold pages, one per kidsPerNode pages
    std::vector<int> pageObjects;

    // Writer thread only until it is joined.
    std::vector<std::uint64_t> offsets; // by object number
    ZlibDeflater deflater{3, ZlibDeflater::Streams::Small};
    std::string packed;

    // Shared, under the lock.
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<PageJob> queue;
    std::vector<std::string> spareBuffers;
    bool closing = false;
    bool failed = false;
    QString failure;
    std::thread writer;

    void beginObject(int number)
    {
        if (offsets.size() <= size_t(number))
            offsets.resize(size_t(number) + 1, 0);
        offsets[size_t(number)] = output.offset();
        std::string &out = output.buffer();
        appendInt(out, number);
        out += " 0 obj\n";
    }

    void writeObject(int number, const std::string &body)
    {
        beginObject(number);
        output.buffer() += body;
        output.buffer() += "\nendobj\n";
        output.maybeFlush();
    }

    void writePage(const PageJob &job)
    {
        deflater.compress(job.content, packed);
        beginObject(job.contentObject);
        std::string &out = output.buffer();
        out += "<</Filter/FlateDecode/Length ";
        appendInt(out, std::int64_t(packed.size()));
        out += ">>\nstream\n";
        out += packed;
        out += "\nendstream\nendobj\n";
        beginObject(job.pageObject);
        out += "<</Type/Page/Parent ";
        appendInt(out, job.parentObject);
        out += " 0 R/MediaBox[0 0 ";
        appendNumber(out, job.sizePoints.width(), 3);
        out += ' ';
        appendNumber(out, job.sizePoints.height(), 3);
        out += "]/Resources ";
        appendInt(out, resourcesObject);
        out += " 0 R/Contents ";
        appendInt(out, job.contentObject);
        out += " 0 R>>\nendobj\n";
        output.maybeFlush();
    }

    void writerLoop()
    {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [this] { return !queue.empty() || closing; });
            if (queue.empty())
                return;
            PageJob job = std::move(queue.front());
            queue.pop_front();
            if (!failed) {
                lock.unlock();
                QString error;
                try {
                    writePage(job);
                } catch (const EngineError &e) {
                    error = e.message();
                } catch (const std::exception &e) {
                    error = QString::fromLocal8Bit(e.what());
                }
                lock.lock();
                if (!error.isEmpty()) {
                    failed = true;
                    failure = error;
                }
            }
            spareBuffers.push_back(std::move(job.content));
            changed.notify_all();
        }
    }

    void stopWriter()
    {
        if (!writer.joinable())
            return;
        {
            std::lock_guard lock(mutex);
            closing = true;
        }
        changed.notify_all();
        writer.join();
    }

    void throwIfFailed()
    {
        std::lock_guard lock(mutex);
        if (failed)
            throw EngineError(failure);
    }

    void writeEnd();
    int writePageTree(); // returns the root's object number
    void writePageTreeNode(const PageTreeNode &node, int parent);
    void writeInfo();
    std::uint64_t writeCrossReference(); // returns its offset
    void writeTrailer(std::uint64_t xref);
};

PdfDocumentWriter::PdfDocumentWriter(QIODevice &device, Info info, QString outputName)
    : d(std::make_unique<Private>(device, std::move(info), std::move(outputName)))
{
    // The binary comment tells transfer programs the file is not text.
    d->output.buffer() += "%PDF-1.7\n%\xE2\xE3\xCF\xD3\n";
    d->writer = std::thread([this] { d->writerLoop(); });
}

PdfDocumentWriter::~PdfDocumentWriter()
{
    {
        std::lock_guard lock(d->mutex);
        d->failed = true; // drop what is queued: the document is abandoned
        if (d->failure.isEmpty())
            d->failure = QStringLiteral("abandoned");
    }
    d->stopWriter();
}

PageCanvas &PdfDocumentWriter::beginPage(const QSizeF &pageTwips, const PagePlacement &placement)
{
    if (d->finished)
        throw EngineError(QStringLiteral("The PDF document \"%1\" is already finished.").arg(d->title));
    d->throwIfFailed();
    std::string buffer;
    {
        std::lock_guard lock(d->mutex);
        if (!d->spareBuffers.empty()) {
            buffer = std::move(d->spareBuffers.back());
            d->spareBuffers.pop_back();
        }
    }
    d->pageSize = pageTwips;
    d->canvas.beginPage(pageTwips, std::move(buffer), placement);
    d->inPage = true;
    return d->canvas;
}

void PdfDocumentWriter::endPage()
{
    if (!d->inPage)
        return;
    d->inPage = false;
    if (d->pages % kidsPerNode == 0)
        d->leaves.push_back(d->nextObject++);
    PageJob job{d->canvas.endPage(), d->nextObject, d->nextObject + 1, d->leaves.back(),
                QSizeF(twips::toPoints(d->pageSize.width()), twips::toPoints(d->pageSize.height()))};
    d->nextObject += 2;
    d->pageObjects.push_back(job.pageObject);
    ++d->pages;
    {
        std::unique_lock lock(d->mutex);
        d->changed.wait(lock, [this] { return d->queue.size() < queueLimit || d->failed; });
        if (d->failed)
            throw EngineError(d->failure);
        d->queue.push_back(std::move(job));
    }
    d->changed.notify_all();
}

void PdfDocumentWriter::finish()
{
    if (d->finished)
        return;
    endPage();
    d->stopWriter();
    d->throwIfFailed();
    d->finished = true;
    d->writeEnd();
}

void PdfDocumentWriter::Private::writeEnd()
{
    // Fonts last: only now is every glyph the pages use known.
    const std::string fontEntry = fonts.writeFonts(nextObject, [this](int n, const std::string &body) { writeObject(n, body); });
    writeObject(resourcesObject, "<</Font" + fontEntry + ">>");
    const int root = writePageTree();
    writeInfo();
    std::string catalog = "<</Type/Catalog/Pages ";
    appendInt(catalog, root);
    catalog += " 0 R>>";
    writeObject(catalogObject, catalog);
    writeTrailer(writeCrossReference());
    output.flush();
    // A file buffers what it was given: write errors show only when it flushes.
    if (auto *file = qobject_cast<QFileDevice *>(&device); file && !file->flush())
        throw EngineError(QStringLiteral("Cannot write %1: %2.").arg(outputName, WriteFailure::reason(*file)));
}

void PdfDocumentWriter::Private::writePageTreeNode(const PageTreeNode &node, int parent)
{
    std::string s = "<</Type/Pages";
    if (parent) {
        s += "/Parent ";
        appendInt(s, parent);
        s += " 0 R";
    }
    s += "/Count ";
    appendInt(s, node.count);
    s += "/Kids[";
    for (const int kid : node.kids) {
        appendInt(s, kid);
        s += " 0 R ";
    }
    if (!node.kids.empty())
        s.pop_back();
    s += "]>>";
    writeObject(node.object, s);
}

int PdfDocumentWriter::Private::writePageTree()
{
    // Bottom up: leaves hold the pages, each level above holds up to kidsPerNode nodes.
    std::vector<PageTreeNode> level;
    for (size_t i = 0; i < leaves.size(); ++i) {
        PageTreeNode leaf{leaves[i], 0, {}};
        for (size_t p = i * kidsPerNode; p < pageObjects.size() && p < (i + 1) * kidsPerNode; ++p) {
            leaf.kids.push_back(pageObjects[p]);
            ++leaf.count;
        }
        level.push_back(std::move(leaf));
    }
    if (level.empty())
        level.push_back({nextObject++, 0, {}});
    while (level.size() > 1) {
        std::vector<PageTreeNode> above;
        for (size_t i = 0; i < level.size(); i += kidsPerNode) {
            PageTreeNode parent{nextObject++, 0, {}};
            for (size_t k = i; k < level.size() && k < i + kidsPerNode; ++k) {
                parent.kids.push_back(level[k].object);
                parent.count += level[k].count;
                writePageTreeNode(level[k], parent.object);
            }
            above.push_back(std::move(parent));
        }
        level = std::move(above);
    }
    writePageTreeNode(level.front(), 0);
    return level.front().object;
}

void PdfDocumentWriter::Private::writeInfo()
{
    std::string info = "<</Title ";
    appendTextString(info, title);
    if (!creator.isEmpty()) {
        info += "/Creator";
        appendTextString(info, creator);
    }
    info += ">>";
    writeObject(infoObject, info);
}

std::uint64_t PdfDocumentWriter::Private::writeCrossReference()
{
    const std::uint64_t xref = output.offset();
    offsets.resize(size_t(nextObject), 0);
    std::string &out = output.buffer();
    out += "xref\n0 ";
    appendInt(out, nextObject);
    out += "\n0000000000 65535 f \n";
    for (int n = 1; n < nextObject; ++n) {
        char digits[24];
        const auto res = std::to_chars(digits, digits + sizeof digits, offsets[size_t(n)]);
        out.append(size_t(std::max<std::ptrdiff_t>(0, 10 - (res.ptr - digits))), '0');
        out.append(digits, res.ptr);
        out += " 00000 n \n";
        output.maybeFlush();
    }
    return xref;
}

void PdfDocumentWriter::Private::writeTrailer(std::uint64_t xref)
{
    // Identifies this file: the same title, pages and size give the same first half.
    QCryptographicHash hash(QCryptographicHash::Md5);
    hash.addData(title.toUtf8());
    hash.addData(QByteArray::number(pages) + ' ' + QByteArray::number(qulonglong(xref)));
    const std::string id = hash.result().toHex().toUpper().toStdString();
    std::string &out = output.buffer();
    out += "trailer\n<</Size ";
    appendInt(out, nextObject);
    out += "/Root ";
    appendInt(out, catalogObject);
    out += " 0 R/Info ";
    appendInt(out, infoObject);
    out += " 0 R/ID[<" + id + "><" + id + ">]>>\nstartxref\n";
    appendInt(out, std::int64_t(xref));
    out += "\n%%EOF\n";
}

int PdfDocumentWriter::pageCount() const { return d->pages; }

} // namespace engine
