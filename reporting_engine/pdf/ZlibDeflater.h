#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace engine {

// zlib compression for PDF streams (FlateDecode). One deflater keeps its state
// between streams, so compressing many small pages allocates nothing per page.
// Not shared between threads: each thread has its own.
class ZlibDeflater {
public:
    enum class Streams {
        Small, // a few kilobytes each (page contents): a small window and hash clear fast between streams
        Large  // fonts
    };
    ZlibDeflater(int level, Streams streams);
    ~ZlibDeflater();
    ZlibDeflater(const ZlibDeflater &) = delete;
    ZlibDeflater &operator=(const ZlibDeflater &) = delete;

    // Replaces `out` with the compressed `in`; keeps out's capacity.
    void compress(std::string_view in, std::string &out);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace engine
