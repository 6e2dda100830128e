#!/usr/bin/python3
"""Regenerates Varnite's artwork: background.bmp (326 x 217) and varnite.ico (32 x 32 in
2 colours, 32 x 32 and 16 x 16 in 16 colours). The output is the same on every run with
the same Pillow and DejaVu fonts (Debian: python3-pil, fonts-dejavu-core).

The picture is drawn in 24-bit colour and stored with a palette of 256 colours, a third
of the size in the exe: every colour of the gradient keeps its own entry, so the gradient
is exact, and the remaining entries serve the lettering's edges (see palette_image).

    resources/make_artwork.py            # writes both files beside this script
"""
import os
import struct
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
SERIF_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf"
SERIF = "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf"

WIDTH, HEIGHT = 326, 217
BLUE = (34, 18, 185)
NEAR_BLACK = (0, 0, 3)
GRADIENT_START, GRADIENT_END = 72, 306
BANNER = "CDrom Copy Protection Utility"
BANNER_BOX = (10, 15, 312, 37)  # left, top, right, bottom (inclusive)
FOOTER = "www.quenmore.example"
FOOTER_BOX = (160, 200, 308, 208)
LAVENDER_WHITE = (240, 236, 255)
LAVENDER = (200, 190, 245)


def gradient_colour(x):
    """Solid blue up to column 71, then an even fall to near black at column 306."""
    if x < GRADIENT_START:
        return BLUE
    if x >= GRADIENT_END:
        return NEAR_BLACK
    t = (x - (GRADIENT_START - 1)) / (GRADIENT_END - (GRADIENT_START - 1))
    return tuple(round(a + (b - a) * t) for a, b in zip(BLUE, NEAR_BLACK))


def text_mask(text, font, size):
    """The text's coverage, cropped to its ink."""
    mask = Image.new("L", size, 0)
    ImageDraw.Draw(mask).text((2, 2), text, font=font, fill=255)
    return mask.crop(mask.getbbox())


def fitting_font(path, text, box, extra):
    """The largest size whose ink (plus `extra` pixels of effects) fits the box."""
    width, height = box[2] - box[0] + 1 - extra, box[3] - box[1] + 1 - extra
    for size in range(40, 4, -1):
        font = ImageFont.truetype(path, size)
        mask = text_mask(text, font, (400, 80))
        if mask.width <= width and mask.height <= height:
            return font, mask
    sys.exit("no font size fits " + text)


def stamp(image, mask, colour, x, y):
    image.paste(Image.new("RGB", mask.size, colour), (x, y), mask)


def background():
    image = Image.new("RGB", (WIDTH, HEIGHT))
    pixels = image.load()
    for x in range(WIDTH):
        colour = gradient_colour(x)
        for y in range(HEIGHT):
            pixels[x, y] = colour

    # Banner: drop shadow two pixels down-right, a dark lower-right bevel edge, a light
    # upper-left one, then the lettering.
    _, mask = fitting_font(SERIF_BOLD, BANNER, BANNER_BOX, 2)
    x = BANNER_BOX[0] + (BANNER_BOX[2] - BANNER_BOX[0] + 1 - 2 - mask.width) // 2
    y = BANNER_BOX[1]
    soft = mask.filter(ImageFilter.GaussianBlur(0.6))
    stamp(image, soft, (8, 4, 40), x + 2, y + 2)
    stamp(image, mask, (120, 110, 170), x + 1, y + 1)
    stamp(image, mask, (255, 255, 255), x, y)
    inner = ImageChops.subtract(mask, ImageChops.offset(mask, -1, -1))
    body = ImageChops.subtract(mask, inner)
    stamp(image, body, LAVENDER_WHITE, x + 1, y + 1)

    _, mask = fitting_font(SERIF, FOOTER, FOOTER_BOX, 0)
    x = FOOTER_BOX[2] + 1 - mask.width
    y = FOOTER_BOX[1] + (FOOTER_BOX[3] - FOOTER_BOX[1] + 1 - mask.height) // 2
    stamp(image, mask, LAVENDER, x, y)
    return image


def palette_image(image):
    """The picture in 8 bits: a palette of the gradient's colours, exactly, and of colours
    fitted to the other pixels (k-means, with the gradient's colours as fixed centres);
    every pixel takes the nearest entry. Returns (image, mean error, largest error) in RGB
    distance, over the pixels that are not plain gradient."""
    pixels = image.load()
    gradient = [gradient_colour(x) for x in range(WIDTH)]
    fixed = sorted(set(gradient))
    others = {}
    for y in range(HEIGHT):
        for x in range(WIDTH):
            if pixels[x, y] != gradient[x]:
                others[pixels[x, y]] = others.get(pixels[x, y], 0) + 1
    distance = lambda a, b: sum((p - q) ** 2 for p, q in zip(a, b))
    ordered = sorted(others.items(), key=lambda item: (-item[1], item[0]))
    free = [colour for colour, _ in ordered[:256 - len(fixed)]]
    for _ in range(20):
        sums = [[0, 0, 0, 0] for _ in free]
        for colour, count in ordered:
            centres = fixed + free
            best = min(range(len(centres)), key=lambda i: distance(colour, centres[i]))
            if best >= len(fixed):
                s = sums[best - len(fixed)]
                for i in range(3):
                    s[i] += colour[i] * count
                s[3] += count
        free = [tuple(round(s[i] / s[3]) for i in range(3)) if s[3] else free[n]
                for n, s in enumerate(sums)]
    palette = fixed + free
    nearest_entry = {}
    out = Image.new("P", image.size)
    out.putpalette([c for colour in palette for c in colour])
    target = out.load()
    errors = []
    for y in range(HEIGHT):
        for x in range(WIDTH):
            colour = pixels[x, y]
            if colour not in nearest_entry:
                nearest_entry[colour] = min(range(len(palette)),
                                            key=lambda i: distance(colour, palette[i]))
            target[x, y] = nearest_entry[colour]
            if colour != gradient[x]:
                errors.append(distance(colour, palette[nearest_entry[colour]]) ** 0.5)
    return out, sum(errors) / len(errors), max(errors)


# The standard 16-colour Windows palette.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
MONO = [(0, 0, 0), (255, 255, 255)]


def icon_picture(size):
    """A white window with a cyan title bar, seen at an angle, with a grey shadow at its
    lower right. Returns (RGB picture, opacity mask)."""
    s = size / 32
    skew = lambda pts: [(round(x * s), round(y * s)) for x, y in pts]
    picture = Image.new("RGB", (size, size), (0, 0, 0))
    mask = Image.new("L", (size, size), 0)
    draw, drawmask = ImageDraw.Draw(picture), ImageDraw.Draw(mask)
    # The window leans back: its top edge is shifted right of its bottom edge.
    shadow = skew([(9, 7), (31, 5), (29, 29), (5, 31)])
    window = skew([(6, 4), (28, 2), (26, 26), (2, 28)])
    title = skew([(6, 4), (28, 2), (27.4, 8), (5.4, 10)])
    for polygon, colour in ((shadow, (128, 128, 128)), (window, (255, 255, 255)),
                            (title, (0, 255, 255))):
        draw.polygon(polygon, fill=colour)
        drawmask.polygon(polygon, fill=255)
    draw.polygon(window, outline=(0, 0, 0))
    draw.line(skew([(5.4, 10), (27.4, 8)]), fill=(0, 0, 0))
    return picture, mask


def nearest(colour, palette):
    return min(range(len(palette)),
               key=lambda i: sum((a - b) ** 2 for a, b in zip(colour, palette[i])))


def icon_image(size, palette):
    """One icon directory entry's image: BITMAPINFOHEADER, palette, XOR and AND masks."""
    picture, mask = icon_picture(size)
    bits = 1 if len(palette) == 2 else 4
    if bits == 1:
        # In two colours the window is white, and its outline, title bar and shadow black; the
        # transparent parts stay transparent through the AND mask.
        index = lambda c: 1 if sum(c) > 600 else 0
    else:
        index = lambda c: nearest(c, palette)

    def rows(value_of, bpp):
        data = b""
        stride = ((size * bpp + 31) // 32) * 4
        for y in range(size - 1, -1, -1):  # bottom-up
            row, acc, n = bytearray(), 0, 0
            for x in range(size):
                acc = (acc << bpp) | value_of(x, y)
                n += bpp
                if n == 8:
                    row.append(acc)
                    acc, n = 0, 0
            row += bytes(stride - len(row))
            data += bytes(row)
        return data

    pix, mpix = picture.load(), mask.load()
    xor = rows(lambda x, y: index(pix[x, y]) if mpix[x, y] else 0, bits)
    and_mask = rows(lambda x, y: 0 if mpix[x, y] else 1, 1)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0,
                         len(xor) + len(and_mask), 0, 0, len(palette), 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + colours + xor + and_mask, len(palette)


def icon_file():
    images = [icon_image(32, MONO), icon_image(32, VGA), icon_image(16, VGA)]
    sizes = [32, 32, 16]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (data, colours), size in zip(images, sizes):
        bits = 1 if colours == 2 else 4
        out += struct.pack("<BBBBHHII", size, size, colours % 256, 0, 1, bits, len(data), offset)
        offset += len(data)
    return out + b"".join(data for data, _ in images)


def main():
    picture, mean_error, largest_error = palette_image(background())
    picture.save(os.path.join(HERE, "background.bmp"))
    print("background.bmp: 256 colours; lettering off by %.1f on average, %.1f at most "
          "(RGB distance; the gradient is exact)" % (mean_error, largest_error))
    with open(os.path.join(HERE, "varnite.ico"), "wb") as f:
        f.write(icon_file())
    Image.open(os.path.join(HERE, "background.bmp")).convert("RGB").save(
        os.path.join(HERE, "..", "docs", "background-preview.png"))


if __name__ == "__main__":
    main()
