"""Sky, hills and the display strip of the play pack."""

import math

from svgkit import Svg, circle, ellipse, poly, rrect, smooth, star

W = 800


def wrap(x, w=W):
    """The copies of something at x that can show in a picture that tiles every w pixels."""
    return [x - w, x, x + w]


def cloud(s, cx, cy, scale, seed):
    # A cloud is a row of puffs; the union of circles gets one outline.
    puffs = []
    n = 4 + seed % 3
    for i in range(n):
        t = i / (n - 1) - 0.5
        r = scale * (0.55 + 0.45 * math.cos(t * 2.2)) * (0.85 + 0.3 * ((seed * 7 + i * 3) % 5) / 4)
        puffs.append((cx + t * scale * 2.6, cy - r * 0.35, r))
    puffs.append((cx - scale * 0.6, cy + scale * 0.15, scale * 0.5))
    puffs.append((cx + scale * 0.7, cy + scale * 0.15, scale * 0.55))
    base = scale * 0.38
    flat = f"M{cx - scale * 1.6:.1f},{cy + base:.1f} H{cx + scale * 1.7:.1f}"
    d = " ".join(circle(x, y, r) for x, y, r in puffs)
    bottom = rrect(cx - scale * 1.55, cy - scale * 0.2, scale * 3.25, scale * 0.6, scale * 0.3)
    d_all = d + " " + bottom
    s.path(d_all, "none", "sky-top", 3.5)
    s.clip_begin(d_all)
    s.path(d_all, "cloud-shade")
    s.path(d_all, "cloud", extra=f'transform="translate(-2,{-scale * 0.22:.1f})"')
    s.path(
        " ".join(circle(x - r * 0.25, y - r * 0.3, r * 0.45) for x, y, r in puffs[: n]),
        "white",
    )
    s.clip_end()
    del flat


def sky_tile(path):
    s = Svg(W, 600)
    s.defs.append(
        '<linearGradient id="sky" x1="0" y1="0" x2="0" y2="1">'
        '<stop offset="0" stop-color="@sky-top"/><stop offset="0.45" stop-color="@sky"/>'
        '<stop offset="0.78" stop-color="@sky-light"/><stop offset="1" stop-color="@sky-haze"/>'
        "</linearGradient>"
    )
    s.add('<rect x="0" y="0" width="800" height="600" fill="url(#sky)"/>')
    # Far, thin clouds high up, then fat ones lower; all wrapped so the tile repeats.
    clouds = [
        (90, 95, 16, 1), (330, 70, 12, 2), (560, 110, 18, 3), (760, 80, 14, 4),
        (200, 200, 26, 5), (470, 250, 30, 6), (700, 215, 24, 7),
        (60, 330, 28, 8), (330, 370, 22, 9), (610, 360, 32, 10),
    ]
    for cx, cy, sc, seed in clouds:
        for x in wrap(cx):
            if -120 < x < W + 120:
                cloud(s, x, cy, sc, seed)
    s.save(path)


def profile(x, terms, base):
    y = base
    for amp, k, ph in terms:
        y += amp * math.sin(2 * math.pi * k * x / W + ph)
    return y


def ridge_path(terms, base, height, step=8):
    pts = [(x, profile(x, terms, base)) for x in range(-16, W + 17, step)]
    d = f"M{pts[0][0]},{height + 10} " + " ".join(f"L{x:.1f},{y:.1f}" for x, y in pts)
    return d + f" L{pts[-1][0]},{height + 10} Z", pts


def tree(s, x, y, r):
    s.flat(f"M{x - 2:.1f},{y:.1f} h4 v{r + 6:.1f} h-4 Z", "wood", 2)
    s.shaded(circle(x, y - r * 0.3, r), "hill-far", size=2 * r, width=2)


def pine(s, x, y, r):
    s.flat(f"M{x - 1.8:.1f},{y - 2:.1f} h3.6 v{r * 0.7 + 4:.1f} h-3.6 Z", "wood", 2)
    for k, (w, top) in enumerate(((1.0, 2.2), (0.8, 1.6))):
        yy = y - k * r * 0.7
        s.shaded(poly([(x - r * w, yy), (x, yy - r * top), (x + r * w, yy)]), "hill-far", k=2, h=1, width=2)


def hills2(path):
    h = 156
    s = Svg(W, h)
    far = [(7, 3, 0.4), (4, 7, 2.0)]
    d2, _ = ridge_path(far, 22, h)
    s.path(d2, "hill-far-light", "hill-far-shade", 2)
    terms = [(11, 2, 0.5), (7, 5, 1.3), (3, 9, 0.2)]
    d, pts = ridge_path(terms, 36, h)
    s.shaded(d, "hill-far", k=10, h=4, width=2.5)
    # Hedgerows between the far fields, following the slope of the hills.
    for k, (off, ph) in enumerate(((13, 0.0), (24, 0.9))):
        line = [(x, profile(x, terms, 36) + off + 2.5 * math.sin(2 * math.pi * 4 * x / W + ph))
                for x in range(-16, W + 17, 8)]
        s.line(line, "hill-far-shade", 1.6)
        for x, y in line[3::6]:
            s.path(circle(x, y - 1.5, 2.6), "hill-far-shade", "hill-far-shade", 1)
    # Trees along the ridge, round ones and pines by turns.
    for n, tx in enumerate(range(30, W, 97)):
        ty = profile(tx, terms, 36)
        for x in wrap(tx):
            if -30 < x < W + 30:
                if n % 2:
                    pine(s, x, ty + 4, 6 + (tx % 3))
                    pine(s, x + 12, ty + 6, 5)
                else:
                    tree(s, x, ty + 3, 7 + (tx % 3))
                    tree(s, x + 14, ty + 6, 5 + (tx % 2))
    s.save(path)


def bush(s, x, y, r):
    d = " ".join(circle(x + dx * r, y + dy * r, rr * r) for dx, dy, rr in
                 [(-0.7, 0.2, 0.6), (0, -0.15, 0.8), (0.75, 0.2, 0.62)])
    s.path(d, "none", "outline", 5)
    s.clip_begin(d)
    s.path(d, "grass-shade")
    s.path(d, "grass", extra=f'transform="translate(-1.5,{-r * 0.3:.1f})"')
    s.path(circle(x - r * 0.3, y - r * 0.45, r * 0.3), "grass-light")
    s.clip_end()


def flower(s, x, y, petal):
    for a in range(0, 360, 72):
        px = x + 2.6 * math.cos(math.radians(a))
        py = y + 2.6 * math.sin(math.radians(a))
        s.path(circle(px, py, 2.1), petal, "outline", 1.2)
    s.path(circle(x, y, 1.6), "gold")


def hills1(path):
    h = 106
    s = Svg(W, h)
    # The ridge line stays within 0.6..4.6 px of the top edge (its outline a little above):
    # the hunters' lowest row is y 498 and the layer starts at y 494, so the layer is solid
    # from its row 4 down and their feet never float.
    terms = [(1.3, 3, 0.0), (0.7, 8, 1.0)]
    d, _ = ridge_path(terms, 2.6, h, step=4)
    s.shaded(d, "grass", k=14, h=5, width=2.5)
    # Mown stripes of the meadow, darker towards the bottom.
    for i, y in enumerate((34, 60, 84)):
        band = (f"M-10,{y} " + " ".join(
            f"L{x},{y + 3 * math.sin(2 * math.pi * (2 + i) * x / W + i):.1f}"
            for x in range(-10, W + 11, 10)) + f" L{W + 10},{h + 5} L-10,{h + 5} Z")
        s.path(band, "grass-shade" if i else "grass", "none", 0,
               extra=f'opacity="1"')
        s.line([(x, y + 3 * math.sin(2 * math.pi * (2 + i) * x / W + i)) for x in range(-10, W + 11, 10)],
               "grass-shade" if i == 0 else "outline", 1.5 if i == 0 else 1)
    for bx in (70, 255, 430, 600, 745):
        for x in wrap(bx):
            if -40 < x < W + 40:
                bush(s, x, 26 + (bx * 7) % 18, 13 + bx % 5)
    palette_cycle = ("white", "red-light", "gold-light", "plum-light")
    k = 0
    for fx in range(18, W, 43):
        fy = 14 + (fx * 13) % 70
        for x in wrap(fx):
            if -10 < x < W + 10:
                flower(s, x, fy, palette_cycle[k % 4])
        k += 1
    # Little grass tufts hanging on the ridge line.
    for gx in range(6, W, 23):
        y0 = profile(gx, terms, 2.6) + 6
        for x in wrap(gx):
            if -10 < x < W + 10:
                s.line([(x - 3, y0 + 5), (x - 1, y0), (x + 1, y0 + 4), (x + 3, y0 - 1), (x + 4, y0 + 5)],
                       "grass-shade", 1.6)
    s.save(path)


def panels(path):
    s = Svg(W, 44)
    plate = rrect(0, -10, W, 53, 10)
    s.shaded(plate, "steel", k=9, h=3, width=2.5)
    s.line([(6, 40.5), (W - 6, 40.5)], "gold", 2)
    # Rivets along the plate.
    for x in range(8, W, 64):
        s.path(circle(x + 2, 6, 1.8), "steel-light", "steel-shade", 1)

    def slot(x, y, w, h):
        d = rrect(x, y, w, h, 7)
        s.path(d, "steel-shade", "outline", 2)
        s.path(rrect(x + 2, y + 2, w - 4, 3, 1.5), "ink", extra='opacity="0.35"')

    for x in (28, 79, 130):
        slot(x - 3, 2, 46, 40)
    slot(189, 2, 66, 40)
    slot(263, 3, 243, 38)
    for x in (314, 362, 410, 458):
        s.line([(x - 2.5, 7), (x - 2.5, 37)], "steel", 1.5)
    slot(538, 4, 190, 36)
    slot(734, 4, 62, 36)
    s.path(star(553, 22, 9, 4), "gold", "outline", 1.8)
    s.path(star(553, 21, 5, 2.2), "gold-light")
    # A small pennant beside the level number.
    s.line([(741, 12), (741, 32)], "outline", 2.2)
    s.path(poly([(742, 12), (752, 16), (742, 20)]), "red", "outline", 1.6)
    s.save(path)
