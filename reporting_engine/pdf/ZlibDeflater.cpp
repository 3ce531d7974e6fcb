#include "reporting_engine/pdf/ZlibDeflater.h"

#include "reporting_engine/base/EngineError.h"

#include <zlib.h>

namespace engine {

struct ZlibDeflater::Private {
    z_stream stream{};
};

ZlibDeflater::ZlibDeflater(int level, Streams streams) : d(std::make_unique<Private>())
{
    // Every reset clears the hash table: at the default size that costs more than
    // compressing a page. A 4 KB window still covers a whole page's repeats.
    const bool small = streams == Streams::Small;
    if (deflateInit2(&d->stream, level, Z_DEFLATED, small ? 12 : MAX_WBITS, small ? 4 : 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw EngineError(QStringLiteral("Cannot start compressing the PDF streams."));
}

ZlibDeflater::~ZlibDeflater() { deflateEnd(&d->stream); }

void ZlibDeflater::compress(std::string_view in, std::string &out)
{
    z_stream &s = d->stream;
    deflateReset(&s);
    out.resize(deflateBound(&s, static_cast<uLong>(in.size())));
    s.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(in.data()));
    s.avail_in = static_cast<uInt>(in.size());
    s.next_out = reinterpret_cast<Bytef *>(out.data());
    s.avail_out = static_cast<uInt>(out.size());
    // The bound guarantees one call finishes the stream.
    if (deflate(&s, Z_FINISH) != Z_STREAM_END)
        throw EngineError(QStringLiteral("Cannot compress a PDF stream."));
    out.resize(s.total_out);
}

} // namespace engine
