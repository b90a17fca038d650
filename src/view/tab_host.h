// What a tab's view needs of the frame that holds it.
#pragma once

namespace zel {

// The pointer over a tab's page: its height in the page and the page's height less the
// bottom margin; inside is false outside the page or in its right or bottom margin.
struct PagePointer {
  bool inside = false;
  int y = 0;
  int height = 0;
};

}  // namespace zel
