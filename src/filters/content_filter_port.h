// Where the content filter's lists and switch go: the request hook in every web process.
#pragma once

namespace zel {

class FilterLists;

class ContentFilterPort {
 public:
  virtual ~ContentFilterPort() = default;
  // hookActive: requests are checked (the content filter is on). The index of lists is
  // rebuilt on the other side.
  virtual void Update(const FilterLists& lists, bool hookActive) = 0;
};

}  // namespace zel
