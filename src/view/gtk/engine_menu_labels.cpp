#include "view/gtk/engine_menu_labels.h"

namespace zel {

const char* EngineActionLabel(WebKitContextMenuAction action) {
  switch (action) {
    case WEBKIT_CONTEXT_MENU_ACTION_OPEN_LINK: return "打开链接";
    case WEBKIT_CONTEXT_MENU_ACTION_OPEN_LINK_IN_NEW_WINDOW: return "在新窗口中打开链接";
    case WEBKIT_CONTEXT_MENU_ACTION_DOWNLOAD_LINK_TO_DISK: return "链接另存为";
    case WEBKIT_CONTEXT_MENU_ACTION_COPY_LINK_TO_CLIPBOARD: return "复制链接地址";
    case WEBKIT_CONTEXT_MENU_ACTION_OPEN_IMAGE_IN_NEW_WINDOW: return "在新窗口中打开图片";
    case WEBKIT_CONTEXT_MENU_ACTION_DOWNLOAD_IMAGE_TO_DISK: return "图片另存为";
    case WEBKIT_CONTEXT_MENU_ACTION_COPY_IMAGE_TO_CLIPBOARD: return "复制图片";
    case WEBKIT_CONTEXT_MENU_ACTION_COPY_IMAGE_URL_TO_CLIPBOARD: return "复制图片地址";
    case WEBKIT_CONTEXT_MENU_ACTION_OPEN_FRAME_IN_NEW_WINDOW: return "在新窗口中打开框架";
    case WEBKIT_CONTEXT_MENU_ACTION_GO_BACK: return "后退";
    case WEBKIT_CONTEXT_MENU_ACTION_GO_FORWARD: return "前进";
    case WEBKIT_CONTEXT_MENU_ACTION_STOP: return "停止";
    case WEBKIT_CONTEXT_MENU_ACTION_RELOAD: return "刷新";
    case WEBKIT_CONTEXT_MENU_ACTION_COPY: return "复制";
    case WEBKIT_CONTEXT_MENU_ACTION_CUT: return "剪切";
    case WEBKIT_CONTEXT_MENU_ACTION_PASTE: return "粘贴";
    case WEBKIT_CONTEXT_MENU_ACTION_PASTE_AS_PLAIN_TEXT: return "粘贴为纯文本";
    case WEBKIT_CONTEXT_MENU_ACTION_DELETE: return "删除";
    case WEBKIT_CONTEXT_MENU_ACTION_SELECT_ALL: return "全选";
    case WEBKIT_CONTEXT_MENU_ACTION_INPUT_METHODS: return "输入法";
    case WEBKIT_CONTEXT_MENU_ACTION_UNICODE: return "插入Unicode控制字符";
    case WEBKIT_CONTEXT_MENU_ACTION_INSERT_EMOJI: return "插入表情符号";
    case WEBKIT_CONTEXT_MENU_ACTION_NO_GUESSES_FOUND: return "无拼写建议";
    case WEBKIT_CONTEXT_MENU_ACTION_IGNORE_SPELLING: return "忽略拼写";
    case WEBKIT_CONTEXT_MENU_ACTION_LEARN_SPELLING: return "添加到词典";
    case WEBKIT_CONTEXT_MENU_ACTION_IGNORE_GRAMMAR: return "忽略语法";
    case WEBKIT_CONTEXT_MENU_ACTION_FONT_MENU: return "字体";
    case WEBKIT_CONTEXT_MENU_ACTION_BOLD: return "粗体";
    case WEBKIT_CONTEXT_MENU_ACTION_ITALIC: return "斜体";
    case WEBKIT_CONTEXT_MENU_ACTION_UNDERLINE: return "下划线";
    case WEBKIT_CONTEXT_MENU_ACTION_OUTLINE: return "轮廓";
    case WEBKIT_CONTEXT_MENU_ACTION_INSPECT_ELEMENT: return "审查元素";
    case WEBKIT_CONTEXT_MENU_ACTION_OPEN_VIDEO_IN_NEW_WINDOW: return "在新窗口中打开视频";
    case WEBKIT_CONTEXT_MENU_ACTION_OPEN_AUDIO_IN_NEW_WINDOW: return "在新窗口中打开音频";
    case WEBKIT_CONTEXT_MENU_ACTION_COPY_VIDEO_LINK_TO_CLIPBOARD: return "复制视频地址";
    case WEBKIT_CONTEXT_MENU_ACTION_COPY_AUDIO_LINK_TO_CLIPBOARD: return "复制音频地址";
    case WEBKIT_CONTEXT_MENU_ACTION_TOGGLE_MEDIA_CONTROLS: return "显示控件";
    case WEBKIT_CONTEXT_MENU_ACTION_TOGGLE_MEDIA_LOOP: return "循环播放";
    case WEBKIT_CONTEXT_MENU_ACTION_ENTER_VIDEO_FULLSCREEN: return "全屏";
    case WEBKIT_CONTEXT_MENU_ACTION_MEDIA_PLAY: return "播放";
    case WEBKIT_CONTEXT_MENU_ACTION_MEDIA_PAUSE: return "暂停";
    case WEBKIT_CONTEXT_MENU_ACTION_MEDIA_MUTE: return "静音";
    case WEBKIT_CONTEXT_MENU_ACTION_DOWNLOAD_VIDEO_TO_DISK: return "视频另存为";
    case WEBKIT_CONTEXT_MENU_ACTION_DOWNLOAD_AUDIO_TO_DISK: return "音频另存为";
    default: return nullptr;
  }
}

void RelabelEngineMenu(WebKitContextMenu* menu) {
  GList* items = g_list_copy(webkit_context_menu_get_items(menu));
  guint position = 0;
  for (GList* l = items; l; l = l->next, ++position) {
    auto* item = WEBKIT_CONTEXT_MENU_ITEM(l->data);
    if (webkit_context_menu_item_is_separator(item)) continue;
    WebKitContextMenuAction action = webkit_context_menu_item_get_stock_action(item);
    const char* label = EngineActionLabel(action);
    // An item with a submenu (input methods) keeps it: only the engine can fill it.
    if (!label || webkit_context_menu_item_get_submenu(item)) continue;
    webkit_context_menu_insert(
        menu, webkit_context_menu_item_new_from_stock_action_with_label(action, label), position);
    webkit_context_menu_remove(menu, item);
  }
  g_list_free(items);
}

}  // namespace zel
