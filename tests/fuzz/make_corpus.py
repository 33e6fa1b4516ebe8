#!/usr/bin/env python3
"""Writes the seed inputs in corpus/<target>/: a few small, valid or nearly valid
inputs per target, so each run starts from the formats' real shapes. Findings are
kept beside them by hand (named finding-*), and this script leaves those alone."""
import os
import struct
import subprocess
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def put(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def tga(kind, width, height, depth, pixels, descriptor=0, cmap=b"", mapbits=0, mapfirst=0, ident=b""):
    maplength = len(cmap) * 8 // mapbits if mapbits else 0
    header = struct.pack("<BBBHHBHHHHBB", len(ident), 1 if cmap else 0, kind, mapfirst, maplength, mapbits,
                         0, 0, width, height, depth, descriptor)
    return header + ident + cmap + pixels


def tgas():
    put("fuzz_tga", "rgb24-2x2", tga(2, 2, 2, 24, bytes(range(12))))
    put("fuzz_tga", "bgra32-3x2-topdown-righttoleft",
        tga(2, 3, 2, 32, bytes(range(24)), descriptor=0x38, ident=b"id"))
    put("fuzz_tga", "rgb16-2x1", tga(2, 2, 1, 16, b"\x1f\x7c\xe0\x03"))
    put("fuzz_tga", "grey8-3x1", tga(3, 3, 1, 8, b"\x00\x80\xff"))
    put("fuzz_tga", "rle24-5x1", tga(10, 5, 1, 24, b"\x82\xff\x00\xff" + b"\x01\x10\x20\x30\x40\x50\x60"))
    put("fuzz_tga", "rlegrey-4x2-interleaved", tga(11, 4, 2, 8, b"\x83\x40\x83\x90", descriptor=0x40))
    put("fuzz_tga", "mapped8-2x2-map16", tga(1, 2, 2, 8, b"\x00\x01\x02\x05",
                                          cmap=b"\x00\x7c\xe0\x03\x1f\x00\xff\x7f", mapbits=16))
    put("fuzz_tga", "rlemapped-4x1-map24", tga(9, 4, 1, 8, b"\x81\x01\x01\x00\x02",
                                            cmap=b"\x00\x00\xff\x00\xff\x00\xff\x00\x00", mapbits=24, mapfirst=0))
    put("fuzz_tga", "header-only", tga(2, 1, 1, 32, b""))


def font(markers, width, height, extra=b""):
    rows = []
    for y in range(height):
        row = b""
        for x in range(width):
            if y == 0:
                row += b"\xff\xff\xff\xff" if x in markers else b"\x00\x00\x00\x00"
            else:
                row += b"\xff\xff\xff\xff" if (x + y) % 3 == 0 else b"\x00\x00\x00\x80"
        rows.append(row)
    return tga(2, width, height, 32, b"".join(rows), descriptor=0x28) + extra


def fonts():
    put("fuzz_font", "three-glyphs", font({3, 7, 12}, 16, 5))
    put("fuzz_font", "no-markers", font(set(), 6, 3))
    put("fuzz_font", "marker-every-column", font(set(range(1, 24)), 24, 2))
    put("fuzz_font", "marker-last-column", font({9}, 10, 3))
    # A marker in column 0 cut the last cell one column past the picture's edge.
    put("fuzz_font", "marker-column-0", font({0, 4, 8}, 12, 3))
    put("fuzz_font", "rle", tga(10, 6, 2, 32, b"\x80\xff\xff\xff\xff\x84\x00\x00\x00\x00"
                                               b"\x85\xff\xff\xff\xff", descriptor=0x28))


def wav(channels, rate, bits, samples, datasize=None):
    align = channels * bits // 8
    size = len(samples) if datasize is None else datasize
    return (b"RIFF" + struct.pack("<I", size + 36) + b"WAVEfmt " +
            struct.pack("<IHHIIHH", 16, 1, channels, rate, rate * align & 0xFFFFFFFF, align, bits) +
            b"data" + struct.pack("<I", size) + samples)


def wavs():
    put("fuzz_wav", "mono8-22050", wav(1, 22050, 8, bytes([128, 200, 255, 0, 50])))
    put("fuzz_wav", "stereo16-44100", wav(2, 44100, 16, struct.pack("<8h", 0, 1000, -1000, 32767, -32768, 5, 6, 7)))
    put("fuzz_wav", "mono16-8000-odd", wav(1, 8000, 16, b"\x01\x02\x03"))
    put("fuzz_wav", "size-past-end", wav(2, 48000, 16, b"\x00\x10\x00\x20\x00\x30", datasize=4096))
    # Rates whose mixer step is 0 or wraps: they loaded and then never advanced.
    put("fuzz_wav", "rate-100", wav(1, 100, 8, bytes(range(16))))
    put("fuzz_wav", "rate-16777216", wav(1, 16777216, 8, bytes(range(16))))
    put("fuzz_wav", "rate-max", wav(2, 0xFFFFFFFF, 16, bytes(range(16))))


def oggs():
    """Short Ogg Vorbis files made by sox (Debian's, with libvorbis), kept under the
    fuzzer's 8192-byte inputs; and the first page of an Opus file, made by hand."""
    with tempfile.TemporaryDirectory() as folder:
        for name, options in (("mono-8000", ["-r", "8000", "-c", "1"]), ("stereo-11025", ["-r", "11025", "-c", "2"])):
            out = os.path.join(folder, name + ".ogg")
            subprocess.run(["sox", "-R", "-n", *options, out, "synth", "0.05", "sine", "440"], check=True)
            with open(out, "rb") as f:
                data = f.read()
            put("fuzz_ogg", name, data)
    # A comment count no file holds: stb_vorbis freed the list it could not make.
    packet = data.find(b"\x03vorbis", 58)
    at = packet + 11 + data[packet + 7]
    put("fuzz_ogg", "finding-comment-count", data[:at] + b"\xff\xff\xff\x7f" + data[at + 4:])
    put("fuzz_ogg", "opus-page", b"OggS\0\x02" + bytes(20) + b"\x01\x13OpusHead" + bytes(11))


def lines():
    put("fuzz_cmdline", "program", b"show_1080.exe")
    put("fuzz_cmdline", "quoted", b'"C:\\Program Files\\show.exe" --a "b c"d "" e')
    put("fuzz_cmdline", "whitespace", b" \t a\r\n b  ")
    put("fuzz_cmdline", "quotes-only", b'" " "" """')


def captures():
    def args(*words, size=64):
        return bytes([size]) + b"\0".join(w.encode() for w in words)
    put("fuzz_capture_options", "none", args(size=0))
    put("fuzz_capture_options", "all", args("--fps", "30", "--mode", "720", "--out", "a.mp4", "--from", "1.5",
                                            "--to=12", "--draw-all"))
    put("fuzz_capture_options", "frames", args("--frames=out", "--mode=full", "--fps=66"))
    put("fuzz_capture_options", "help", args("--help", size=1))
    put("fuzz_capture_options", "bad", args("--fps", "0.5", size=8))
    put("fuzz_capture_options", "needs-value", args("--to", size=200))
    # Times past any show: frame numbers beyond 64 bits, and a range of no frame.
    put("fuzz_capture_options", "to-1e300", args("--to", "1e300"))
    put("fuzz_capture_options", "from-to-tiny", args("--from", "0.5", "--to", "0.50000001"))


def trees():
    def n(text, longname=False):
        # name(): a length byte, a seed byte, then up to eight bytes of the name itself.
        return bytes([len(text) - 1 if not longname else 0, 0]) + text[:8].encode()
    mkdir, up, file, empty, link, upper = 0, 1, 2, 3, 4, 7
    put("fuzz_mount", "flat", bytes([file]) + n("a.tga") + b"\x04" + bytes([empty]) + n("b.wav"))
    put("fuzz_mount", "nested", bytes([mkdir]) + n("gfx") + bytes([file]) + n("c.tga") + b"\x10" +
        bytes([mkdir]) + n("sub") + bytes([empty]) + n("e") + bytes([up | 8]) + bytes([file]) + n("top") + b"\x01")
    put("fuzz_mount", "links", bytes([file]) + n("real") + b"\x02" + bytes([mkdir]) + n("d") +
        bytes([link | 16]) + n("tofile") + b"\x00" + bytes([link]) + n("dangling"))
    put("fuzz_mount", "long-and-odd", bytes([mkdir | 8]) + n("x", True) + bytes([file | 8]) + n("y", True) + b"\x01" +
        bytes([upper]) + n("Caps") + bytes([file]) + n(" \t*?\\:") + b"\x01")
    put("fuzz_mount", "deep", (bytes([mkdir]) + n("d")) * 40 + bytes([file]) + n("f") + b"\x01")


def png(width, height, depth, colour, rows, interlace=0, extra=b""):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    ihdr = struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, interlace)
    raw = b"".join(b"\x00" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + extra + chunk(b"IDAT", zlib.compress(raw)) +
            chunk(b"IEND", b""))


def pngs():
    put("fuzz_png", "rgba8-2x2", png(2, 2, 8, 6, [bytes(range(8)), bytes(range(8, 16))]))
    put("fuzz_png", "grey8-3x1", png(3, 1, 8, 0, [b"\x00\x80\xff"]))
    put("fuzz_png", "rgb16-1x1", png(1, 1, 16, 2, [b"\x01\x02\x03\x04\x05\x06"]))
    put("fuzz_png", "palette4-2x2", png(2, 2, 4, 3, [b"\x01", b"\x10"],
                                        extra=struct.pack(">I", 6) + b"PLTE" + b"\xff\x00\x00\x00\xff\x00" +
                                        struct.pack(">I", zlib.crc32(b"PLTE\xff\x00\x00\x00\xff\x00"))))
    put("fuzz_png", "greyalpha8-adam7-1x1", png(1, 1, 8, 4, [b"\x40\x80"], interlace=1))
    # Indices up to 255 in a 2-entry palette, with transparency for the first entry:
    # the decoder once showed its stack where libpng gives opaque black.
    def plte(body):
        return struct.pack(">I", len(body)) + body + struct.pack(">I", zlib.crc32(body))
    put("fuzz_png", "palette8-past-plte-4x2", png(4, 2, 8, 3, [b"\x00\x01\x02\xff", b"\x80\x07\x01\x00"],
                                                  extra=plte(b"PLTE\x10\x20\x30\x40\x50\x60") +
                                                  plte(b"tRNS\x80")))
    # A transparent grey beyond 1 bit in a 1-bit picture: libpng keeps its low bit.
    put("fuzz_png", "grey1-trns-wide-8x1", png(8, 1, 1, 0, [b"\xa5"], extra=plte(b"tRNS\x00\x02")))


if __name__ == "__main__":
    tgas()
    pngs()
    fonts()
    wavs()
    oggs()
    lines()
    captures()
    trees()
