#!/usr/bin/python3
"""Converts PSD and PSB files written by two independent producers and checks every byte of the result.

ImageMagick (convert, raw and RLE; it also writes image resources and a layer section, which the
reader must skip) and psd-tools (PSDImage.frompil, raw, RLE and ZIP) write RGBA documents of
several sizes; ImageMagick also writes large documents (PSB), among them a strip taller than 16
bits can count. Each is converted by the program under test; its pixel block must equal psd-tools'
own decoding of the document's merged image data, its tail must hold the answers given, and the
only file it adds is the document's name with the extension .flm. The ZIP document must be
refused. Both producers are required: a missing one is a failure.

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
# Large documents: columns, rows and the answers (frame height, leading, frames per second). The
# tall strip has more rows than 16 bits hold and, in one-row frames, as many frames.
PSB_CASES = [(1, 1, 1, 0, 1), (7, 5, 2, 1, 12), (101, 63, 20, 1, 30), (3, 70001, 1, 0, 60)]
# Debian's ImageMagick refuses images taller than 16K rows unless a policy of its own says otherwise.
TALL_POLICY = '<policymap><policy domain="resource" name="height" value="128KP"/></policymap>\n'

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


def document_layout(path):
    """What a reader of the layout that the header names finds: Version, the compression code, and
    whether the merged data ends exactly where the file does, past a layer and mask section whose
    length has 8 bytes in a large document and a table whose row byte counts have 4."""
    with open(path, "rb") as stream:
        data = stream.read()
    (version,) = struct.unpack_from(">H", data, 4)
    channels, rows, columns = struct.unpack_from(">HII", data, 12)
    large = version == 2
    at = 26
    for _ in range(2):  # colour mode data, image resources
        (length,) = struct.unpack_from(">I", data, at)
        at += 4 + length
    (layers,) = struct.unpack_from(">Q" if large else ">I", data, at)
    at += (8 if large else 4) + layers
    (code,) = struct.unpack_from(">H", data, at)
    at += 2
    end = at + channels * rows * columns
    if code == 1:
        counts = struct.unpack_from(">%d%s" % (channels * rows, "I" if large else "H"), data, at)
        end = at + len(counts) * (4 if large else 2) + sum(counts)
    return version, code, end == len(data)


def write_magick(directory, name, columns, rows, source, compress, environment=None):
    raw_source = os.path.join(directory, "source.rgba")
    with open(raw_source, "wb") as stream:
        stream.write(source)
    subprocess.run([CONVERT, "-size", "%dx%d" % (columns, rows), "-depth", "8", "rgba:" + raw_source,
                    "-alpha", "on", "-depth", "8", "-compress", compress, os.path.join(directory, name)],
                   check=True, env=environment)


def convert(program, directory, name, answers):
    run = subprocess.run([program, name], input=answers, cwd=directory, capture_output=True, timeout=60)
    return run.returncode, run.stdout, run.stderr


def check_conversion(program, directory, name, columns, rows, source, expected_code, answers):
    label = "%s (%d x %d)" % (name, columns, rows)
    path = os.path.join(directory, name)
    reference, code, has_layers = merged_pixels(path)
    check(code == expected_code, "%s: compression code %d, expected %d" % (label, code, expected_code))
    check(reference == source, "%s: the producer did not store the source pixels" % label)
    if name.startswith("magick"):
        check(has_layers, "%s: no layer section to skip" % label)

    frame_height, leading, fps = answers
    before = set(os.listdir(directory))
    status, out, err = convert(program, directory, name, b"%d\n%d\n%d\n" % answers)
    check(status == 0, "%s: exit status %d" % (label, status))
    check(out == BANNER + PROMPTS, "%s: standard output %r" % (label, out))
    check(err == b"", "%s: standard error %r" % (label, err))
    output_name = os.path.splitext(name)[0] + ".flm"
    added = set(os.listdir(directory)) - before
    if not check(added == {output_name}, "%s: files written %r, expected only %s" % (label, sorted(added), output_name)):
        return
    flm = os.path.join(directory, output_name)
    with open(flm, "rb") as stream:
        data = stream.read()
    os.remove(flm)  # a later document of the same name, PSD or PSB, must write its own
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
            documents = []
            for compress, code in (("None", 0), ("RLE", 1)):
                name = "magick-%s-%dx%d.psd" % (compress.lower(), columns, rows)
                write_magick(directory, name, columns, rows, source, compress)
                documents.append((name, code))
            image = Image.frombytes("RGBA", (columns, rows), source)
            for compression in (Compression.RAW, Compression.RLE):
                name = "psdtools-%s-%dx%d.psd" % (compression.name.lower(), columns, rows)
                PSDImage.frompil(image, compression=compression).save(os.path.join(directory, name))
                documents.append((name, int(compression)))
            for name, code in documents:
                before = len(failures)
                answers = (max(1, rows // 3) + case_number % 2, case_number % 3, 10 + case_number)
                check_conversion(program, directory, name, columns, rows, source, code, answers)
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

        policy = os.path.join(directory, "policy")
        os.mkdir(policy)
        with open(os.path.join(policy, "policy.xml"), "w") as stream:
            stream.write(TALL_POLICY)
        environment = dict(os.environ, MAGICK_CONFIGURE_PATH=policy)
        for columns, rows, *answers in PSB_CASES:
            source = source_pixels(columns, rows)
            for compress, code in (("None", 0), ("RLE", 1)):
                name = "magick-%s-%dx%d.psb" % (compress.lower(), columns, rows)
                before = len(failures)
                write_magick(directory, name, columns, rows, source, compress, environment)
                # The producer must really have written the large layout, or the case shows nothing.
                version, stored_code, ends = document_layout(os.path.join(directory, name))
                check(version == 2, "%s: Version %d, expected 2" % (name, version))
                check(stored_code == code and ends, "%s: not laid out as a large document" % name)
                check_conversion(program, directory, name, columns, rows, source, code, tuple(answers))
                passed, failed = (passed + 1, failed) if len(failures) == before else (passed, failed + 1)

    print("interop: %d passed, %d failed" % (passed, failed))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
