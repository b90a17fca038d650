#!/usr/bin/env python3
"""Writes the skins that ship with Zel: src/res/skin/Default and src/res/skin/Ink, each an
mskin.ini and its PNG images (drawn here, with nothing but the standard library).

    scripts/make_skins.py [output folder]   (default: src/res/skin beside this script)
"""
import math
import os
import struct
import sys
import zlib

SS = 4  # samples per pixel side


def png_bytes(w, h, rgba):
    raw = b"".join(b"\0" + bytes(rgba[y * w * 4:(y + 1) * w * 4]) for y in range(h))

    def chunk(kind, data):
        c = struct.pack(">I", len(data)) + kind + data
        return c + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def hexrgb(c):
    return (int(c[0:2], 16), int(c[2:4], 16), int(c[4:6], 16))


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(w * h)]

    def blend(self, x, y, color, cover):
        if cover <= 0:
            return
        p = self.px[y * self.w + x]
        r, g, b = color[:3]
        a = cover * (color[3] if len(color) > 3 else 1.0)
        oa = p[3]
        na = a + oa * (1 - a)
        if na <= 0:
            return
        for i, c in enumerate((r, g, b)):
            p[i] = (c / 255.0 * a + p[i] * oa * (1 - a)) / na
        p[3] = na

    def shape(self, inside, color):
        """inside(x, y) -> bool for a point in pixel space; supersampled coverage."""
        for y in range(self.h):
            for x in range(self.w):
                n = 0
                for sy in range(SS):
                    for sx in range(SS):
                        if inside(x + (sx + 0.5) / SS, y + (sy + 0.5) / SS):
                            n += 1
                self.blend(x, y, color, n / (SS * SS))

    def vgradient(self, top, bottom, x0=0, y0=0, x1=None, y1=None, radius=0.0):
        x1 = self.w if x1 is None else x1
        y1 = self.h if y1 is None else y1
        for y in range(y0, y1):
            t = (y - y0) / max(1, (y1 - y0 - 1))
            c = tuple(top[i] + (bottom[i] - top[i]) * t for i in range(3))
            for x in range(x0, x1):
                self.blend(x, y, c, 1.0)
        if radius:
            self.round_corners(radius)

    def round_corners(self, r, bottom=True):
        for y in range(self.h):
            for x in range(self.w):
                cx = r if x < r else (self.w - r if x >= self.w - r else None)
                cy = r if y < r else (self.h - r if (bottom and y >= self.h - r) else None)
                if cx is None or cy is None:
                    continue
                n = 0
                for sy in range(SS):
                    for sx in range(SS):
                        px, py = x + (sx + 0.5) / SS, y + (sy + 0.5) / SS
                        if (px - cx) ** 2 + (py - cy) ** 2 <= r * r:
                            n += 1
                self.px[y * self.w + x][3] *= n / (SS * SS)

    def bytes(self):
        out = bytearray()
        for p in self.px:
            out += bytes([round(p[0] * 255), round(p[1] * 255), round(p[2] * 255), round(p[3] * 255)])
        return out

    def save(self, path):
        with open(path, "wb") as f:
            f.write(png_bytes(self.w, self.h, self.bytes()))


# Shapes in a unit box (0..1), scaled to the icon size.
def capsule(ax, ay, bx, by, r):
    def inside(x, y):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        return (x - ax - t * dx) ** 2 + (y - ay - t * dy) ** 2 <= r * r
    return inside


def polygon(pts):
    def inside(x, y):
        c = False
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                c = not c
            j = i
        return c
    return inside


def ring(cx, cy, r0, r1, a0=0.0, a1=360.0):
    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        if not r0 <= d <= r1:
            return False
        a = math.degrees(math.atan2(y - cy, x - cx)) % 360
        return a0 <= a <= a1 if a0 <= a1 else (a >= a0 or a <= a1)
    return inside


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def union(*fs):
    return lambda x, y: any(f(x, y) for f in fs)


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


ICONS = {
    "Back": union(polygon([(0.12, 0.5), (0.5, 0.14), (0.5, 0.86)]), rect(0.45, 0.38, 0.88, 0.62)),
    "Forward": union(polygon([(0.88, 0.5), (0.5, 0.14), (0.5, 0.86)]), rect(0.12, 0.38, 0.55, 0.62)),
    "Refresh": union(ring(0.5, 0.5, 0.24, 0.38, 330, 250),
                     polygon([(0.62, 0.02), (0.62, 0.42), (0.98, 0.2)])),
    "Stop": union(capsule(0.22, 0.22, 0.78, 0.78, 0.1), capsule(0.78, 0.22, 0.22, 0.78, 0.1)),
    "Home": union(polygon([(0.5, 0.1), (0.92, 0.5), (0.08, 0.5)]),
                  minus(rect(0.2, 0.45, 0.8, 0.9), rect(0.42, 0.62, 0.58, 0.9))),
    "Go": polygon([(0.2, 0.15), (0.85, 0.5), (0.2, 0.85)]),
    "Search": union(ring(0.42, 0.42, 0.2, 0.32), capsule(0.62, 0.62, 0.88, 0.88, 0.09)),
    "New": union(rect(0.42, 0.15, 0.58, 0.85), rect(0.15, 0.42, 0.85, 0.58)),
    "_Add": union(polygon([(0.5, 0.06), (0.62, 0.38), (0.96, 0.38), (0.68, 0.6), (0.78, 0.94),
                           (0.5, 0.74), (0.22, 0.94), (0.32, 0.6), (0.04, 0.38), (0.38, 0.38)])),
    "_Edit": union(capsule(0.25, 0.75, 0.78, 0.22, 0.11), polygon([(0.1, 0.9), (0.16, 0.68), (0.32, 0.84)])),
    "Undo": union(ring(0.55, 0.58, 0.2, 0.34, 180, 90), polygon([(0.0, 0.58), (0.42, 0.58), (0.21, 0.3)])),
    "Caption": union(ring(0.5, 0.5, 0.36, 0.46), rect(0.08, 0.46, 0.92, 0.54), rect(0.46, 0.08, 0.54, 0.92),
                     ring(0.5, 0.5, 0.14, 0.22)),
    "Page": minus(rect(0.2, 0.08, 0.8, 0.92), polygon([(0.62, 0.07), (0.81, 0.07), (0.81, 0.26)])),
    "FolderClose": union(rect(0.08, 0.3, 0.92, 0.85), rect(0.08, 0.2, 0.45, 0.32)),
    "FolderOpen": union(polygon([(0.05, 0.85), (0.2, 0.4), (0.98, 0.4), (0.82, 0.85)]),
                        rect(0.08, 0.2, 0.45, 0.4)),
}
WINDOW_BUTTONS = {
    "MenuMinimize": rect(0.25, 0.62, 0.75, 0.74),
    "MenuMaximum": minus(rect(0.22, 0.22, 0.78, 0.78), rect(0.32, 0.36, 0.68, 0.68)),
    "MenuRestore": union(minus(rect(0.2, 0.38, 0.62, 0.8), rect(0.28, 0.48, 0.54, 0.72)),
                         minus(rect(0.38, 0.2, 0.8, 0.62), union(rect(0.46, 0.3, 0.72, 0.54), rect(0.2, 0.38, 0.62, 0.8)))),
    "MenuClose": union(capsule(0.28, 0.28, 0.72, 0.72, 0.07), capsule(0.72, 0.28, 0.28, 0.72, 0.07)),
    # A palette: the skin menu's button.
    "SkinSelect": minus(ring(0.5, 0.5, 0.0, 0.42),
                        union(ring(0.32, 0.4, 0.0, 0.08), ring(0.5, 0.28, 0.0, 0.08),
                              ring(0.68, 0.4, 0.0, 0.08), ring(0.62, 0.68, 0.0, 0.12))),
}


def icon(path, size, shape, color):
    c = Canvas(size, size)
    c.shape(lambda x, y: shape(x / size, y / size), color)
    c.save(path)


def part(path, w, h, top, bottom, border=None, radius=0.0, alpha=1.0):
    c = Canvas(w, h)
    c.vgradient(top, bottom)
    if border:
        b = border
        c.shape(lambda x, y: x < 1 or x > w - 1 or y < 1, b)
    if radius:
        c.round_corners(radius, bottom=False)
    if alpha < 1.0:
        for p in c.px:
            p[3] *= alpha
    c.save(path)


SKINS = {
    "Default": {
        "custom_frame": 0, "size": 16, "section": "Icons16", "default_size": "16 16",
        "panel": ("F4F7FB", "DCE5F0"), "menu": ("FFFFFF", "EEF2F7"), "float": ("F0F4F9", "E1E8F1"),
        "tree": ("FFFFFF", "F3F6FA"), "icon": "2A6EBB", "hover": "3D8EE6", "disabled": "A6AEB8",
        "text": "1E2A38", "text_off": "8C96A3", "caption": "1E2A38", "menu_border": "9AAABF",
        "tab": ("E8EEF5", "D3DDE9"), "tab_hover": ("F2F6FB", "DFE8F2"), "tab_active": ("FFFFFF", "F4F7FB"),
        "tab_border": "9AAABF", "tab_text": "3A4756", "tab_active_text": "102030",
        "button_hover": ("FFFFFF", "D9E7F7"), "button_pressed": ("C9DAEF", "E4EDF8"),
        "status": ("E9EEF5", "D5DEEA"), "progress": ("6FB1F2", "2A6EBB"),
        "toolbar_style": "Transparent", "box": ("FFFFFF", "F6F9FC"), "box_hover": ("FFFFFF", "FFFFFF"),
    },
    "Ink": {
        "custom_frame": 1, "corner_radius": 6, "size": 20, "section": "Icons", "default_size": "20 20",
        "panel": ("3A404A", "1C1F25"), "menu": ("2E333B", "24282F"), "float": ("353A43", "2A2E35"),
        "tree": ("2A2E35", "202329"), "icon": "F0A030", "hover": "FFC866", "disabled": "5C626B",
        "text": "E8E8E8", "text_off": "80868F", "caption": "F5D7A0", "menu_border": "101215",
        "tab": ("2C3037", "22252B"), "tab_hover": ("3A3F47", "2C3037"), "tab_active": ("505764", "3A404A"),
        "tab_border": "141619", "tab_text": "B8BCC4", "tab_active_text": "FFD28A",
        "button_hover": ("5A616D", "3F4550"), "button_pressed": ("23262C", "343941"),
        "status": ("2A2E35", "1A1C21"), "progress": ("FFC866", "D8841C"),
        "toolbar_style": "Transparent", "box": ("1A1D22", "24282F"), "box_hover": ("20242A", "2A2E35"),
    },
}

TOOLBAR_KEYS = ["New", "Back", "Forward", "Refresh", "Stop", "Undo", "Home", "Go", "Search"]
WITH_DISABLE = {"Back", "Forward", "Undo"}
OFFSETS = {"Back": "0 0", "Forward": "0 0"}


def make_skin(root, name, s):
    folder = os.path.join(root, name)
    os.makedirs(folder, exist_ok=True)
    rgb = {k: hexrgb(v) for k, v in s.items() if isinstance(v, str) and len(v) == 6 and k != "default_size"}
    pair = lambda k: (hexrgb(s[k][0]), hexrgb(s[k][1]))
    size, section = s["size"], s["section"]
    files = []

    def put(fname, draw):
        draw(os.path.join(folder, fname))
        files.append(fname)

    # Command icons in their three looks.
    for key in TOOLBAR_KEYS:
        base = key.lower()
        put(f"{base}.png", lambda p: icon(p, size, ICONS[key], rgb["icon"]))
        put(f"{base}_hover.png", lambda p: icon(p, size, ICONS[key], rgb["hover"]))
        if key in WITH_DISABLE:
            put(f"{base}_disabled.png", lambda p: icon(p, size, ICONS[key], rgb["disabled"]))
    for key in ("_Add", "_Edit", "Page", "FolderClose", "FolderOpen", "Caption"):
        put(f"small_{key.strip('_').lower()}.png", lambda p: icon(p, 16, ICONS[key], rgb["icon"]))
    for key, shape in WINDOW_BUTTONS.items():
        put(f"{key.lower()}.png", lambda p: icon(p, 16, shape, rgb["text"]))
        put(f"{key.lower()}_hover.png", lambda p: icon(p, 16, shape, rgb["hover"]))
    put("tab_close.png", lambda p: icon(p, 12, WINDOW_BUTTONS["MenuClose"], rgb["tab_text"]))
    put("tab_close_hover.png", lambda p: icon(p, 12, WINDOW_BUTTONS["MenuClose"], rgb["hover"]))
    # Part images.
    border = rgb["tab_border"]
    put("tab_normal.png", lambda p: part(p, 24, 26, *pair("tab"), border=border, radius=4))
    put("tab_hover.png", lambda p: part(p, 24, 26, *pair("tab_hover"), border=border, radius=4))
    put("tab_active.png", lambda p: part(p, 24, 26, *pair("tab_active"), border=border, radius=4))
    put("button_hover.png", lambda p: part(p, 12, 24, *pair("button_hover"), border=border, radius=3))
    put("button_pressed.png", lambda p: part(p, 12, 24, *pair("button_pressed"), border=border, radius=3))
    put("menuitem_hover.png", lambda p: part(p, 12, 22, *pair("button_hover"), radius=3))
    put("statusbar.png", lambda p: part(p, 8, 24, *pair("status")))
    put("progress.png", lambda p: part(p, 8, 12, *pair("progress"), radius=2))
    put("box_normal.png", lambda p: part(p, 12, 30, *pair("box"), border=rgb["menu_border"], radius=3))
    put("box_hover.png", lambda p: part(p, 12, 30, *pair("box_hover"), border=rgb["hover"], radius=3))

    lines = ["; Written by scripts/make_skins.py", "[Global]",
             f"CustomFrame={s['custom_frame']}", "CustomFrame.CornerSize=0", f"CustomFrame.CornerRadius={s.get('corner_radius', 0)}",
             "Edit.Height=24", f"DefaultSize={s['default_size']}", "",
             "[Backgrounds]", "MainPanel.Style=GFill",
             f"MainPanel.Fill.ColorStart={s['panel'][0]}", f"MainPanel.Fill.ColorEnd={s['panel'][1]}",
             "Button.Hover.Image=button_hover.png", "Button.Hover.Image.StartOffset=4",
             "Button.Hover.Image.EndOffset=4", "Button.Hover.Image.Stretch=1",
             "Button.Pressed.Image=button_pressed.png", "Button.Pressed.Image.StartOffset=4",
             "Button.Pressed.Image.EndOffset=4", "Button.Pressed.Image.Stretch=1",
             "Menu.Style=GFill", f"Menu.Fill.ColorStart={s['menu'][0]}", f"Menu.Fill.ColorEnd={s['menu'][1]}",
             f"FloatBar.Fill.ColorStart={s['float'][0]}", f"FloatBar.Fill.ColorEnd={s['float'][1]}",
             "MenuItem.Hover.Image=menuitem_hover.png", "MenuItem.Hover.Image.StartOffset=4",
             "MenuItem.Hover.Image.EndOffset=4", "MenuItem.Hover.Image.Stretch=1",
             f"ToolBar.Style={s['toolbar_style']}",
             f"TreeCtrl.Fill.ColorStart={s['tree'][0]}", f"TreeCtrl.Fill.ColorEnd={s['tree'][1]}",
             "StatusBar.Image=statusbar.png", "StatusBar.Image.Stretch=1", "",
             "[Colors]", f"Caption.Text={s['caption']}",
             "Menu.Separator.Width=1", "Menu.Separator.Offset=50",
             f"Menu.Separator.Color={s['menu_border']}", f"Menu.Separator.ShadowColor={s['menu'][0]}",
             f"Toolbar.Normal.Text={s['text']}", f"Toolbar.Disable.Text={s['text_off']}",
             f"ComboBox.Text={s['text']}", f"ComboBox.Disable.text={s['text_off']}",
             "Toolbar.Gripper.Style=Dashed", "Toolbar.Gripper.Width=2",
             f"Toolbar.Gripper.Color={s['menu_border']}", f"Toolbar.Gripper.ShadowColor={s['menu'][0]}",
             f"Menu.Normal.Text={s['text']}", f"Menu.Disable.Text={s['text_off']}",
             f"Menu.Border={s['menu_border']}",
             f"Tab.Normal.Text={s['tab_text']}", f"Tab.Hover.Text={s['tab_active_text']}",
             f"Tab.Active.Text={s['tab_active_text']}", "",
             "[SideBar]", "TabBackground.Style=GFill",
             f"TabBackground.Fill.ColorStart={s['panel'][0]}", f"TabBackground.Fill.ColorEnd={s['panel'][1]}",
             "TitleBackground.Style=GFill",
             f"TitleBackground.Fill.ColorStart={s['panel'][0]}", f"TitleBackground.Fill.ColorEnd={s['panel'][1]}", "",
             "[TabBar]"]
    for state in ("Normal", "Hover", "Active"):
        lines += [f"Tab.{state}.Image=tab_{state.lower()}.png", f"Tab.{state}.Image.StartOffset=5",
                  f"Tab.{state}.Image.EndOffset=5", f"Tab.{state}.Image.Stretch=1"]
    lines += ["TabClose=tab_close.png", "TabClose.Hover=tab_close_hover.png", "",
              "[Progress]", "Progress.Image=progress.png", "Progress.Image.StartOffset=3",
              "Progress.Image.EndOffset=3", "Progress.Image.Stretch=1", "",
             "[ComboBox]", "Background.Normal.Image=box_normal.png", "Background.Normal.Image.StartOffset=4",
             "Background.Normal.Image.EndOffset=4", "Background.Normal.Image.Stretch=1",
             "Background.Hover.Image=box_hover.png", "Background.Hover.Image.StartOffset=4",
             "Background.Hover.Image.EndOffset=4", "Background.Hover.Image.Stretch=1", "", f"[{section}]"]
    for key in TOOLBAR_KEYS:
        base = key.lower()
        lines += [f"{key}={base}.png", f"{key}.Hover={base}_hover.png"]
        if key in WITH_DISABLE:
            lines.append(f"{key}.Disable={base}_disabled.png")
        if key in OFFSETS:
            lines.append(f"{key}.Offset={OFFSETS[key]}")
    # The window buttons are in Icons, the small icons in Icons16: each section once.
    buttons = [line for key in WINDOW_BUTTONS
               for line in (f"{key}={key.lower()}.png", f"{key}.Hover={key.lower()}_hover.png")]
    small = ["_Add=small_add.png", "_Edit=small_edit.png", "Page=small_page.png",
             "FolderClose=small_folderclose.png", "FolderOpen=small_folderopen.png",
             "Caption=small_caption.png"]
    if section == "Icons16":
        lines += small + ["", "[Icons]"] + buttons
    else:
        lines += buttons + ["", "[Icons16]"] + small
    with open(os.path.join(folder, "mskin.ini"), "w", encoding="utf-8", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")
    return files


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "src", "res", "skin")
    for name, s in SKINS.items():
        make_skin(root, name, s)
        print("wrote", os.path.join(root, name))


if __name__ == "__main__":
    main()
