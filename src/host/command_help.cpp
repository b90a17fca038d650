#include "host/command_help.h"

namespace zel {

InfoRequest InfoRequestOf(const std::vector<std::string>& args) {
  if (args.empty()) return InfoRequest::None;
  const std::string& a = args.front();
  if (a == "--help" || a == "-h") return InfoRequest::Help;
  if (a == "--version" || a == "-v") return InfoRequest::Version;
  return InfoRequest::None;
}

std::string InfoText(InfoRequest request, const std::string& version) {
  switch (request) {
    case InfoRequest::None:
      return {};
    case InfoRequest::Version:
      return "Zel浏览器 " + version + "\n";
    case InfoRequest::Help:
      break;
  }
  return "用法 (Usage): zel [地址 | 快捷方式.url]\n"
         "       zel -Install | -Uninstall\n"
         "       zel --help | --version\n"
         "\n"
         "Zel浏览器: 多标签网页浏览器。浏览器已在运行时, 地址交给它在新标签中打开。\n"
         "\n"
         "  地址            打开的网页, 如 www.example.com 或 https://example.com/\n"
         "  文件.url        打开收藏夹快捷方式所指的网页\n"
         "  -Install        设为默认浏览器并结束 (不打开窗口)\n"
         "  -Uninstall      交还默认浏览器的设置并结束\n"
         "  --display=屏幕  在指定的 X 显示上打开 (GTK 选项)\n"
         "  -h, --help      显示本说明并结束\n"
         "  -v, --version   显示版本并结束\n"
         "\n"
         "环境变量 (Environment):\n"
         "  ZEL_HOME        程序文件夹 (其中 profile/Defaults/ 存放设置), 默认为\n"
         "                  可写的程序所在文件夹, 否则 $XDG_DATA_HOME/zel/\n"
         "  ZEL_WEBEXT_DIR  网页进程模块 zel-webext.so 所在的文件夹\n"
         "  ZEL_UPDATE_URL  在线升级检查的 update.ini 的完整地址\n"
         "  ZEL_STATS_URL   安装统计的地址前缀\n"
         "  WEBKIT_DISABLE_COMPOSITING_MODE=1  关闭网页的合成绘制 (显卡驱动有问题时)\n"
         "  WEBKIT_DISABLE_DMABUF_RENDERER=0   网页画面经显存缓冲区传递 (默认经共享内存,\n"
         "                  以便窗口移开后网页立即重绘, 浏览器进程也不载入显卡驱动)\n"
         "\n"
         "用户指南: /usr/share/doc/zel/guide.zh-CN.md, man zel\n";
}

}  // namespace zel
