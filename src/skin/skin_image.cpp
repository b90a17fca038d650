#include "skin/skin_image.h"

#include <png.h>
#include <sys/stat.h>

#include <cstring>

#include "base/files.h"

namespace zel {

bool LooksLikePng(std::string_view bytes) {
  static const unsigned char sig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  return bytes.size() >= 8 && std::memcmp(bytes.data(), sig, 8) == 0;
}

bool LooksLikeBmp(std::string_view bytes) { return bytes.size() >= 26 && bytes.substr(0, 2) == "BM"; }

std::shared_ptr<SkinImage> DecodePng(std::string_view bytes) {
  if (!LooksLikePng(bytes) || bytes.size() > kSkinImageMaxFileBytes) return nullptr;
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
    png_image_free(&image);
    return nullptr;
  }
  // The size is known before any pixel memory is taken.
  if (image.width == 0 || image.height == 0 || image.width > kSkinImageMaxSide ||
      image.height > kSkinImageMaxSide ||
      (long long)image.width * image.height > kSkinImageMaxPixels) {
    png_image_free(&image);
    return nullptr;
  }
  auto out = std::make_shared<SkinImage>();
  out->width = int(image.width);
  out->height = int(image.height);
  out->alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  image.format = PNG_FORMAT_RGBA;
  out->rgba.resize(size_t(out->width) * out->height * 4);
  // A file that ends early or has a bad chunk fails here; warnings (a wrong CRC in an
  // ancillary chunk) are not failures.
  if (!png_image_finish_read(&image, nullptr, out->rgba.data(), 0, nullptr)) {
    png_image_free(&image);
    return nullptr;
  }
  png_image_free(&image);
  return out;
}

std::string EncodePng(const SkinImage& in) {
  if (in.width <= 0 || in.height <= 0 || in.rgba.size() != size_t(in.width) * in.height * 4)
    return {};
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(in.width);
  image.height = png_uint_32(in.height);
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, in.rgba.data(), 0, nullptr)) return {};
  std::string out(size, '\0');
  if (!png_image_write_to_memory(&image, out.data(), &size, 0, in.rgba.data(), 0, nullptr))
    return {};
  out.resize(size);
  return out;
}

namespace {
// A BMP header's size within the limits (the height is negative for top-down rows).
bool BmpSizeFits(std::string_view b) {
  auto le32 = [&](size_t at) {
    return int32_t(uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 |
                   uint32_t(uint8_t(b[at + 2])) << 16 | uint32_t(uint8_t(b[at + 3])) << 24);
  };
  long long w = le32(18), h = le32(22);
  if (h < 0) h = -h;
  return w > 0 && h > 0 && w <= kSkinImageMaxSide && h <= kSkinImageMaxSide;
}
}  // namespace

bool ReadSkinFile(const std::string& path, size_t maxBytes, std::string* out) {
  // Only regular files: a named pipe or a device would hold the read.
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || size_t(st.st_size) > maxBytes)
    return false;
  return ReadFileBytes(path, out) == ReadStatus::Ok && out->size() <= maxBytes;
}

SkinImagePtr LoadSkinImageFile(const std::string& path, const OtherImageDecoder& other) {
  std::string bytes;
  if (!ReadSkinFile(path, kSkinImageMaxFileBytes, &bytes) || bytes.empty()) return nullptr;
  std::shared_ptr<SkinImage> image;
  if (LooksLikePng(bytes)) image = DecodePng(bytes);
  else if (other && (!LooksLikeBmp(bytes) || BmpSizeFits(bytes))) image = other(bytes);
  if (!image) return nullptr;
  // A decoder of the toolkit is held to the same limits.
  if (image->width <= 0 || image->height <= 0 || image->width > kSkinImageMaxSide ||
      image->height > kSkinImageMaxSide ||
      image->rgba.size() != size_t(image->width) * image->height * 4)
    return nullptr;
  image->file = path;
  return image;
}

}  // namespace zel
