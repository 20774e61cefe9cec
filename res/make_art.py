#!/usr/bin/python3
"""Draws every image of VEXRA-by-Teskor.exe into res/images/.

Run with Debian's Python and Pillow:  /usr/bin/python3 res/make_art.py
The output is deterministic (no randomness, no time stamps), so the committed files
only change when the drawing changes.

Shapes are drawn at four times their size and scaled down, which gives smooth edges.
Skins are written as uncompressed 32-bit bottom-up DIBs, the icon and the GIFs are
assembled byte by byte here, because the loaders of the program expect one exact layout
(the GIFs: looping extension first, a graphic control extension before every image).
"""

import io
import math
import os
import struct

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "images")
SS = 4  # supersampling factor

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
FONT_BOLD = os.path.join(FONT_DIR, "DejaVuSans-Bold.ttf")
FONT_REGULAR = os.path.join(FONT_DIR, "DejaVuSans.ttf")

# Palette -------------------------------------------------------------------------
BLUE = (4, 121, 254)          # the brand blue (System page values)
BLUE_DEEP = (23, 106, 214)    # engine status blue
BLUE_DARK = (16, 72, 168)
CYAN = (38, 198, 255)
NAVY_TOP = (30, 43, 74)       # sidebar and popup
NAVY_BOTTOM = (17, 25, 45)
NAVY_LINE = (52, 68, 108)
SIDEBAR_TEXT = (168, 184, 216)
CONTENT = (246, 248, 252)     # the calm surface under every text of the window
FOOTER = (237, 241, 248)
RULE = (221, 227, 238)
TRACK = (222, 229, 242)
INK = (45, 54, 76)
RED = (232, 72, 85)
RED_DARK = (196, 48, 62)
WHITE = (255, 255, 255)

# Where the window's controls sit (client pixels); the skin is drawn around them.
WINDOW_W, WINDOW_H = 800, 450
SIDEBAR_W = 190
CONTROLS_BAR = (728, 0, 800, 32)
HEADER_RULE_Y = 88
FOOTER_TOP = 420
WELCOME_GIF_AT = (335, 161)
CPU_GAUGE_AT = (305, 156)
MEMORY_GAUGE_AT = (578, 168)
POPUP_W, POPUP_H = 350, 120


# Drawing helpers -------------------------------------------------------------------
def big(size, fill=(0, 0, 0, 0)):
    """A supersampled RGBA canvas for an image of `size` pixels."""
    return Image.new("RGBA", (size[0] * SS, size[1] * SS), fill)


def small(canvas):
    """Scales a supersampled canvas down to its final size."""
    w, h = canvas.size
    # a box filter is the exact average of each 4 x 4 block: no ringing at hard edges
    return canvas.resize((w // SS, h // SS), Image.BOX)


def s(v):
    """Scales a coordinate or a tuple of coordinates to the supersampled canvas."""
    if isinstance(v, (tuple, list)):
        return tuple(round(x * SS) for x in v)
    return round(v * SS)


def font(path, px):
    return ImageFont.truetype(path, s(px))


def lerp(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def gradient(size, top, bottom, horizontal=False):
    """An RGBA image filled with a linear gradient."""
    w, h = size
    line = Image.new("RGBA", (1, 256) if not horizontal else (256, 1))
    for i in range(256):
        c = lerp(top, bottom, i / 255) + (255,)
        line.putpixel((0, i) if not horizontal else (i, 0), c)
    return line.resize((w, h), Image.BILINEAR)


def paste_masked(canvas, fill, mask):
    """Composites `fill` (an image or a colour) over `canvas` through `mask`."""
    if isinstance(fill, Image.Image):
        layer = fill.copy()
    else:
        layer = Image.new("RGBA", canvas.size, tuple(fill) + (255,))
    # the mask scales the layer's alpha; pasting through a mask would also darken the
    # colour of every partly covered pixel
    layer.putalpha(ImageChops.multiply(layer.getchannel("A"), mask))
    canvas.alpha_composite(layer)


def on_layer(canvas, draw_fn):
    """Draws translucent shapes: ImageDraw replaces RGBA pixels instead of blending them,
    so translucent strokes go on a layer of their own that is composited afterwards."""
    layer = Image.new("RGBA", canvas.size, (0, 0, 0, 0))
    draw_fn(ImageDraw.Draw(layer))
    canvas.alpha_composite(layer)


def shape_mask(size, draw_fn):
    mask = Image.new("L", size, 0)
    draw_fn(ImageDraw.Draw(mask))
    return mask


def rounded_mask(size, box, radius):
    return shape_mask(size, lambda d: d.rounded_rectangle(s(box), s(radius), fill=255))


def text_center(draw, center, text, fnt, fill, spacing=0):
    """Draws `text` centred on `center` (supersampled coordinates)."""
    if spacing:
        widths = [draw.textlength(ch, font=fnt) for ch in text]
        total = sum(widths) + spacing * (len(text) - 1)
        x = center[0] - total / 2
        for ch, w in zip(text, widths):
            draw.text((x, center[1]), ch, font=fnt, fill=fill, anchor="lm")
            x += w + spacing
    else:
        draw.text(center, text, font=fnt, fill=fill, anchor="mm")


def soft_shadow(canvas, mask, offset, blur, alpha):
    shadow = mask.point(lambda v: v * alpha // 255)
    shadow = ImageChops.offset(shadow, s(offset[0]), s(offset[1]))
    shadow = shadow.filter(ImageFilter.GaussianBlur(s(blur)))
    paste_masked(canvas, (0, 0, 0), shadow)


# The program's mark: a blue rounded square with a white V and a rising spark ------------
def draw_mark(canvas, box, detail=True):
    x0, y0, x1, y1 = box
    size = x1 - x0
    mask = rounded_mask(canvas.size, box, size * 0.24)
    fill = Image.new("RGBA", canvas.size, (0, 0, 0, 0))
    fill.paste(gradient((s(size), s(size)), CYAN, BLUE_DARK), s((x0, y0)))
    paste_masked(canvas, fill, mask)
    if detail:
        # a soft highlight over the upper half
        hl = shape_mask(canvas.size, lambda d: d.ellipse(
            s((x0 - size * 0.3, y0 - size * 0.75, x1 + size * 0.3, y0 + size * 0.45)), fill=60))
        paste_masked(canvas, WHITE, ImageChops.multiply(hl, mask))

    def p(u, v):
        return s((x0 + u * size, y0 + v * size))

    vee = [p(0.20, 0.26), p(0.37, 0.26), p(0.50, 0.60), p(0.63, 0.26),
           p(0.80, 0.26), p(0.58, 0.80), p(0.42, 0.80)]
    ImageDraw.Draw(canvas).polygon(vee, fill=WHITE + (255,))
    if detail:
        spark = [p(0.70, 0.10), p(0.90, 0.10), p(0.90, 0.30)]
        ImageDraw.Draw(canvas).polygon(spark, fill=WHITE + (255,))


# Skins -------------------------------------------------------------------------------
def draw_main_skin():
    w, h = WINDOW_W, WINDOW_H
    c = big((w, h), CONTENT + (255,))
    d = ImageDraw.Draw(c)

    # footer strip and the rules that frame the pages' content
    d.rectangle(s((SIDEBAR_W, FOOTER_TOP, w, h)), fill=FOOTER + (255,))
    d.rectangle(s((SIDEBAR_W, FOOTER_TOP, w, FOOTER_TOP + 1)), fill=RULE + (255,))
    d.rectangle(s((208, HEADER_RULE_Y, 776, HEADER_RULE_Y + 1)), fill=RULE + (255,))
    # a short accent under the header, where the page titles start
    d.rounded_rectangle(s((208, HEADER_RULE_Y - 1, 256, HEADER_RULE_Y + 2)), s(1.5),
                        fill=BLUE + (255,))

    # sidebar
    side = gradient((s(SIDEBAR_W), s(h)), NAVY_TOP, NAVY_BOTTOM)
    c.paste(side, (0, 0))
    d.rectangle(s((SIDEBAR_W - 1, 0, SIDEBAR_W, h)), fill=NAVY_LINE + (255,))
    draw_mark(c, (30, 34, 76, 80))
    d.text(s((88, 40)), "VEXRA", font=font(FONT_BOLD, 22), fill=WHITE + (255,))
    d.text(s((89, 66)), "by Teskor", font=font(FONT_REGULAR, 11), fill=SIDEBAR_TEXT + (255,))
    d.rectangle(s((30, 112, 160, 113)), fill=NAVY_LINE + (255,))
    # a small card at the foot of the sidebar that says what the program does
    d.rounded_rectangle(s((30, 360, 181, 420)), s(10), fill=(38, 54, 92, 255))
    bolt = [(50, 374), (42, 390), (48, 390), (45, 403), (55, 385), (49, 385), (53, 374)]
    d.polygon([s(pt) for pt in bolt], fill=CYAN + (255,))
    d.text(s((64, 375)), "Real-time boost", font=font(FONT_BOLD, 11), fill=WHITE + (255,))
    d.text(s((64, 393)), "for the app in front", font=font(FONT_REGULAR, 9),
           fill=SIDEBAR_TEXT + (255,))

    # the window-controls bar in the top right corner
    x0, y0, x1, y1 = CONTROLS_BAR
    bar = Image.new("L", c.size, 0)
    bd = ImageDraw.Draw(bar)
    bd.rounded_rectangle(s((x0, y0 - 20, x1 + 20, y1)), s(14), fill=255)
    paste_masked(c, gradient(c.size, NAVY_TOP, NAVY_BOTTOM, horizontal=True), bar)
    return small(c).convert("RGB")


def draw_popup_skin():
    w, h = POPUP_W, POPUP_H
    c = big((w, h))
    c.paste(gradient((s(w), s(h)), NAVY_TOP, NAVY_BOTTOM), (0, 0))
    d = ImageDraw.Draw(c)
    # accent strip along the left edge and a hairline border
    d.rectangle(s((0, 0, 4, h)), fill=BLUE + (255,))
    d.rectangle(s((0, 0, w - 0.5, h - 0.5)), outline=NAVY_LINE + (255,), width=s(1))
    # the program's mark, left of the two text lines
    draw_mark(c, (28, 36, 76, 84))
    # a faint divider between the mark and the text
    d.rectangle(s((90, 24, 91, 96)), fill=NAVY_LINE + (255,))
    return small(c).convert("RGB")


# Buttons ---------------------------------------------------------------------------
# The button control draws its face one pixel right of and below its origin and cuts
# the last row and column, so every button image keeps a one-pixel transparent margin
# at its right and bottom edges.
def draw_round_icon_button(kind, state):
    size = (24, 24)
    c = big(size)
    d = ImageDraw.Draw(c)
    circle = {"normal": None,
              "hover": RED if kind == "close" else BLUE,
              "pressed": RED_DARK if kind == "close" else BLUE_DARK}[state]
    if circle:
        d.ellipse(s((0.5, 0.5, 22.5, 22.5)), fill=circle + (255,))
    glyph = WHITE + (255,) if state != "normal" else (214, 224, 244, 255)
    if kind == "close":
        for a, b in (((7.5, 7.5), (15.5, 15.5)), ((15.5, 7.5), (7.5, 15.5))):
            d.line([s(a), s(b)], fill=glyph, width=s(2))
            for end in (a, b):
                d.ellipse(s((end[0] - 1, end[1] - 1, end[0] + 1, end[1] + 1)), fill=glyph)
    else:
        d.rounded_rectangle(s((5.5, 7.5, 17.5, 16.5)), s(1.5), outline=glyph, width=s(1.6))
        d.line([s((6.5, 8.5)), s((11.5, 12.8)), s((16.5, 8.5))], fill=glyph, width=s(1.6),
               joint="curve")
    return small(c)


def draw_start_button(state):
    w, h = 250, 38
    c = big((w, h))
    top, bottom = {"normal": (BLUE, BLUE_DEEP),
                   "hover": ((46, 150, 255), (30, 120, 232)),
                   "pressed": (BLUE_DARK, (12, 58, 140))}[state]
    # the pill sits on a soft shadow; pressed, it sinks onto it
    lift = 1 if state == "pressed" else 0
    box = (1.5, 0.5 + lift, w - 2.5, h - 4.5 + lift)
    mask = rounded_mask(c.size, box, (box[3] - box[1]) / 2)
    if state != "pressed":
        soft_shadow(c, mask, (0, 2), 1.5, 70)
    paste_masked(c, gradient(c.size, top, bottom), mask)
    d = ImageDraw.Draw(c)
    if state != "pressed":
        # a gloss that fades out towards the middle of the pill
        fade = gradient(c.size, (255, 255, 255), (0, 0, 0)).getchannel("R")
        fade = fade.point(lambda v: max(0, v - 128) * 2 * 40 // 255)
        paste_masked(c, WHITE, ImageChops.multiply(mask, fade))
    cy = s((box[1] + box[3]) / 2)
    text_center(d, (s(w / 2 - 8), cy), "START", font(FONT_BOLD, 16), WHITE + (255,),
                spacing=s(3))
    # a forward chevron after the label
    ax = w / 2 + 44
    ay = (box[1] + box[3]) / 2
    d.line([s((ax, ay - 5)), s((ax + 5, ay)), s((ax, ay + 5))], fill=WHITE + (255,),
           width=s(2.2), joint="curve")
    return small(c)


def draw_engine_glyph(d, cx, cy, r, colour):
    """A speedometer: an open arc, ticks and a needle."""
    d.arc(s((cx - r, cy - r, cx + r, cy + r)), 140, 400, fill=colour, width=s(r * 0.22))
    ang = math.radians(-40)
    d.line([s((cx, cy)), s((cx + r * 0.72 * math.cos(ang), cy + r * 0.72 * math.sin(ang)))],
           fill=colour, width=s(r * 0.22))
    d.ellipse(s((cx - r * 0.22, cy - r * 0.22, cx + r * 0.22, cy + r * 0.22)), fill=colour)


def draw_system_glyph(d, cx, cy, r, colour):
    """A monitor on a stand."""
    d.rounded_rectangle(s((cx - r, cy - r * 0.8, cx + r, cy + r * 0.45)), s(r * 0.18),
                        outline=colour, width=s(r * 0.2))
    d.rectangle(s((cx - r * 0.12, cy + r * 0.45, cx + r * 0.12, cy + r * 0.8)), fill=colour)
    d.rounded_rectangle(s((cx - r * 0.55, cy + r * 0.72, cx + r * 0.55, cy + r * 0.92)),
                        s(r * 0.1), fill=colour)


def draw_tab(label, selected):
    w, h = 152, 52
    c = big((w, h))
    d = ImageDraw.Draw(c)
    box = (0.5, 4.5, w - 1.5, h - 5.5)
    if selected:
        mask = rounded_mask(c.size, box, 10)
        paste_masked(c, gradient(c.size, BLUE, BLUE_DEEP, horizontal=True), mask)
        colour = WHITE + (255,)
    else:
        colour = SIDEBAR_TEXT + (255,)
    glyph = draw_engine_glyph if label == "Engine" else draw_system_glyph
    glyph(d, 30, (h - 1) / 2 + 0.5, 9, colour)
    d.text(s((52, (h - 1) / 2)), label, font=font(FONT_BOLD, 16), fill=colour, anchor="lm")
    if selected:
        # a small marker at the right end of the selected tab
        d.ellipse(s((w - 20, (h - 1) / 2 - 3, w - 14, (h - 1) / 2 + 3)), fill=colour)
    return small(c)


def draw_header_icon(kind, size):
    w, h = size
    c = big(size)
    d = ImageDraw.Draw(c)
    if kind == "system":
        # monitor with a blue screen and an information mark
        screen = (3, 2, w - 4, h - 15)
        bez = rounded_mask(c.size, screen, 5)
        paste_masked(c, (52, 64, 96), bez)
        inner = rounded_mask(c.size, (screen[0] + 3, screen[1] + 3, screen[2] - 3,
                                      screen[3] - 3), 3)
        paste_masked(c, gradient(c.size, CYAN, BLUE_DEEP), inner)
        d.rectangle(s((w / 2 - 4, h - 15, w / 2 + 3, h - 7)), fill=(52, 64, 96, 255))
        d.rounded_rectangle(s((w / 2 - 15, h - 8, w / 2 + 14, h - 3)), s(2.5),
                            fill=(52, 64, 96, 255))
        cx, cy = (w - 1) / 2, (screen[1] + screen[3]) / 2
        d.ellipse(s((cx - 11, cy - 11, cx + 11, cy + 11)), fill=WHITE + (255,))
        d.ellipse(s((cx - 2, cy - 7.5, cx + 2, cy - 3.5)), fill=BLUE_DEEP + (255,))
        d.rounded_rectangle(s((cx - 2, cy - 1.5, cx + 2, cy + 7.5)), s(1.5),
                            fill=BLUE_DEEP + (255,))
    else:
        # gauge disc with a needle in the boost zone
        r = (w - 4) / 2
        cx, cy = (w - 1) / 2, (h - 1) / 2
        disc = shape_mask(c.size, lambda m: m.ellipse(s((cx - r, cy - r, cx + r, cy + r)),
                                                      fill=255))
        paste_masked(c, gradient(c.size, CYAN, BLUE_DARK), disc)
        ri = r - 6
        def dial(ld):
            ld.arc(s((cx - ri, cy - ri, cx + ri, cy + ri)), 135, 405,
                   fill=(255, 255, 255, 110), width=s(4))
            for k in range(7):
                a = math.radians(135 + k * 45)
                ld.line([s((cx + (ri - 7) * math.cos(a), cy + (ri - 7) * math.sin(a))),
                         s((cx + (ri - 11) * math.cos(a), cy + (ri - 11) * math.sin(a)))],
                        fill=(255, 255, 255, 200), width=s(1.5))
        on_layer(c, dial)
        d.arc(s((cx - ri, cy - ri, cx + ri, cy + ri)), 330, 405, fill=WHITE + (255,),
              width=s(4))
        a = math.radians(-35)
        d.line([s((cx, cy)), s((cx + (ri - 6) * math.cos(a), cy + (ri - 6) * math.sin(a)))],
               fill=WHITE + (255,), width=s(3))
        d.ellipse(s((cx - 4.5, cy - 4.5, cx + 4.5, cy + 4.5)), fill=WHITE + (255,))
        d.ellipse(s((cx - 2, cy - 2, cx + 2, cy + 2)), fill=BLUE_DARK + (255,))
    return small(c)


# Animations ---------------------------------------------------------------------------
def welcome_frame(t, background):
    """One frame of the Welcome animation: the mark breathing in a soft halo, pulses
    running outwards and three sparks circling. `t` runs from 0 to 1 over the loop."""
    w, h = background.size
    c = background.resize((w * SS, h * SS), Image.NEAREST).convert("RGBA")
    cx, cy = (w - 1) / 2, (h - 1) / 2
    halo = shape_mask(c.size, lambda m: m.ellipse(s((cx - 50, cy - 50, cx + 50, cy + 50)),
                                                   fill=255))
    halo = halo.filter(ImageFilter.GaussianBlur(s(6)))
    paste_masked(c, (222, 236, 255), halo)

    def pulses(ld):
        for phase in (0.0, 0.5):
            k = (t + phase) % 1.0
            r = 44 + k * 36
            a = round(200 * (1 - k) ** 1.6)
            ld.ellipse(s((cx - r, cy - r, cx + r, cy + r)), outline=BLUE + (a,), width=s(2))
    on_layer(c, pulses)

    ro = 62

    def orbit(ld):
        ld.ellipse(s((cx - ro, cy - ro, cx + ro, cy + ro)), outline=(196, 214, 240, 255),
                   width=s(1))
        for n in range(3):
            head = 2 * math.pi * (t + n / 3) - math.pi / 2
            for tail in range(10, -1, -1):
                at = head - tail * 0.045
                rr = 3.6 - tail * 0.25
                px, py = cx + ro * math.cos(at), cy + ro * math.sin(at)
                col = lerp(CYAN, BLUE, tail / 10) + (round(255 * (1 - tail / 11)),)
                ld.ellipse(s((px - rr, py - rr, px + rr, py + rr)), fill=col)
    on_layer(c, orbit)

    half = 32 * (1 + 0.035 * math.sin(2 * math.pi * t))
    box = (cx - half, cy - half, cx + half, cy + half)
    soft_shadow(c, rounded_mask(c.size, box, half * 0.48), (0, 2), 3, 70)
    draw_mark(c, box)
    return small(c).convert("RGB")


def cpu_gauge_frame(t, background):
    w, h = background.size
    c = background.resize((w * SS, h * SS), Image.NEAREST).convert("RGBA")
    d = ImageDraw.Draw(c)
    cx, cy = (w - 1) / 2, (h - 1) / 2
    r = 33
    d.ellipse(s((cx - r, cy - r, cx + r, cy + r)), outline=TRACK + (255,), width=s(7))
    start = 360 * t - 90
    # the sweep: a bright head with a tail that fades into the track
    steps = 24
    for i in range(steps):
        k = i / steps
        a0 = start - 130 * (1 - k)
        a1 = start - 130 * (1 - k - 1 / steps) + 1
        col = lerp(TRACK, BLUE, k ** 1.3)
        d.arc(s((cx - r, cy - r, cx + r, cy + r)), a0, a1, fill=col + (255,), width=s(7))
    hx = cx + (r - 3.5) * math.cos(math.radians(start))
    hy = cy + (r - 3.5) * math.sin(math.radians(start))
    d.ellipse(s((hx - 3.5, hy - 3.5, hx + 3.5, hy + 3.5)), fill=BLUE + (255,))
    # a processor chip in the middle
    chip = 11
    for k in range(4):
        off = -7.5 + k * 5
        for x0, y0, x1, y1 in ((cx + off - 1, cy - chip - 5, cx + off + 1, cy - chip),
                               (cx + off - 1, cy + chip, cx + off + 1, cy + chip + 5),
                               (cx - chip - 5, cy + off - 1, cx - chip, cy + off + 1),
                               (cx + chip, cy + off - 1, cx + chip + 5, cy + off + 1)):
            d.rectangle(s((x0, y0, x1, y1)), fill=(120, 134, 168, 255))
    d.rounded_rectangle(s((cx - chip, cy - chip, cx + chip, cy + chip)), s(3),
                        fill=INK + (255,))
    pulse = 0.5 + 0.5 * math.sin(2 * math.pi * t * 2)
    core = lerp(BLUE_DEEP, CYAN, pulse)
    d.rounded_rectangle(s((cx - 5, cy - 5, cx + 5, cy + 5)), s(1.5), fill=core + (255,))
    return small(c).convert("RGB")


def memory_gauge_frame(t, background):
    w, h = background.size
    c = background.resize((w * SS, h * SS), Image.NEAREST).convert("RGBA")
    d = ImageDraw.Draw(c)
    # a memory module: dark board with a key notch, chips, gold contacts
    board = (3, 10, w - 4, h - 12)
    d.rounded_rectangle(s(board), s(3), fill=INK + (255,))
    notch = s((w / 2 - 3, h - 14, w / 2 + 2, h - 12))
    c.paste(background.resize((w * SS, h * SS), Image.NEAREST).crop(notch), notch[:2])
    for i in range(20):
        x = 6 + i * 3.9
        if abs(x + 1 - w / 2) < 4:
            continue
        d.rectangle(s((x, h - 12, x + 2, h - 8)), fill=(226, 178, 60, 255))
    # six chips whose lights run as a wave across the module
    for i in range(6):
        x0 = 8 + i * 12.6
        d.rectangle(s((x0, 15, x0 + 9.5, 28)), fill=(28, 34, 50, 255))
        k = (t * 6 - i) % 6
        level = max(0.0, 1 - abs(k - 0.5) / 1.5) if k < 2 else 0.0
        led = lerp((60, 76, 110), CYAN, level)
        d.rounded_rectangle(s((x0 + 1.5, 30.5, x0 + 8, 33.5)), s(1), fill=led + (255,))
    # the usage bar beneath the module fills and empties smoothly
    track = (3, h - 6, w - 4, h - 2)
    d.rounded_rectangle(s(track), s(2), fill=TRACK + (255,))
    fill = 0.35 + 0.25 * (1 - math.cos(2 * math.pi * t)) / 2
    d.rounded_rectangle(s((track[0], track[1], track[0] + (track[2] - track[0]) * fill,
                           track[3])), s(2), fill=BLUE + (255,))
    return small(c).convert("RGB")


# File writers -------------------------------------------------------------------------
def write_dib(path, image):
    """Uncompressed 32-bit bottom-up BI_RGB bitmap file."""
    image = image.convert("RGB")
    w, h = image.size
    pixels = bytearray(image.tobytes("raw", "BGRX", 0, -1))  # bottom-up rows
    pixels[3::4] = b"\xff" * (w * h)
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 32, 0, len(pixels), 2835, 2835, 0, 0)
    offset = 14 + len(header)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset))
        f.write(header)
        f.write(pixels)


def write_png(path, image):
    image.save(path, format="PNG", optimize=True)


def icon_dib_entry(image):
    """An icon image as a 32-bit DIB with its AND mask (the format every Windows reads)."""
    w, h = image.size
    image = image.convert("RGBA")
    xor = image.tobytes("raw", "BGRA", 0, -1)
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray(mask_stride * h)
    alpha = image.getchannel("A").transpose(Image.FLIP_TOP_BOTTOM).tobytes()
    for y in range(h):
        for x in range(w):
            if alpha[y * w + x] == 0:
                mask[y * mask_stride + x // 8] |= 0x80 >> (x % 8)
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask),
                         0, 0, 0, 0)
    return header + xor + bytes(mask)


def write_ico(path, images):
    """ICO file: DIB entries below 256 pixels, a PNG entry for the 256-pixel image."""
    blobs = []
    for im in images:
        if im.size[0] >= 256:
            buf = io.BytesIO()
            im.save(buf, format="PNG", optimize=True)
            blobs.append(buf.getvalue())
        else:
            blobs.append(icon_dib_entry(im))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for im, blob in zip(images, blobs):
        w, h = im.size
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    with open(path, "wb") as f:
        f.write(out)


def lzw_encode(indices, min_code_size=8):
    """GIF's variable-length LZW over palette indices; returns the packed bytes."""
    clear = 1 << min_code_size
    end = clear + 1
    out = bytearray()
    bit_buf = 0
    bit_len = 0

    def emit(code, width):
        nonlocal bit_buf, bit_len
        bit_buf |= code << bit_len
        bit_len += width
        while bit_len >= 8:
            out.append(bit_buf & 0xFF)
            bit_buf >>= 8
            bit_len -= 8

    def reset():
        return {bytes([i]): i for i in range(clear)}, end + 1, min_code_size + 1

    table, next_code, width = reset()
    emit(clear, width)
    prefix = b""
    for value in indices:
        candidate = prefix + bytes([value])
        if candidate in table:
            prefix = candidate
            continue
        emit(table[prefix], width)
        if next_code < 4096:
            table[candidate] = next_code
            next_code += 1
            if next_code > (1 << width) and width < 12:
                width += 1
        else:
            emit(clear, width)
            table, next_code, width = reset()
        prefix = bytes([value])
    if prefix:
        emit(table[prefix], width)
    emit(end, width)
    if bit_len:
        out.append(bit_buf & 0xFF)
    return bytes(out)


def sub_blocks(data):
    out = bytearray()
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    return bytes(out)


def write_gif(path, frames, delay, exact_colours):
    """An endlessly looping GIF89a: one global colour table, the NETSCAPE2.0 extension
    first, then a graphic control extension (disposal 1: each full frame stays until the
    next covers it) before every image. `exact_colours` are kept exactly in the table,
    so the frame backgrounds match the skin under the picture pixel for pixel."""
    w, h = frames[0].size
    strip = Image.new("RGB", (w, h * len(frames)))
    for i, fr in enumerate(frames):
        strip.paste(fr, (0, i * h))
    reserved = list(dict.fromkeys(exact_colours))
    quant = strip.quantize(colors=256 - len(reserved), method=Image.Quantize.MEDIANCUT,
                           dither=Image.Dither.NONE)
    palette = quant.getpalette()[:3 * (256 - len(reserved))]
    palette += [0] * (3 * (256 - len(reserved)) - len(palette))
    for colour in reserved:
        palette += list(colour)
    for n, colour in enumerate(reserved):
        diff = ImageChops.difference(strip, Image.new("RGB", strip.size, colour)).split()
        differs = ImageChops.lighter(ImageChops.lighter(diff[0], diff[1]), diff[2])
        quant.paste(256 - len(reserved) + n, mask=differs.point(lambda v: 255 if v == 0 else 0))
    indices = quant.tobytes()
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", w, h, 0xF7, 256 - len(reserved), 0)
    out += bytes(palette)
    out += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"
    for i in range(len(frames)):
        out += b"\x21\xF9\x04" + struct.pack("<BHBB", 1 << 2, delay, 0, 0)
        out += b"\x2C" + struct.pack("<HHHHB", 0, 0, w, h, 0)
        out += b"\x08" + sub_blocks(lzw_encode(indices[i * w * h:(i + 1) * w * h]))
    out += b"\x3B"
    with open(path, "wb") as f:
        f.write(out)


# Main ---------------------------------------------------------------------------------
def crop_at(skin, at, size):
    return skin.crop((at[0], at[1], at[0] + size[0], at[1] + size[1]))


def main():
    os.makedirs(OUT, exist_ok=True)
    skin = draw_main_skin()
    write_dib(os.path.join(OUT, "skin_main.bmp"), skin)
    write_dib(os.path.join(OUT, "skin_popup.bmp"), draw_popup_skin())

    for kind in ("close", "contact"):
        for state in ("normal", "hover", "pressed"):
            write_png(os.path.join(OUT, f"{kind}_{state}.png"),
                      draw_round_icon_button(kind, state))
    for state in ("normal", "hover", "pressed"):
        write_png(os.path.join(OUT, f"start_{state}.png"), draw_start_button(state))
    for label in ("Engine", "System"):
        name = label.lower()
        write_png(os.path.join(OUT, f"tab_{name}.png"), draw_tab(label, False))
        write_png(os.path.join(OUT, f"tab_{name}_selected.png"), draw_tab(label, True))
    write_png(os.path.join(OUT, "system_header.png"), draw_header_icon("system", (64, 54)))
    write_png(os.path.join(OUT, "engine_header.png"), draw_header_icon("engine", (59, 59)))

    icons = []
    for size in (16, 32, 48, 256):
        c = big((size, size))
        draw_mark(c, (0, 0, size, size), detail=size >= 32)
        icons.append(small(c))
    write_ico(os.path.join(OUT, "vexra.ico"), icons)

    animations = (
        ("welcome.gif", WELCOME_GIF_AT, (256, 166), welcome_frame, 24, 6),
        ("cpu_gauge.gif", CPU_GAUGE_AT, (76, 76), cpu_gauge_frame, 20, 5),
        ("memory_gauge.gif", MEMORY_GAUGE_AT, (88, 58), memory_gauge_frame, 18, 6),
    )
    for name, at, size, frame_fn, count, delay in animations:
        background = crop_at(skin, at, size)
        frames = [frame_fn(i / count, background) for i in range(count)]
        exact = sorted(set(background.getdata()))[:32]
        write_gif(os.path.join(OUT, name), frames, delay, exact)


if __name__ == "__main__":
    main()
