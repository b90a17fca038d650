// The images of a skin: decoded once when the skin is read, kept as 8-bit RGBA with their
// alpha, and written back out as clean PNG files for the toolkit's style sheets (which then
// never see the skin's own bytes).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

struct SkinImage {
  int width = 0;
  int height = 0;
  bool alpha = false;         // the file had an alpha channel (or a transparent colour)
  std::vector<uint8_t> rgba;  // width * height * 4 bytes, not premultiplied
  std::string file;           // the file it came from, for messages
};
using SkinImagePtr = std::shared_ptr<const SkinImage>;

// Limits of what a skin may hold: larger images are left out (a side of 4096 pixels, 16
// million pixels, files of 16 MB).
inline constexpr int kSkinImageMaxSide = 4096;
inline constexpr long long kSkinImageMaxPixels = 16LL * 1024 * 1024;
inline constexpr size_t kSkinImageMaxFileBytes = 16u * 1024 * 1024;

// A PNG file's bytes decoded with libpng; null for anything that is not a whole, valid PNG
// within the limits (a truncated file, a broken chunk, a huge size).
std::shared_ptr<SkinImage> DecodePng(std::string_view bytes);
// The image as PNG bytes (empty when it cannot be encoded).
std::string EncodePng(const SkinImage& image);

bool LooksLikePng(std::string_view bytes);
bool LooksLikeBmp(std::string_view bytes);

// Decodes formats other than PNG (BMP); given by the toolkit side.
using OtherImageDecoder = std::function<std::shared_ptr<SkinImage>(std::string_view bytes)>;

// A regular file's bytes when it has at most maxBytes (false for anything else: missing,
// unreadable, a folder, a pipe, a device, too large).
bool ReadSkinFile(const std::string& path, size_t maxBytes, std::string* out);

// Reads and decodes an image file: PNG by its signature, BMP through the other decoder.
// Null when the file is missing, empty, too large or does not decode.
SkinImagePtr LoadSkinImageFile(const std::string& path, const OtherImageDecoder& other);

}  // namespace zel
