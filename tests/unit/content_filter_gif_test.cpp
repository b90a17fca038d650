// The blank image that answers a listed request: the data address and the byte array must
// both be exactly the 42-byte transparent GIF.
#include <gtest/gtest.h>
#include <glib.h>

#include <cstring>
#include <string>
#include <vector>

#include "filters/blank_image.h"

using namespace zel;

namespace {

const std::vector<unsigned char> kExpected = {
    0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00, 0x00,
    0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x21, 0xF9, 0x04, 0x01, 0x00, 0x00, 0x00, 0x00, 0x2C,
    0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x01, 0x44, 0x00, 0x3B};

std::vector<unsigned char> DecodeDataUri(const std::string& uri, std::string* mediaType) {
  const std::string marker = ";base64,";
  size_t colon = uri.find(':');
  size_t comma = uri.find(marker);
  if (colon == std::string::npos || comma == std::string::npos) return {};
  *mediaType = uri.substr(colon + 1, comma - colon - 1);
  gsize n = 0;
  guchar* bytes = g_base64_decode(uri.c_str() + comma + marker.size(), &n);
  std::vector<unsigned char> out(bytes, bytes + n);
  g_free(bytes);
  return out;
}

}  // namespace

TEST(BlankGif, DataUriDecodesToTheFortyTwoBytes) {
  std::string uri = kBlankGifDataUri;
  ASSERT_EQ(uri.rfind("data:", 0), 0u) << uri;
  std::string mediaType;
  std::vector<unsigned char> bytes = DecodeDataUri(uri, &mediaType);
  EXPECT_EQ(mediaType, "image/gif");
  ASSERT_EQ(bytes.size(), 42u);
  EXPECT_EQ(bytes, kExpected);
}

TEST(BlankGif, ByteArrayIsTheFortyTwoBytes) {
  ASSERT_EQ(kBlankGifSize, 42u);
  EXPECT_EQ(std::vector<unsigned char>(kBlankGif, kBlankGif + kBlankGifSize), kExpected);
}

TEST(BlankGif, DataUriIsTheBase64OfTheByteArray) {
  gchar* encoded = g_base64_encode(kBlankGif, kBlankGifSize);
  EXPECT_EQ(std::string("data:image/gif;base64,") + encoded, kBlankGifDataUri);
  g_free(encoded);
}

TEST(BlankGif, IsAOnePixelTransparentGif) {
  // Header, 1x1 logical screen, transparency flag on colour 0, 1x1 image, trailer.
  EXPECT_EQ(std::memcmp(kBlankGif, "GIF89a", 6), 0);
  EXPECT_EQ(kBlankGif[6] | kBlankGif[7] << 8, 1);
  EXPECT_EQ(kBlankGif[8] | kBlankGif[9] << 8, 1);
  EXPECT_EQ(kBlankGif[19], 0x21);  // extension
  EXPECT_EQ(kBlankGif[20], 0xF9);  // graphic control
  EXPECT_EQ(kBlankGif[22] & 1, 1);  // transparent colour given
  EXPECT_EQ(kBlankGif[25], 0);      // ... and it is colour 0
  EXPECT_EQ(kBlankGif[27], 0x2C);  // image descriptor
  EXPECT_EQ(kBlankGif[32] | kBlankGif[33] << 8, 1);
  EXPECT_EQ(kBlankGif[34] | kBlankGif[35] << 8, 1);
  EXPECT_EQ(kBlankGif[kBlankGifSize - 1], 0x3B);
}
