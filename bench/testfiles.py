#!/usr/bin/python3
"""Test files for the benchmarks, the same on every machine.

  testfiles.py prose OUT BYTES            Chinese prose that compresses as real prose does
  testfiles.py mixed OUT MIB PICTURES     prose and photographs in about equal parts
  testfiles.py document DOC MB PICTURES   the filled document DOC with a body of prose
                                          (about 40,000 characters) and photographs, to MB
  testfiles.py text DOC MB                the filled document DOC with MB of prose as its body

PICTURES is a folder of JPEG files (bench/make_pictures writes them). The document needs
python-docx (Debian python3-docx).
"""
import glob
import io
import itertools
import random
import sys


def prose(size, seed=2013):
    """Sentences of words drawn from the 3,755 common characters with a Zipf law: deflate
    keeps about 35% of it, as it does of real Chinese prose in UTF-8."""
    rnd = random.Random(seed)
    chars = []
    for hi in range(0xB0, 0xD8):
        for lo in range(0xA1, 0xFF):
            try:
                chars.append(bytes([hi, lo]).decode("gb2312"))
            except UnicodeDecodeError:
                pass
    chars = chars[:3755]
    rnd.shuffle(chars)
    weights = list(itertools.accumulate(1 / (i + 1) for i in range(len(chars))))
    words = ["".join(rnd.choices(chars, cum_weights=weights, k=rnd.choice((1, 2, 2, 2, 3, 4)))) for _ in range(6000)]
    word_weights = list(itertools.accumulate(1 / (i + 1) for i in range(len(words))))
    out, n = [], 0
    while n < size:
        sentence = "".join(rnd.choices(words, cum_weights=word_weights, k=rnd.randint(4, 14))) + rnd.choice("，，，。。；、")
        if rnd.random() < 0.05:
            sentence += " %d%%" % rnd.randint(1, 99)
        if rnd.random() < 0.08:
            sentence += "\n"
        out.append(sentence)
        n += len(sentence.encode())
    return "".join(out).encode()[:size]


ProseBlock = 4 * 1024 * 1024


def pictures(folder):
    files = sorted(glob.glob(folder + "/*.jpg"))
    if not files:
        sys.exit("no pictures in " + folder)
    return [open(f, "rb").read() for f in files]


def distinct(jpeg, n):
    """The same photograph with a comment of its own, so that a document keeps every copy."""
    comment = b"copy %d" % n
    after = 4 + int.from_bytes(jpeg[4:6], "big")  # behind the JFIF segment, where readers look for it
    return jpeg[:after] + b"\xff\xfe" + (len(comment) + 2).to_bytes(2, "big") + comment + jpeg[after:]


def mixed(out, mib, folder):
    photos = pictures(folder)
    size = mib * 1024 * 1024
    # Prose repeats after 4 MB, far beyond what deflate's 32 KB window can see.
    text = prose(min(size // 2, ProseBlock) + len(photos[0]))
    data, t, k = bytearray(), 0, 0
    while len(data) < size:
        photo = photos[k % len(photos)]
        data += photo
        data += text[t : t + len(photo)]
        t = (t + len(photo)) % (len(text) - len(photo))
        k += 1
    open(out, "wb").write(bytes(data[:size]))


def document(path, mb, folder):
    import docx
    from docx.shared import Cm

    photos = pictures(folder)
    doc = docx.Document(path)
    text = prose(120000).decode("utf-8", "ignore")
    for paragraph in text.split("\n"):
        doc.add_paragraph(paragraph)
    k = 0
    while True:
        buffer = io.BytesIO()
        doc.save(buffer)
        if buffer.tell() >= mb * 1000 * 1000:
            break
        for _ in range(8):
            doc.add_picture(io.BytesIO(distinct(photos[k % len(photos)], k)), width=Cm(14))
            k += 1
    open(path, "wb").write(buffer.getvalue())


def text(path, mb):
    import docx

    doc = docx.Document(path)
    body = prose(mb * 1000 * 1000).decode("utf-8", "ignore")
    for paragraph in body.split("\n"):
        doc.add_paragraph(paragraph)
    doc.save(path)


if __name__ == "__main__":
    command = sys.argv[1] if len(sys.argv) > 1 else ""
    if command == "prose" and len(sys.argv) == 4:
        open(sys.argv[2], "wb").write(prose(int(sys.argv[3])))
    elif command == "mixed" and len(sys.argv) == 5:
        mixed(sys.argv[2], int(sys.argv[3]), sys.argv[4])
    elif command == "document" and len(sys.argv) == 5:
        document(sys.argv[2], int(sys.argv[3]), sys.argv[4])
    elif command == "text" and len(sys.argv) == 4:
        text(sys.argv[2], int(sys.argv[3]))
    else:
        sys.exit(__doc__)
