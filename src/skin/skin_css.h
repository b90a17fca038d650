// A skin as a style sheet for the toolkit: gradients for the panel, menus, bars, trees,
// tab strip and status bar, part images as border images (the start and end offsets are
// the slice widths, stretched or tiled in the middle), the text colours and the command
// icons of the buttons with their hover and disabled looks. The widgets are found by the
// names the window gives them (#main-window, #standard-bar, #command-<id> ...).
#pragma once

#include <functional>
#include <string>

#include "skin/skin_data.h"

namespace zel {

// The address the style sheet names an image by; "" when it has none, and then the element
// is left to the toolkit's own drawing.
using SkinImageUrl = std::function<std::string(const SkinImagePtr& image)>;

std::string SkinCss(const SkinData& skin, const SkinImageUrl& url);

// "linear-gradient(to bottom, #start, #end)".
std::string CssGradient(const Gradient& g);
// The border-image declarations of a part image ("" without an image or address).
std::string CssPartImage(const PartImage& part, const SkinImageUrl& url);

}  // namespace zel
