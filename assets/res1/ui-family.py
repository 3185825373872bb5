#!/usr/bin/env python3
"""Writes the SVG sources of the interface family of Res1: buttons, option rows, captions,
panels, the dialog window and the text cursor. They share one corner radius, one border,
one font and Title Case labels, so they are made here from one set of rules rather than by
hand. Run it from anywhere after changing a rule; it rewrites the .svg files beside it.
The illustrations (MMB, Help*) are drawn by hand and not touched."""

import os

HERE = os.path.dirname(os.path.abspath(__file__))
RADIUS = 10  # every interface corner
BORDER = 3  # outline width; about 2 px once the anti-aliased rim is resolved
FONT = 'font-family="Comic Neue, DejaVu Sans" font-weight="bold"'

# Plain (_I) buttons are blue, highlighted (_A) gold: clearly brighter, same shapes.
BUTTON = {
    False: dict(base="@ui-blue", shade="@ui-blue-shade", light="@ui-blue-light", text="@cream-light"),
    True: dict(base="@gold", shade="@gold-shade", light="@gold-light", text="@white"),
}
# Option rows carry black text drawn by the game, so both states stay light.
ROW = {
    False: dict(base="@sky", shade="@sky-top", light="@sky-light"),
    True: dict(base="@gold-light", shade="@gold", light="@cream-light"),
}


def header(w, h):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" '
            f'viewBox="0 0 {w} {h}">\n<!-- written by ui-family.py -->\n')


def body(x, y, w, h, base, shade, light, cid):
    """A rounded body lit from the top left: base, a shade band at the bottom, a highlight
    pill at the top, the outline drawn last so it sits on the rim."""
    b = BORDER / 2
    r = RADIUS
    iw, ih = w - BORDER, h - BORDER
    return f'''<defs><clipPath id="{cid}"><rect x="{x + b}" y="{y + b}" width="{iw}" height="{ih}" rx="{r}"/></clipPath></defs>
<g clip-path="url(#{cid})">
  <rect x="{x}" y="{y}" width="{w}" height="{h}" fill="{base}"/>
  <rect x="{x}" y="{y + h * 0.62:.1f}" width="{w}" height="{h}" fill="{shade}"/>
  <rect x="{x + 6}" y="{y + 4.5}" width="{w - 12}" height="{max(4, h * 0.26):.1f}" rx="{max(2, r - 5)}" fill="{light}"/>
</g>
<rect x="{x + b}" y="{y + b}" width="{iw}" height="{ih}" rx="{r}" fill="none" stroke="@outline" stroke-width="{BORDER}"/>
'''


def label(x, y, text, size, fill, anchor="middle"):
    # Outlined letters: the dark stroke behind the fill keeps them readable on any base.
    return (f'<text x="{x}" y="{y:.1f}" {FONT} font-size="{size}" text-anchor="{anchor}" '
            f'fill="{fill}" stroke="@outline" stroke-width="{max(3, size / 7):.1f}" '
            f'stroke-linejoin="round" paint-order="stroke">{text}</text>\n')


def arrow(cx, cy, size, left, fill):
    d = -1 if left else 1
    pts = f"{cx - d * size * 0.5},{cy - size * 0.6} {cx + d * size * 0.6},{cy} {cx - d * size * 0.5},{cy + size * 0.6}"
    return (f'<polygon points="{pts}" fill="{fill}" stroke="@outline" stroke-width="2.5" '
            f'stroke-linejoin="round"/>\n')


def button(w, h, text, active, size, x=0, extra=""):
    c = BUTTON[active]
    s = body(x, 0, w, h, c["base"], c["shade"], c["light"], f"c{x}")
    s += label(x + w / 2, h / 2 + size * 0.36, text, size, c["text"])
    return s + extra


def write(name, svg):
    with open(os.path.join(HERE, name), "w") as f:
        f.write(svg + "</svg>\n")


def panel(w, h, inner=""):
    """Dialog and screen panels: outline, a blue frame band, cream reading surface."""
    b = BORDER / 2
    f = 9  # blue frame band
    s = f'<rect x="{b}" y="{b}" width="{w - BORDER}" height="{h - BORDER}" rx="{RADIUS}" fill="@ui-blue" stroke="@outline" stroke-width="{BORDER}"/>\n'
    s += f'<rect x="{b + 2}" y="{b + 2}" width="{w - BORDER - 4}" height="{(h - BORDER) * 0.5:.1f}" rx="{RADIUS - 2}" fill="@ui-blue-light"/>\n'
    s += f'<rect x="{b + 4}" y="{b + 5}" width="{w - BORDER - 8}" height="{h - BORDER - 9}" rx="{RADIUS - 2}" fill="@ui-blue"/>\n'
    s += f'<rect x="{f + 1}" y="{f + 1}" width="{w - 2 * f - 2}" height="{h - 2 * f - 2}" rx="{RADIUS - 4}" fill="@cream-light" stroke="@outline" stroke-width="2"/>\n'
    s += f'<rect x="{f + 2}" y="{h - f - 9}" width="{w - 2 * f - 4}" height="6" rx="3" fill="@cream"/>\n'
    return s + inner


def caption(w, h, text, size):
    s = body(0, 0, w, h, "@ui-blue", "@ui-blue-shade", "@ui-blue-light", "cap")
    # Small gold studs at both ends tie the caption to the gold of highlighted buttons.
    for cx in (24, w - 24):
        s += f'<circle cx="{cx}" cy="{h / 2}" r="7" fill="@gold" stroke="@outline" stroke-width="2.5"/>\n'
        s += f'<circle cx="{cx - 2}" cy="{h / 2 - 2}" r="2.5" fill="@gold-light"/>\n'
    s += label(w / 2, h / 2 + size * 0.36, text, size, "@gold")
    return s


def main():
    menu = ["Play", "Options", "High Scores", "Help", "Web Site", "Exit"]
    for i, text in enumerate(menu, 1):
        for active in (True, False):
            write(f"mm_{i}_{'a' if active else 'i'}.svg", header(250, 44) + button(250, 44, text, active, 26))
    small = {"back": (110, "Back"), "clear_hs": (180, "Clear Table"), "visit_whs": (240, "World Scores")}
    for name, (w, text) in small.items():
        for active in (True, False):
            write(f"{name}_{'a' if active else 'i'}.svg", header(w, 40) + button(w, 40, text, active, 23))
    for name, left in (("prev", True), ("next", False)):
        for active in (True, False):
            c = BUTTON[active]
            text = "Prev" if left else "Next"
            s = body(0, 0, 110, 40, c["base"], c["shade"], c["light"], "c0")
            ax = 18 if left else 92
            s += arrow(ax, 20, 14, left, c["text"])
            s += label(60 if left else 50, 20 + 23 * 0.36, text, 23, c["text"])
            write(f"{name}_{'a' if active else 'i'}.svg", header(110, 40) + s)
    # Yes / No: two patterns side by side, 0 highlighted, 1 plain.
    for name, text in (("yes", "Yes"), ("no", "No")):
        write(f"{name}.svg", header(128, 32) + button(64, 32, text, True, 20, 0) + button(64, 32, text, False, 20, 64))
    for active in (True, False):
        c = ROW[active]
        s = body(0, 0, 490, 32, c["base"], c["shade"], c["light"], "row")
        write(f"optb_{'a' if active else 'i'}.svg", header(490, 32) + s)
    write("cap_opt.svg", header(540, 56) + caption(540, 56, "Options", 36))
    write("cap_hs.svg", header(540, 56) + caption(540, 56, "High Scores", 36))
    write("cap_help.svg", header(540, 60) + caption(540, 60, "Help", 38))
    write("sub_bg.svg", header(540, 300) + panel(540, 300))
    # High-score panel: column heads over the rows (rows at panel y 49 + 26 k; columns
    # centred on panel x 57, 235, 480), and faint bands behind every second row.
    hs = ""
    # Rows are drawn centred on panel y 49 + 26 k: bands behind places 1, 3, 5, 7, 9.
    for k in range(0, 10, 2):
        hs += f'<rect x="16" y="{49 + 26 * k - 12}" width="508" height="24" rx="6" fill="@cream"/>\n'
    for cx, text in ((57, "Place"), (235, "Name"), (480, "Score")):
        hs += (f'<text x="{cx}" y="29" {FONT} font-size="16" text-anchor="middle" '
               f'fill="@ui-blue-shade">{text}</text>\n')
    hs += '<rect x="16" y="33" width="508" height="2" fill="@ui-blue-light"/>\n'
    write("hs_bg.svg", header(540, 300) + panel(540, 300, hs))
    write("window.svg", header(288, 160) + panel(288, 160))
    write("cursor.svg", header(3, 20) + '<rect x="0" y="0" width="3" height="20" fill="@ink"/>\n')


if __name__ == "__main__":
    main()
