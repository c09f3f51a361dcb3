// html_gif.h - writing an indexed picture as a GIF87a file.
#ifndef APP_EXPORT_HTML_GIF_H
#define APP_EXPORT_HTML_GIF_H

#include <cstdint>
#include <string>
#include <vector>

namespace tavlor {

// How the LZW codes are chosen. Every choice gives a valid stream of the same picture;
// they differ only in length, which lets a caller produce a file of a given size.
struct GifEncoding {
  int minCodeSize = 8; // 2 ... 8; every pixel index must be below 1 << minCodeSize
  int maxMatch = 0;    // the longest run of pixels one code may stand for; 0: no limit
  int clearEvery = 0;  // a clear code after this many data codes; 0: only at the start
};

// A GIF87a file: the logical screen of width x height with the global colour table
// (table holds 3 bytes per entry, 256 entries), one image at 0,0 without a local table,
// not interlaced, its pixel indices row by row.
std::string encodeGif87a(int width, int height, const std::vector<std::uint8_t> &table,
                         const std::vector<std::uint8_t> &pixels, const GifEncoding &encoding);

} // namespace tavlor

#endif // APP_EXPORT_HTML_GIF_H
