#!/usr/bin/python3
"""Converts PSD files written by two independent producers and checks every byte of the result.

ImageMagick (convert, raw and RLE; it also writes image resources and a layer section, which the
reader must skip) and psd-tools (PSDImage.frompil, raw, RLE and ZIP) write RGBA documents of
several sizes. Each is converted by the program under test; its pixel block must equal psd-tools'
own decoding of the document's merged image data, and its tail must hold the answers given.
The ZIP document must be refused. Both producers are required: a missing one is a failure.

Usage: interop_test.py <varnholt program>
"""
import logging
import os
import struct
import subprocess
import sys
import tempfile

CONVERT = "/usr/bin/convert"
BANNER = b"Varnholt 0.1\r\nPSD sprite sheets to Filmstrip cursor strips, by the Varnholt developers\r\n\r\n"
PROMPTS = b"Enter cursor frame height: Enter cursor leading frame height: Enter frames per seconds: "
COMPRESSION_REFUSAL = b"Error: PSD image data must be raw or RLE compressed\r\n"
SIZES = [(1, 1), (7, 5), (33, 17), (1, 40), (150, 3), (101, 64)]  # columns x rows, odd widths among them

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL: " + what)
    return condition


def source_pixels(columns, rows):
    """RGBA, row by row: a flat band (runs for PackBits), a varied rest (literals), holes of alpha 0."""
    pixels = bytearray()
    for y in range(rows):
        for x in range(columns):
            flat = x < columns // 3
            red = 200 if flat else (x * 37 + y * 11) % 256
            green = 40 if flat else (x * x + y * 5) % 256
            blue = (y * 23 + 7) % 256
            alpha = 0 if (x + y) % 7 == 3 else (255 if flat else (x * 9 + y * 13 + 1) % 256)
            pixels += bytes((red, green, blue, alpha))
    return bytes(pixels)


def merged_pixels(path):
    """psd-tools' decoding of the merged image data, interleaved to RGBA; and the compression code."""
    from psd_tools import PSDImage

    psd = PSDImage.open(path)
    header = psd._record.header
    planes = psd._record.image_data.get_data(header, False)  # channel-major planes
    count = header.width * header.height
    pixels = bytearray(count * 4)
    for channel in range(4):
        pixels[channel::4] = planes[channel * count:(channel + 1) * count]
    layers = psd._record.layer_and_mask_information.layer_info
    has_layers = layers is not None and layers.layer_count != 0
    return bytes(pixels), int(psd._record.image_data.compression), has_layers


def convert(program, directory, name, answers):
    run = subprocess.run([program, name], input=answers, cwd=directory, capture_output=True, timeout=60)
    return run.returncode, run.stdout, run.stderr


def check_conversion(program, directory, name, columns, rows, source, expected_code, case_number):
    label = "%s (%d x %d)" % (name, columns, rows)
    path = os.path.join(directory, name)
    reference, code, has_layers = merged_pixels(path)
    check(code == expected_code, "%s: compression code %d, expected %d" % (label, code, expected_code))
    check(reference == source, "%s: the producer did not store the source pixels" % label)
    if name.startswith("magick"):
        check(has_layers, "%s: no layer section to skip" % label)

    frame_height = max(1, rows // 3) + case_number % 2
    leading = case_number % 3
    fps = 10 + case_number
    answers = b"%d\n%d\n%d\n" % (frame_height, leading, fps)
    status, out, err = convert(program, directory, name, answers)
    check(status == 0, "%s: exit status %d" % (label, status))
    check(out == BANNER + PROMPTS, "%s: standard output %r" % (label, out))
    check(err == b"", "%s: standard error %r" % (label, err))
    flm = os.path.join(directory, os.path.splitext(name)[0] + ".flm")
    if not check(os.path.exists(flm), "%s: no .flm written" % label):
        return
    with open(flm, "rb") as stream:
        data = stream.read()
    if not check(len(data) == columns * rows * 4 + 36, "%s: %d bytes" % (label, len(data))):
        return
    check(data[:-36] == reference, "%s: pixel block differs from the merged image data" % label)
    fields = struct.unpack(">4sIHHHHHH16s", data[-36:])
    expected = (b"Rand", rows // (frame_height + leading), 0, 0, columns, frame_height, leading, fps, bytes(16))
    names = ("Signature", "FrameCount", "Reserved1", "Reserved2", "Width", "FrameHeight", "Leading",
             "FramesPerSecond", "Reserved3")
    for field, got, want in zip(names, fields, expected):
        check(got == want, "%s: tail %s is %r, expected %r" % (label, field, got, want))


def main():
    program = os.path.abspath(sys.argv[1])
    # psd-tools warns about the padding of ImageMagick's layer section; the merged data is unaffected.
    logging.getLogger("psd_tools").setLevel(logging.ERROR)
    check(os.access(CONVERT, os.X_OK), CONVERT + " (Debian package imagemagick) is not installed")
    try:
        from PIL import Image
        from psd_tools import PSDImage
        from psd_tools.constants import Compression
    except ImportError as error:
        check(False, "psd-tools (Debian package python3-psd-tools) is not usable: %s" % error)
    if failures:
        print("0 passed, %d failed" % len(failures))
        return 1

    passed = failed = 0
    with tempfile.TemporaryDirectory(prefix="varnholt-interop-") as directory:
        case_number = 0
        for columns, rows in SIZES:
            source = source_pixels(columns, rows)
            raw_source = os.path.join(directory, "source.rgba")
            with open(raw_source, "wb") as stream:
                stream.write(source)
            documents = []
            for compress, code in (("None", 0), ("RLE", 1)):
                name = "magick-%s-%dx%d.psd" % (compress.lower(), columns, rows)
                subprocess.run([CONVERT, "-size", "%dx%d" % (columns, rows), "-depth", "8", "rgba:" + raw_source,
                                "-alpha", "on", "-depth", "8", "-compress", compress, os.path.join(directory, name)],
                               check=True)
                documents.append((name, code))
            image = Image.frombytes("RGBA", (columns, rows), source)
            for compression in (Compression.RAW, Compression.RLE):
                name = "psdtools-%s-%dx%d.psd" % (compression.name.lower(), columns, rows)
                PSDImage.frompil(image, compression=compression).save(os.path.join(directory, name))
                documents.append((name, int(compression)))
            for name, code in documents:
                before = len(failures)
                check_conversion(program, directory, name, columns, rows, source, code, case_number)
                case_number += 1
                passed, failed = (passed + 1, failed) if len(failures) == before else (passed, failed + 1)

            # ZIP-compressed merged data is refused, whatever the answers, and nothing is written.
            name = "psdtools-zip-%dx%d.psd" % (columns, rows)
            before = len(failures)
            PSDImage.frompil(image, compression=Compression.ZIP).save(os.path.join(directory, name))
            _, code, _ = merged_pixels(os.path.join(directory, name))
            check(code == 2, "%s: compression code %d, expected 2" % (name, code))
            status, out, err = convert(program, directory, name, b"1\n0\n1\n")
            check(status == 0, "%s: exit status %d" % (name, status))
            check(out == BANNER + COMPRESSION_REFUSAL, "%s: standard output %r" % (name, out))
            check(not os.path.exists(os.path.join(directory, name[:-4] + ".flm")), "%s: a .flm was written" % name)
            passed, failed = (passed + 1, failed) if len(failures) == before else (passed, failed + 1)

    print("interop: %d passed, %d failed" % (passed, failed))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
