#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws the small status clips (animated GIF data, played by the animation
# controls) and the two pictures of the splash and wizard windows into
# data/Common. Deterministic: run it again and the files come out the same.
import math
import os
import sys

from PIL import Image, ImageDraw

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "Common")

# clip name -> (colour, motif)
CLIPS = {
    "insertcd.avi": ((40, 90, 200), "disc"),
    "adddatacd.avi": ((40, 90, 200), "disc"),
    "compress.avi": ((200, 120, 20), "squeeze"),
    "sendmail.avi": ((30, 150, 60), "fly"),
    "websend.avi": ((30, 150, 60), "fly"),
    "ftpdownload.avi": ((30, 120, 160), "fall"),
    "extract1.avi": ((160, 60, 160), "grow"),
    "findfile.avi": ((90, 90, 90), "sweep"),
    "findcomp.avi": ((90, 90, 90), "sweep"),
    "newfiletree.avi": ((90, 140, 40), "grow"),
    "update_app.avi": ((20, 110, 180), "spin"),
    "update_list.avi": ((20, 110, 180), "spin"),
    "earthspin.avi": ((20, 110, 180), "spin"),
    "splitdisk.avi": ((180, 50, 50), "squeeze"),
    "encryp.avi": ((120, 40, 40), "sweep"),
    "copy_to_sourcesafe.avi": ((60, 60, 150), "fly"),
    "copy_from_sourcesafe.avi": ((60, 60, 150), "fall"),
    "compare.avi": ((100, 100, 30), "sweep"),
    "filedelr.avi": ((160, 30, 30), "fall"),
    "filecopy.avi": ((60, 60, 150), "fly"),
    "35driveani.avi": ((70, 70, 70), "disc"),
    "progress.avi": ((30, 150, 60), "sweep"),
}

W, H, FRAMES = 64, 48, 8


def frame(colour, motif, i):
    im = Image.new("RGB", (W, H), (255, 255, 255))
    d = ImageDraw.Draw(im)
    t = i / FRAMES
    if motif == "disc":
        d.ellipse((12, 4, 52, 44), outline=colour, width=3)
        a = 2 * math.pi * t
        d.line((32, 24, 32 + 18 * math.cos(a), 24 + 18 * math.sin(a)), fill=colour, width=3)
    elif motif == "squeeze":
        w = 10 + int(20 * abs(math.sin(math.pi * t)))
        d.rectangle((32 - w, 12, 32 + w, 36), fill=colour)
    elif motif == "fly":
        x = 4 + int(44 * t)
        d.polygon([(x, 16), (x + 14, 24), (x, 32)], fill=colour)
    elif motif == "fall":
        y = 2 + int(32 * t)
        d.rectangle((26, y, 38, y + 12), fill=colour)
    elif motif == "grow":
        r = 4 + int(18 * t)
        d.rectangle((32 - r, 24 - r, 32 + r, 24 + r), outline=colour, width=2)
    elif motif == "spin":
        for k in range(3):
            a = 2 * math.pi * (t + k / 3)
            d.ellipse((28 + 16 * math.cos(a), 20 + 16 * math.sin(a),
                       36 + 16 * math.cos(a), 28 + 16 * math.sin(a)), fill=colour)
    else:  # sweep
        x = 4 + int(56 * t)
        d.rectangle((4, 20, 60, 28), outline=colour)
        d.rectangle((4, 20, x, 28), fill=colour)
    return im.convert("P", palette=Image.ADAPTIVE, colors=16)


def save_gif(path, frames, duration):
    frames[0].save(path, format="GIF", save_all=True, append_images=frames[1:],
                   duration=duration, loop=0, optimize=False)


def main():
    os.makedirs(os.path.join(ROOT, "avi"), exist_ok=True)
    os.makedirs(os.path.join(ROOT, "bitmap"), exist_ok=True)
    for name, (colour, motif) in CLIPS.items():
        save_gif(os.path.join(ROOT, "avi", name), [frame(colour, motif, i) for i in range(FRAMES)], 120)
    # Background tile of the splash and wizard pictures.
    tile = Image.new("RGB", (32, 32), (225, 236, 248))
    d = ImageDraw.Draw(tile)
    d.arc((4, 10, 16, 20), 200, 340, fill=(120, 140, 170), width=2)
    d.arc((16, 10, 28, 20), 200, 340, fill=(120, 140, 170), width=2)
    tile.convert("P", palette=Image.ADAPTIVE, colors=16).save(os.path.join(ROOT, "bitmap", "seagull.gif"))
    # Foreground logo: the product name on a plain field.
    logo = Image.new("RGB", (162, 57), (255, 255, 255))
    d = ImageDraw.Draw(logo)
    d.rectangle((0, 0, 161, 56), outline=(40, 70, 130), width=2)
    d.text((14, 20), "Vaultora", fill=(40, 70, 130))
    logo.convert("P", palette=Image.ADAPTIVE, colors=16).save(os.path.join(ROOT, "bitmap", "n.r.v2.gif"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
