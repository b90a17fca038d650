// libFuzzer harness for the skin reader and the PNG path of its images.
//
// The input is read three ways: as a PNG file's bytes (DecodePng), as mskin.ini (ReadSkin, in
// a folder where "fuzz.png" holds the same bytes and "ok.png" a valid image, so the seeds'
// keys reach real decoding), and the skin that results is made into a style sheet. Besides
// crashes, leaks and out-of-bounds reads it checks what skin_image.h and skin_css.h promise:
// a decoded image is within the limits and its pixels survive a clean copy; every image of
// the skin is a decoded one; the sheet's rules and addresses are closed.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/files.h"
#include "skin/skin_css.h"
#include "skin/skin_reader.h"

using namespace zel;

namespace {

#define FUZZ_CHECK(cond)                                                              \
  do {                                                                                \
    if (!(cond)) {                                                                    \
      std::fprintf(stderr, "skin_ini_fuzz: %s:%d: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                                   \
    }                                                                                 \
  } while (0)

// The scratch folder's name, kept where the exit handler can still read it.
char gFolder[] = "/tmp/zel-skin-fuzz-XXXXXX";

void RemoveFolder() {
  for (const char* name : {"/ok.png", "/fuzz.png"}) ::unlink((std::string(gFolder) + name).c_str());
  ::rmdir(gFolder);
}

const std::string& Folder() {
  static const std::string folder = [] {
    std::string f = mkdtemp(gFolder);
    SkinImage ok;
    ok.width = 3;
    ok.height = 2;
    ok.rgba.assign(3 * 2 * 4, 200);
    WriteFileAtomic(JoinPath(f, "ok.png"), EncodePng(ok));
    std::atexit(RemoveFolder);
    return f;
  }();
  return folder;
}

void CheckImage(const SkinImagePtr& image) {
  if (!image) return;
  FUZZ_CHECK(image->width > 0 && image->height > 0);
  FUZZ_CHECK(image->width <= kSkinImageMaxSide && image->height <= kSkinImageMaxSide);
  FUZZ_CHECK(image->rgba.size() == size_t(image->width) * image->height * 4);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (std::shared_ptr<SkinImage> png = DecodePng(bytes)) {
    CheckImage(png);
    std::string copy = EncodePng(*png);
    FUZZ_CHECK(!copy.empty());
    std::shared_ptr<SkinImage> again = DecodePng(copy);
    FUZZ_CHECK(again && again->rgba == png->rgba);
  }

  const std::string& folder = Folder();
  FUZZ_CHECK(WriteFileAtomic(JoinPath(folder, "fuzz.png"), std::string(bytes)));
  SkinData skin;
  skin.commandOffsets[1] = {5, 5};
  ReadSkin(IniDocument::Parse(bytes), folder, nullptr, skin);
  size_t images = 0;
  auto url = [&](const SkinImagePtr& image) {
    CheckImage(image);
    FUZZ_CHECK(image && !image->file.empty());
    ++images;
    return "file://" + image->file + "\"){}\n";  // quotes and braces must stay in the address
  };
  for (const auto& [key, icon] : skin.commandIcons) {
    FUZZ_CHECK(icon);
    CheckImage(icon);
  }
  std::string css = SkinCss(skin, url);
  int depth = 0;
  bool quoted = false;
  for (size_t i = 0; i < css.size(); ++i) {
    char c = css[i];
    if (quoted) {
      if (c == '\\') ++i;
      else if (c == '"') quoted = false;
      FUZZ_CHECK(c != '\n');
      continue;
    }
    if (c == '"') quoted = true;
    if (c == '{') FUZZ_CHECK(++depth == 1);
    if (c == '}') FUZZ_CHECK(--depth == 0);
  }
  FUZZ_CHECK(!quoted && depth == 0);
  return 0;
}
