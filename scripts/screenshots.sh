#!/usr/bin/env bash
# Pictures of the main window in each shipped skin for the docs: docs/screenshot-<skin>.png
# (lower case). Runs the built browser under Xvfb on a local page with a scratch profile.
#     scripts/screenshots.sh [skin ...]      (default: Default Ink)
set -euo pipefail
cd "$(dirname "$0")/.."
[ -x build/src/zel ] || scripts/build.sh
skins=("$@")
[ ${#skins[@]} -gt 0 ] || skins=(Default Ink)
mkdir -p docs
for skin in "${skins[@]}"; do
  home=$(mktemp -d)
  mkdir -p "$home/profile/Defaults"
  printf '[GENERAL]\r\nskin=%s\r\nfirstrun=0\r\ncheckdefault=0\r\n' "$skin" \
    > "$home/profile/Defaults/config.ini"
  cat > "$home/page.html" <<'HTML'
<!DOCTYPE html><html><head><meta charset="utf-8"><title>欢迎使用Zel浏览器</title></head>
<body style="font-family:sans-serif;margin:40px;color:#333">
<h1>欢迎使用Zel浏览器</h1>
<p>多标签页浏览、鼠标手势、广告过滤、表单填写、收藏夹与历史记录。</p>
<ul><li><a href="#">新闻</a></li><li><a href="#">搜索</a></li><li><a href="#">邮箱</a></li></ul>
</body></html>
HTML
  out="$PWD/docs/screenshot-$(echo "$skin" | tr 'A-Z' 'a-z').png"
  ZEL_HOME="$home" ZEL_UPDATE_URL=http://127.0.0.1:9/update.ini \
  xvfb-run -a -s "-screen 0 1280x900x24 -noreset" bash -c '
    build/src/zel "file://'"$home"'/page.html" &
    pid=$!
    sleep "${ZEL_SHOT_DELAY:-8}"
    import -window root png:- | convert - -trim +repage "'"$out"'"
    kill -TERM $pid
    wait $pid || true
  '
  rm -rf "$home"
  echo "wrote $out"
done
