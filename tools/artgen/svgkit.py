"""Small helpers for writing the game's SVG pictures by script.

Colours are palette tokens (@name); the pack builder replaces them. Every shape gets the
dark outline, a shade on the side away from the top-left light and a highlight band on the
side facing it, so all pictures share one look.
"""

import math

OUTLINE = 2.5  # stroke width; half of it falls outside the shape, about 2 px after keying


class Svg:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.defs = []
        self.body = []
        self._ids = 0

    def uid(self, stem="c"):
        self._ids += 1
        return f"{stem}{self._ids}"

    def add(self, text):
        self.body.append(text)

    def text(self):
        return (
            f'<svg xmlns="http://www.w3.org/2000/svg" width="{self.w}" height="{self.h}" '
            f'viewBox="0 0 {self.w} {self.h}">\n'
            + (("<defs>\n" + "\n".join(self.defs) + "\n</defs>\n") if self.defs else "")
            + "\n".join(self.body)
            + "\n</svg>\n"
        )

    def save(self, path):
        with open(path, "w") as f:
            f.write(self.text())

    # ---- grouping -------------------------------------------------------------------
    def group(self, transform=""):
        return _Group(self, transform)

    # ---- primitives -------------------------------------------------------------------
    def path(self, d, fill="none", stroke=None, width=OUTLINE, extra=""):
        s = f'<path d="{d}" fill="{col(fill)}"'
        if stroke:
            s += f' stroke="{col(stroke)}" stroke-width="{width:g}" stroke-linejoin="round" stroke-linecap="round"'
        self.add(s + f"{' ' + extra if extra else ''}/>")

    def line(self, pts, color, width, extra=""):
        self.path(poly(pts, closed=False), "none", color, width, extra)

    def outline(self, d, width=OUTLINE):
        self.path(d, "none", "outline", width)

    def flat(self, d, fill, width=OUTLINE):
        """A single-colour shape with the outline."""
        self.path(d, fill, "outline", width)

    def shaded(self, d, base, k=None, h=None, size=None, width=OUTLINE, light=True, shine=None):
        """Base colour with a shade band bottom-right and a highlight band top-left.

        k is the shade depth and h the highlight depth in pixels; both default to a share of
        `size` (the shape's rough diameter)."""
        if base.endswith("-shade"):
            # Already the dark tone of its colour: one flat fill.
            self.path(d, base, "outline" if width else None, width or OUTLINE)
            return
        size = size or 30
        k = k if k is not None else max(2.0, size * 0.14)
        h = h if h is not None else max(1.5, size * 0.08)
        a, b = self.uid(), self.uid()
        self.defs.append(f'<clipPath id="{a}"><path d="{d}"/></clipPath>')
        self.defs.append(
            f'<clipPath id="{b}"><path d="{d}" transform="translate({-k:g},{-k:g})"/></clipPath>'
        )
        self.add(f'<g clip-path="url(#{a})">')
        self.path(d, base + "-shade")
        self.add(f'<g clip-path="url(#{b})">')
        self.path(d, base + "-light" if light else base, extra=f'transform="translate({-k:g},{-k:g})"')
        self.path(d, base, extra=f'transform="translate({-(k - h):g},{-(k - h):g})"')
        self.add("</g>")
        if shine:
            self.add(shine)
        self.add("</g>")
        if width:
            self.outline(d, width)

    def clip_begin(self, d):
        a = self.uid()
        self.defs.append(f'<clipPath id="{a}"><path d="{d}"/></clipPath>')
        self.add(f'<g clip-path="url(#{a})">')

    def clip_end(self):
        self.add("</g>")


class _Group:
    def __init__(self, svg, transform):
        self.svg, self.transform = svg, transform

    def __enter__(self):
        self.svg.add(f'<g transform="{self.transform}">' if self.transform else "<g>")
        return self.svg

    def __exit__(self, *exc):
        self.svg.add("</g>")


def col(name):
    if name in ("none",) or name.startswith("url(") or name.startswith("#"):
        return name
    return "@" + name


def f(v):
    return f"{v:.2f}".rstrip("0").rstrip(".")


def ellipse(cx, cy, rx, ry):
    return (
        f"M{f(cx - rx)},{f(cy)} a{f(rx)},{f(ry)} 0 1,1 {f(2 * rx)},0 "
        f"a{f(rx)},{f(ry)} 0 1,1 {f(-2 * rx)},0 Z"
    )


def circle(cx, cy, r):
    return ellipse(cx, cy, r, r)


def poly(pts, closed=True):
    s = "M" + " L".join(f"{f(x)},{f(y)}" for x, y in pts)
    return s + (" Z" if closed else "")


def rrect(x, y, w, h, r):
    r = min(r, w / 2, h / 2)
    return (
        f"M{f(x + r)},{f(y)} H{f(x + w - r)} A{f(r)},{f(r)} 0 0 1 {f(x + w)},{f(y + r)} "
        f"V{f(y + h - r)} A{f(r)},{f(r)} 0 0 1 {f(x + w - r)},{f(y + h)} H{f(x + r)} "
        f"A{f(r)},{f(r)} 0 0 1 {f(x)},{f(y + h - r)} V{f(y + r)} A{f(r)},{f(r)} 0 0 1 {f(x + r)},{f(y)} Z"
    )


def smooth(pts, closed=True, t=0.5):
    """Catmull-Rom spline through the points, as cubic Bezier segments."""
    n = len(pts)
    if n < 3:
        return poly(pts, closed)
    s = f"M{f(pts[0][0])},{f(pts[0][1])}"
    rng = range(n) if closed else range(n - 1)
    for i in rng:
        p0 = pts[(i - 1) % n] if closed or i > 0 else pts[i]
        p1 = pts[i]
        p2 = pts[(i + 1) % n]
        p3 = pts[(i + 2) % n] if closed or i + 2 < n else p2
        c1 = (p1[0] + (p2[0] - p0[0]) * t / 3, p1[1] + (p2[1] - p0[1]) * t / 3)
        c2 = (p2[0] - (p3[0] - p1[0]) * t / 3, p2[1] - (p3[1] - p1[1]) * t / 3)
        s += f" C{f(c1[0])},{f(c1[1])} {f(c2[0])},{f(c2[1])} {f(p2[0])},{f(p2[1])}"
    return s + (" Z" if closed else "")


def rot(pts, ang_deg, cx, cy):
    a = math.radians(ang_deg)
    ca, sa = math.cos(a), math.sin(a)
    return [(cx + (x - cx) * ca - (y - cy) * sa, cy + (x - cx) * sa + (y - cy) * ca) for x, y in pts]


def star(cx, cy, r1, r2, n=5, start=-90):
    pts = []
    for i in range(2 * n):
        a = math.radians(start + i * 180 / n)
        r = r1 if i % 2 == 0 else r2
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return poly(pts)


def blob(cx, cy, r, n, amp, seed, phase=0.0):
    """A puffy closed outline (clouds, smoke): n bumps of relative size amp."""
    pts = []
    m = n * 4
    for i in range(m):
        a = 2 * math.pi * i / m + phase
        bump = abs(math.sin(a * n / 2 + seed))
        rr = r * (1 + amp * bump)
        pts.append((cx + rr * math.cos(a), cy + rr * math.sin(a)))
    return smooth(pts)
