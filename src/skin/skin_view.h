// What the skin controller needs of the window: the style sheet, the border (the system's
// or the skin's own caption), the window icon, the window buttons and the decoding of the
// image formats other than PNG.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "skin/skin_image.h"

namespace zel {

class SkinView {
 public:
  virtual ~SkinView() = default;
  // Replaces the skin's style sheet ("" leaves the toolkit's own look).
  virtual void ApplyStyle(const std::string& css) = 0;
  // true: no system border; the skin draws the caption with its window buttons.
  virtual void SetCustomFrame(bool on) = 0;
  virtual bool CustomFrame() const = 0;
  // The skin-drawn frame's rounded corners (0: square), while it is not maximized.
  virtual void SetFrameCornerRadius(int radius) = 0;
  // The skin's window icon; null for the program's own.
  virtual void SetWindowIcon(const SkinImagePtr& icon) = 0;
  // The favorites tree's icons (page, closed folder, open folder); null ones are the
  // theme's. Magenta pixels are transparent.
  virtual void SetTreeIcons(const SkinImagePtr& page, const SkinImagePtr& folderClosed,
                            const SkinImagePtr& folderOpen) = 0;
  // The caption's buttons: minimize, maximize (restore when maximized), restore, close.
  virtual void WindowCommand(int id) = 0;
  // 703: opens the skin menu.
  virtual void OpenSkinMenu() = 0;
  // BMP and ICO files; null when the bytes do not decode.
  virtual std::shared_ptr<SkinImage> DecodeImage(std::string_view bytes) = 0;
};

}  // namespace zel
