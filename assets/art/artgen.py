#!/usr/bin/env python3
"""Renders the skin pictures from the SVG sources of this folder and packs them.

    artgen.py build --out DIR [--stage DIR] [--rc FILE]
        Renders what skin.toml lists (rsvg-convert), composes each control picture over the
        background it sits on, and writes 24-bit BMPs (keyed backgrounds, state bitmaps),
        32-bit PNGs (dial), digit glyphs and icons into DIR. --rc writes the resource script
        of the linked bitmaps; --stage copies the program's data files into STAGE/Resource.
        Renders are cached by content, so only changed sources are drawn again.
    artgen.py sheet --out DIR
        Writes DIR/review/contact-sheet.png: every picture on a checkerboard, labelled.
"""
import argparse
import concurrent.futures
import copy
import fcntl
import hashlib
import math
import os
import re
import shutil
import struct
import subprocess
import sys
import tomllib
import xml.etree.ElementTree as ET
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SVG = "http://www.w3.org/2000/svg"
XLINK = "http://www.w3.org/1999/xlink"
ET.register_namespace("", SVG)
ET.register_namespace("xlink", XLINK)

# Bumped when the packing rules change, so every output is written again.
PACK_VERSION = "3"


def fail(message):
    sys.exit("artgen: " + message)


def colour(text):
    text = text.lstrip("#")
    return (int(text[0:2], 16), int(text[2:4], 16), int(text[4:6], 16))


# ---- pictures in memory: width, height and a bytearray of R G B A -----------------------------


class Picture:
    def __init__(self, width, height, rgba=None):
        self.width = width
        self.height = height
        self.rgba = rgba if rgba is not None else bytearray(width * height * 4)

    def crop(self, x, y, w, h):
        out = Picture(w, h)
        for row in range(h):
            start = ((y + row) * self.width + x) * 4
            out.rgba[row * w * 4:(row + 1) * w * 4] = self.rgba[start:start + w * 4]
        return out

    def rows(self, top, bottom):
        return self.rgba[top * self.width * 4:bottom * self.width * 4]


def over(top, under):
    """top composited over the opaque picture under (same size): an opaque picture."""
    out = Picture(top.width, top.height)
    t, u, o = top.rgba, under.rgba, out.rgba
    for i in range(0, len(t), 4):
        a = t[i + 3]
        if a == 255:
            o[i:i + 3] = t[i:i + 3]
        elif a == 0:
            o[i:i + 3] = u[i:i + 3]
        else:
            for c in range(3):
                o[i + c] = (t[i + c] * a + u[i + c] * (255 - a) + 127) // 255
        o[i + 3] = 255
    return out


def flat(width, height, rgb):
    return Picture(width, height, bytearray(bytes((*rgb, 255)) * (width * height)))


def keyed(picture, key, rim):
    """Opaque where the art covers at least half a pixel, pre-blended against the rim colour the
    outline is drawn in, so no edge pixel carries a trace of the key; the key elsewhere."""
    out = over(picture, flat(picture.width, picture.height, rim))
    p, o = picture.rgba, out.rgba
    nudge = (key[0], key[1], key[2] ^ 1)
    for i in range(0, len(p), 4):
        if p[i + 3] < 128:
            o[i:i + 3] = bytes(key)
        elif tuple(o[i:i + 3]) == key:
            o[i:i + 3] = bytes(nudge)
    return out


# ---- file formats ------------------------------------------------------------------------------


def bmp24(picture):
    stride = (picture.width * 3 + 3) & ~3
    body = bytearray()
    for y in range(picture.height - 1, -1, -1):
        row = picture.rows(y, y + 1)
        line = bytearray()
        for i in range(0, len(row), 4):
            line += bytes((row[i + 2], row[i + 1], row[i]))
        line += b"\0" * (stride - len(line))
        body += line
    header = struct.pack("<IiiHHIIiiII", 40, picture.width, picture.height, 1, 24, 0, len(body),
                         2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + 40 + len(body), 0, 0, 54) + header + bytes(body)


def png32(picture):
    raw = bytearray()
    for y in range(picture.height):
        raw += b"\0" + picture.rows(y, y + 1)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", picture.width, picture.height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def ico(pictures):
    """An icon file with one 32-bit BMP image per picture (XOR with alpha, AND mask)."""
    entries, images = [], []
    offset = 6 + 16 * len(pictures)
    for pic in pictures:
        w, h = pic.width, pic.height
        xor = bytearray()
        mask_stride = ((w + 31) // 32) * 4
        mask = bytearray()
        for y in range(h - 1, -1, -1):
            row = pic.rows(y, y + 1)
            bits = bytearray(mask_stride)
            for x in range(w):
                r, g, b, a = row[x * 4:x * 4 + 4]
                xor += bytes((b, g, r, a))
                if a == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0,
                             0, 0)
        image = header + bytes(xor) + bytes(mask)
        entries.append(struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(image), offset))
        images.append(image)
        offset += len(image)
    return struct.pack("<HHH", 0, 1, len(pictures)) + b"".join(entries) + b"".join(images)


# ---- SVG documents -----------------------------------------------------------------------------


def load_svg(path):
    try:
        return ET.parse(os.path.join(HERE, path))
    except (OSError, ET.ParseError) as error:
        fail(f"{path}: {error}")


def find_id(root, ident):
    for element in root.iter():
        if element.get("id") == ident:
            return element
    return None


def compose(entry, state_classes, size):
    """The SVG text to render: the entry's drawing with its state classes on the root, its glyph
    in the element with id "glyph", computed attributes set, and the size it is drawn at."""
    tree = copy.deepcopy(load_svg(entry["svg"]))
    root = tree.getroot()
    # The root's own classes only preview one state; the state asked for replaces them.
    classes = " ".join([*state_classes, *entry.get("classes", [])])
    if classes:
        root.set("class", classes)
    if "viewbox" in entry:
        root.set("viewBox", entry["viewbox"])
    if "glyph" in entry:
        slot = find_id(root, "glyph")
        if slot is None:
            fail(f"{entry['svg']} has no element with id glyph")
        glyph = load_svg(os.path.join("glyphs", entry["glyph"] + ".svg")).getroot()
        for child in list(glyph):
            if child.tag != f"{{{SVG}}}title":
                slot.append(child)
    for target, value in entry.get("set", {}).items():
        ident, attribute = target.split(".", 1)
        element = find_id(root, ident)
        if element is None:
            fail(f"{entry['svg']} has no element with id {ident}")
        element.set(attribute, value)
    if "profile" in entry:
        points = profile_points(entry["profile"])
        for ident in ("profile", "profile-line"):
            element = find_id(root, ident)
            if element is not None:
                element.set("points", points)
    if size:
        root.set("width", str(size[0]))
        root.set("height", str(size[1]))
        if entry.get("stretch"):
            # The drawing keeps its pixel scale; elements with data-inset="left top right
            # bottom" span the new size less those insets.
            root.set("viewBox", f"0 0 {size[0]} {size[1]}")
            for element in root.iter():
                inset = element.get("data-inset")
                if inset:
                    left, top, right, bottom = (float(v) for v in inset.split())
                    element.set("x", f"{left:g}")
                    element.set("y", f"{top:g}")
                    element.set("width", f"{size[0] - left - right:g}")
                    element.set("height", f"{size[1] - top - bottom:g}")
    return ET.tostring(root, encoding="unicode")


# The chart's corners clockwise from the top, and its centre and full radius in the dial pictures.
AXES = ("tranquility", "convenience", "energy", "reliability", "performance")
CHART = (48.0, 51.0, 46.0)


def profile_points(profile):
    cx, cy, radius = CHART
    points = []
    for k, axis in enumerate(AXES):
        value = profile[axis]
        angle = math.radians(-90 + 72 * k)
        points.append(f"{cx + radius * value * math.cos(angle):.2f},"
                      f"{cy + radius * value * math.sin(angle):.2f}")
    return " ".join(points)


# ---- rendering with a content cache ------------------------------------------------------------


def rsvg_version():
    try:
        return subprocess.run(["rsvg-convert", "--version"], capture_output=True, text=True,
                              check=True).stdout.strip()
    except (OSError, subprocess.CalledProcessError):
        fail("rsvg-convert is missing (Debian package librsvg2-bin; ./dev setup installs it)")


class Renderer:
    def __init__(self, cache):
        self.cache = cache
        os.makedirs(cache, exist_ok=True)
        self.version = rsvg_version()
        self.rendered = 0

    def key(self, text, width, height):
        return hashlib.sha256(f"{self.version}\n{width}x{height}\n{text}".encode()).hexdigest()

    def render(self, text, width, height):
        path = os.path.join(self.cache, self.key(text, width, height) + ".rgba")
        if os.path.exists(path):
            with open(path, "rb") as f:
                return Picture(width, height, bytearray(f.read()))
        png = subprocess.run(["rsvg-convert", "-w", str(width), "-h", str(height)],
                             input=text.encode(), capture_output=True)
        if png.returncode != 0:
            fail(f"rsvg-convert failed: {png.stderr.decode(errors='replace')}")
        raw = subprocess.run(["convert", "png:-", "-depth", "8", "rgba:-"], input=png.stdout,
                             capture_output=True)
        if raw.returncode != 0 or len(raw.stdout) != width * height * 4:
            fail(f"convert could not unpack a render: {raw.stderr.decode(errors='replace')}")
        with open(path + ".tmp", "wb") as f:
            f.write(raw.stdout)
        os.replace(path + ".tmp", path)
        self.rendered += 1
        return Picture(width, height, bytearray(raw.stdout))


# ---- the manifest ------------------------------------------------------------------------------


def load_manifest():
    with open(os.path.join(HERE, "skin.toml"), "rb") as f:
        return tomllib.load(f)


def source_files():
    files = []
    for base, dirs, names in os.walk(HERE):
        dirs[:] = sorted(d for d in dirs if not d.startswith((".", "__")))
        for name in sorted(names):
            if name.endswith((".svg", ".toml", ".py", ".h")):
                files.append(os.path.join(base, name))
    return files


def inputs_hash():
    digest = hashlib.sha256(PACK_VERSION.encode())
    for path in source_files():
        digest.update(os.path.relpath(path, HERE).encode())
        with open(path, "rb") as f:
            digest.update(f.read())
    digest.update(rsvg_version().encode())
    return digest.hexdigest()


class Job:
    """One output picture: what to render and how to pack it."""

    def __init__(self, name, entry, classes, size, kind, path, resource):
        self.name, self.entry, self.classes, self.size = name, entry, classes, size
        self.kind, self.path, self.resource = kind, path, resource


def expand(manifest):
    """Every output picture of the manifest, in order."""
    statesets = manifest["statesets"]
    jobs = []
    for entry in manifest.get("background", []):
        jobs.append(Job(entry["name"], entry, [], entry["size"], "background",
                        f"bmp/{entry['name']}.bmp", True))
    for entry in manifest.get("band", []):
        jobs.append(Job(entry["name"], entry, [], None, "band", f"bmp/{entry['name']}.bmp", True))
    for entry in manifest.get("control", []):
        for state, classes in statesets[entry["states"]]:
            name = f"{entry['name']}_{state}"
            jobs.append(Job(name, entry, classes.split(), entry["size"], "control",
                            f"bmp/{name}.bmp", True))
    for entry in manifest.get("image", []):
        jobs.append(Job(entry["name"], entry, [], entry["size"], "control",
                        f"bmp/{entry['name']}.bmp", True))
    for entry in manifest.get("png", []):
        jobs.append(Job(entry["name"], entry, [], entry["size"], "png",
                        f"Resource/{entry['name']}", False))
    digits = manifest["digits"]
    for index, segments in enumerate(digits["glyphs"]):
        entry = dict(digits)
        width = digits["size"][0]
        if segments.startswith("point"):
            width = digits["point_size"][0]
            entry["viewbox"] = f"0 0 {width} {digits['size'][1]}"
        classes = [segments] if segments.startswith("point") else [f"s{c}" for c in segments]
        jobs.append(Job(f"Number/{index:02d}.bmp", entry, classes or ["blank"],
                        [width, digits["size"][1]], "glyph", f"Resource/Number/{index:02d}.bmp",
                        False))
    for entry in manifest.get("icon", []):
        jobs.append(Job(entry["name"], entry, [], None, "icon", f"Resource/{entry['name']}",
                        False))
    return jobs


# ---- packing -----------------------------------------------------------------------------------


class Packer:
    def __init__(self, manifest, renderer):
        self.manifest = manifest
        self.renderer = renderer
        self.key = colour(manifest["key"])
        self.pictures = {}  # name -> packed opaque Picture (backgrounds and images)

    def render(self, job, size=None):
        size = size or job.size
        return self.renderer.render(compose(job.entry, job.classes, size), size[0], size[1])

    def behind(self, entry, size, where):
        """What the picture is laid on at its first placement, and a check that every further
        placement shows the same pixels (so one bitmap serves them all)."""
        if "over_colour" in entry:
            return flat(size[0], size[1], colour(entry["over_colour"]))
        placements = entry.get("over")
        if not placements:
            fail(f"{where} says neither over nor over_colour")
        crops = []
        for background, x, y in placements:
            if background not in self.pictures:
                fail(f"{where}: {background} is not packed before it")
            bk = self.pictures[background]
            if x < 0 or y < 0 or x + size[0] > bk.width or y + size[1] > bk.height:
                fail(f"{where}: {size[0]}x{size[1]} at {x},{y} lies outside {background}")
            crops.append(bk.crop(x, y, size[0], size[1]))
        for (background, x, y), crop in zip(placements[1:], crops[1:]):
            if crop.rgba != crops[0].rgba:
                fail(f"{where}: the background under it at {background} {x},{y} differs from "
                     f"the first placement; give it a bitmap of its own")
        return crops[0]

    def pack(self, job):
        entry = job.entry
        if job.kind == "background":
            picture = keyed(self.render(job), self.key, colour(entry["rim"]))
            self.pictures[job.name] = picture
            return bmp24(picture)
        if job.kind == "band":
            source = self.pictures[entry["from"]]
            top, bottom = entry["remove_rows"]
            height = bottom - top
            rgba = (source.rows(0, top) + source.rows(bottom, source.height) +
                    bytearray(bytes((*self.key, 255)) * (source.width * height)))
            picture = Picture(source.width, source.height, rgba)
            self.pictures[job.name] = picture
            return bmp24(picture)
        if job.kind == "control" and entry.get("binary"):
            art = self.render(job)
            picture = flat(art.width, art.height, self.key)
            for i in range(0, len(art.rgba), 4):
                if art.rgba[i + 3] >= 128:
                    picture.rgba[i:i + 3] = art.rgba[i:i + 3]
            return bmp24(picture)
        if job.kind == "control":
            picture = over(self.render(job), self.behind(entry, job.size, job.name))
            self.pictures[job.name] = picture
            return bmp24(picture)
        if job.kind == "png":
            return png32(self.render(job))
        if job.kind == "glyph":
            art = self.render(job)
            picture = over(art, flat(art.width, art.height, colour(entry["behind"])))
            for i in range(0, len(art.rgba), 4):
                if art.rgba[i + 3] == 0:
                    picture.rgba[i:i + 3] = bytes(self.key)
            return bmp24(picture)
        if job.kind == "icon":
            return ico([self.render(job, [s, s]) for s in entry["sizes"]])
        fail(f"unknown kind {job.kind}")


def write_if_changed(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if os.path.exists(path):
        with open(path, "rb") as f:
            if f.read() == data:
                return False
    with open(path + ".tmp", "wb") as f:
        f.write(data)
    os.replace(path + ".tmp", path)
    return True


def header_names():
    """The quoted names SkinArt.h declares, so that header and pictures never drift apart."""
    with open(os.path.join(HERE, "SkinArt.h"), encoding="utf-8") as f:
        text = f.read()
    names = set(re.findall(r'"([A-Za-z0-9_]+(?:\.png|\.ico)?)"', text))
    four = ("Raised", "Sunken", "Focused", "Disabled")
    for base in re.findall(r'SKINART_FOUR\("(\w+)"\)', text):
        names.update(f"{base}_{state}" for state in four)
    for base in re.findall(r'SKINART_CHECK\("(\w+)"\)', text):
        names.update(f"{base}_{check}_{state}" for check in ("Uncheck", "Check") for state in four)
    return names


def check_header(jobs):
    names = header_names()
    wanted = set()
    for job in jobs:
        if job.resource:
            wanted.add(job.name)
        elif job.kind in ("png", "icon"):
            wanted.add(job.name)
    missing = sorted(wanted - names)
    if missing:
        fail("SkinArt.h does not name: " + ", ".join(missing))


def rc_text(jobs, out):
    lines = ["// Generated by assets/art/artgen.py from skin.toml: the linked skin bitmaps."]
    for job in jobs:
        if job.resource:
            path = os.path.join(out, job.path).replace("\\", "/")
            lines.append(f'{job.name} BITMAP "{path}"')
    return "\n".join(lines) + "\n"


def sync_stage(out, stage):
    source = os.path.join(out, "Resource")
    for base, _, names in os.walk(source):
        for name in names:
            path = os.path.join(base, name)
            with open(path, "rb") as f:
                write_if_changed(os.path.join(stage, "Resource", os.path.relpath(path, source)),
                                 f.read())


def build(args):
    out = os.path.abspath(args.out)
    os.makedirs(out, exist_ok=True)
    with open(os.path.join(out, ".lock"), "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        manifest = load_manifest()
        jobs = expand(manifest)
        check_header(jobs)
        stamp = os.path.join(out, "inputs.sha256")
        digest = inputs_hash()
        current = open(stamp).read() if os.path.exists(stamp) else ""
        if current != digest:
            renderer = Renderer(os.path.join(out, "cache"))
            # Render everything first, two at a time, then pack in order (controls need the
            # backgrounds they sit on).
            texts = []
            for job in jobs:
                sizes = ([[s, s] for s in job.entry["sizes"]] if job.kind == "icon" else
                         [] if job.kind == "band" else [job.size])
                for size in sizes:
                    texts.append((compose(job.entry, job.classes, size), size))
            with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
                list(pool.map(lambda t: renderer.render(t[0], t[1][0], t[1][1]), texts))
            packer = Packer(manifest, renderer)
            written = 0
            for job in jobs:
                written += write_if_changed(os.path.join(out, job.path), packer.pack(job))
            with open(stamp, "w") as f:
                f.write(digest)
            print(f"artgen: {renderer.rendered} rendered, {written} written, "
                  f"{len(jobs)} pictures")
        if args.rc:
            write_if_changed(os.path.abspath(args.rc), rc_text(jobs, out).encode())
        if args.stage:
            sync_stage(out, os.path.abspath(args.stage))


# ---- contact sheet -----------------------------------------------------------------------------


def sheet(args):
    out = os.path.abspath(args.out)
    jobs = expand(load_manifest())
    review = os.path.join(out, "review")
    work = os.path.join(review, "work")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    checker = os.path.join(work, "checker.png")
    subprocess.run(["convert", "-size", "16x16", "pattern:checkerboard", "-fill", "#8c8c8c",
                    "-opaque", "black", "-fill", "#bdbdbd", "-opaque", "white", checker],
                   check=True)
    # One tile per picture; keyed colours shown as transparent.
    tiles = []
    for n, job in enumerate(jobs):
        source = os.path.join(out, job.path)
        target = os.path.join(work, f"{n:04d}.png")
        if job.kind == "icon":
            command = ["convert", "-background", "none", source + "[0]", source + "[1]",
                       "-gravity", "south", "+append", "(", source + "[0]", "-scale", "300%", ")",
                       "+append"]
        elif job.kind in ("background", "band", "glyph") or job.entry.get("binary"):
            command = ["convert", source, "-transparent", "#FF00FF"]
            if job.kind == "glyph":
                command += ["-scale", "300%"]
        elif max(job.size) <= 48:
            # Small pictures also doubled, to judge their detail.
            command = ["convert", "-background", "none", source, "-size", "6x1", "xc:none", "(",
                       source, "-scale", "200%", ")", "-gravity", "south", "+append"]
        else:
            command = ["convert", source + "[0]"]
        tiles.append(command + [target])
    with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
        list(pool.map(lambda c: subprocess.run(c, check=True), tiles))
    # Rows: one per manifest entry (a control's states side by side), backgrounds three a row.
    groups = []
    for n, job in enumerate(jobs):
        title = {"background": "Backgrounds", "band": "Backgrounds", "png": "Dial pictures",
                 "glyph": "Digit glyphs (x3)", "icon": "Tray icons (16, 32, 16 x3)"}.get(job.kind)
        if title is None:
            title = job.entry["name"] if "states" in job.entry else "Pictures"
        label = job.name.replace(job.entry.get("name", "") + "_", "") if "states" in job.entry \
            else job.name
        if not groups or groups[-1][0] != title:
            groups.append((title, []))
        groups[-1][1].append((label, os.path.join(work, f"{n:04d}.png")))
    rows = []
    for index, (title, items) in enumerate(groups):
        per_row = 3 if title == "Backgrounds" else 8 if title.startswith("Dial") else 14
        for start in range(0, len(items), per_row):
            chunk = items[start:start + per_row]
            row = os.path.join(work, f"row{index:03d}_{start:03d}.png")
            command = ["montage", "-font", "DejaVu-Sans", "-pointsize", "11", "-fill", "#e6e6e6",
                       "-background", "#2b3035", "-geometry", "+8+6", "-tile",
                       f"{len(chunk)}x1", "-texture", checker]
            for label, tile in chunk:
                command += ["-label", label, tile]
            subprocess.run(command + [row], check=True)
            heading = title if start == 0 else ""
            subprocess.run(["convert", row, "-background", "#1d2125", "-gravity", "northwest",
                            "-splice", "0x20", "-font", "DejaVu-Sans-Bold", "-pointsize", "13",
                            "-fill", "#9fd3ff", "-annotate", "+8+3", heading, row], check=True)
            rows.append(row)
    target = os.path.join(review, "contact-sheet.png")
    subprocess.run(["convert", "-background", "#1d2125", *rows, "-gravity", "west", "-append",
                    target], check=True)
    shutil.rmtree(work, ignore_errors=True)
    print(target)


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("command", choices=["build", "sheet"])
    parser.add_argument("--out", required=True)
    parser.add_argument("--stage")
    parser.add_argument("--rc")
    args = parser.parse_args()
    build(args) if args.command == "build" else sheet(args)


if __name__ == "__main__":
    main()
