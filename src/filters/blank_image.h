// The answer the content filter gives a listed request: a transparent 1x1 GIF. "GIF89a",
// a 1x1 screen with a two-colour table (black, white), a graphic control extension making
// colour 0 transparent, one 1x1 image at 0,0 (LZW minimum code size 2, one data block
// holding 0x44), the block terminator and the trailer.
#pragma once

#include <cstddef>

namespace zel {

inline constexpr unsigned char kBlankGif[] = {
    0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00, 0x00,
    0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x21, 0xF9, 0x04, 0x01, 0x00, 0x00, 0x00, 0x00, 0x2C,
    0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x01, 0x44, 0x00, 0x3B};
inline constexpr size_t kBlankGifSize = sizeof kBlankGif;

// The same bytes as the address the request hook rewrites a listed request to.
inline constexpr char kBlankGifDataUri[] =
    "data:image/gif;base64,R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAIBRAA7";

}  // namespace zel
