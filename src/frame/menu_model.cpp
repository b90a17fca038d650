#include "frame/menu_model.h"

#include "frame/commands.h"

namespace zel {

std::vector<MenuItem> MainMenu() {
  std::vector<MenuItem> m;
  MenuItem file{u"文件(&F)"};
  file.children.push_back({u"退出(&X)", cmd::kExit});
  m.push_back(file);
  m.push_back({u"编辑(&E)"});
  m.push_back({u"查看(&V)"});
  m.push_back({u"收藏(&A)"});
  m.push_back({u"工具(&T)"});
  m.push_back({u"帮助(&H)"});
  return m;
}

u16 MnemonicToGtk(u16view text) {
  u16 out;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == u'&') {
      if (i + 1 < text.size() && text[i + 1] == u'&') {
        out += u'&';
        ++i;
      } else {
        out += u'_';
      }
    } else if (c == u'_') {
      out += u"__";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace zel
