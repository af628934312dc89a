#!/usr/bin/env python3
"""The helper of bench/real_corpus.sh: gathers the corpus from files Debian
ships, works out each file's reference addresses with standard decoders and
one address pattern, and compares what ornavex-cli found with them.

    real_corpus.py collect DATA [MAN_PAGES]  DATA/files/, DATA/manifest.tsv
    real_corpus.py reference DATA            DATA/reference.json
    real_corpus.py find DATA CLI FOUND       ornavex-cli on each file: FOUND/N.txt
    real_corpus.py compare DATA FOUND LABEL  the table; DATA/disagreements-LABEL.txt

The reference knows nothing of ornavex: zcat for gzip, groff for manual
pages, pdftotext for PDF, unzip for office documents, Python's email and
html modules for mail and web pages, tarfile and zipfile for archives, and
the address pattern below over the text they give.
"""
import email
import email.policy
import glob
import html
import html.parser
import json
import lzma
import bz2
import concurrent.futures
import gzip
import os
import re
import shutil
import subprocess
import sys
import tarfile
import time
import urllib.parse
import zipfile

# An address: a local part and a domain of labels ending in two letters or
# more, standing alone: no letter, digit or address character of any script
# right before it or right after it (a final period ends a sentence).
ADDRESS = re.compile(
    r"(?<![\w.+\-@])[A-Za-z0-9_\-][A-Za-z0-9_.+\-]*@(?:[A-Za-z0-9\-]+\.)+[A-Za-z]{2,}"
    r"(?![\w\-@+])(?!\.[\w\-])")

# How many copyright files become a .docx and an .odt each.
OFFICE_SOURCES = 100

KINDS = ["compressed text", "plain text", "manual pages", "web pages", "PDF", "mail",
         "office documents", "archives"]


def addresses(text):
    return {match.lower() for match in ADDRESS.findall(text)}


def text_of_bytes(data):
    """Text as a reader without other knowledge sees it: UTF-16 by its mark,
    otherwise UTF-8, with bytes that are not UTF-8 kept as characters of
    their own that no address holds."""
    if data.startswith(b"\xff\xfe") or data.startswith(b"\xfe\xff"):
        return data.decode("utf-16", "replace")
    if data.startswith(b"\xef\xbb\xbf"):
        data = data[3:]
    return data.decode("utf-8", "surrogateescape")


def run(command, data=None):
    try:
        done = subprocess.run(command, input=data, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, timeout=300)
        return done.stdout
    except subprocess.TimeoutExpired:
        return b""


# ---------------------------------------------------------------- collect

def collect(data, man_pages):
    """Copies the corpus files into DATA/files/KIND/ under names made from
    their paths, and lists them in DATA/manifest.tsv."""
    chosen = {kind: [] for kind in KINDS}
    doc = "/usr/share/doc"
    for path in sorted(glob.glob(doc + "/*/*.gz")):
        name = os.path.basename(path)
        if re.match(r"(changelog|NEWS|README|TODO|AUTHORS|THANKS|CREDITS)", name):
            chosen["compressed text"].append(path)
    for path in sorted(glob.glob(doc + "/*/copyright")):
        if os.path.isfile(path):
            chosen["plain text"].append(path)
    for path in sorted(glob.glob(doc + "/**/*.txt", recursive=True)):
        if os.path.isfile(path) and not os.path.islink(path):
            chosen["plain text"].append(path)
    pages = sorted(glob.glob("/usr/share/man/man[1-8]/*.gz"))
    step = max(1, len(pages) // man_pages)
    chosen["manual pages"] = [p for p in pages[::step] if not os.path.islink(p)][:man_pages]
    for path in sorted(glob.glob(doc + "/**/*.htm*", recursive=True)):
        if os.path.isfile(path) and not os.path.islink(path):
            chosen["web pages"].append(path)
    for root in (doc, "/usr/share/R/doc"):
        for path in sorted(glob.glob(root + "/**/*.pdf", recursive=True)):
            if os.path.isfile(path):
                chosen["PDF"].append(path)
    for path in sorted(glob.glob("/usr/lib/python3*/test/test_email/data/msg_*.txt")):
        chosen["mail"].append(path)
    for pattern in ("/usr/src/glibc/*.tar.*", "/usr/share/python-wheels/*.whl"):
        chosen["archives"].extend(sorted(glob.glob(pattern)))
    # Office documents: copyright files, read as Markdown (quotes made
    # typographic, <address> made a mailto: link), written by pandoc.
    made = os.path.join(data, "made")
    os.makedirs(made, exist_ok=True)
    texts = chosen["plain text"][:]
    texts = [p for p in texts if p.endswith("/copyright")]
    for path in texts[::max(1, len(texts) // OFFICE_SOURCES)][:OFFICE_SOURCES]:
        for suffix in ("docx", "odt"):
            target = os.path.join(made, "%s.%s" % (path.strip("/").replace("/", "_"), suffix))
            if os.path.exists(target) or subprocess.run(
                    ["pandoc", "-f", "markdown", "-o", target, path],
                    stderr=subprocess.DEVNULL).returncode == 0:
                chosen["office documents"].append(target)

    with open(os.path.join(data, "manifest.tsv"), "w") as manifest:
        for kind, paths in chosen.items():
            folder = os.path.join(data, "files", kind.replace(" ", "-"))
            os.makedirs(folder, exist_ok=True)
            seen = set()
            for path in paths:
                real = os.path.realpath(path)
                if real in seen:
                    continue
                seen.add(real)
                name = path.strip("/").replace("/", "_")
                target = os.path.join(folder, name)
                shutil.copyfile(real, target)
                manifest.write("%s\t%s\t%s\n" % (kind, target, path))
    # The office documents are made by real_corpus.sh with pandoc; it lists them.


# -------------------------------------------------------------- reference

class ShownText(html.parser.HTMLParser):
    """The text of a web page as a browser shows it, and its mailto: targets."""
    BLOCKS = {"p", "div", "br", "li", "ul", "ol", "tr", "td", "th", "table", "h1", "h2", "h3",
              "h4", "h5", "h6", "pre", "dt", "dd", "dl", "blockquote", "hr", "section",
              "article", "header", "footer", "nav", "title", "body", "head", "html", "form",
              "address", "caption", "tbody", "thead", "option", "figure", "main", "aside"}

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.parts = []
        self.skip = 0

    def handle_starttag(self, tag, attrs):
        if tag in ("script", "style"):
            self.skip += 1
        if tag in self.BLOCKS:
            self.parts.append("\n")
        for name, value in attrs:
            if name == "href" and value and value.lower().startswith("mailto:"):
                target = urllib.parse.unquote(value[7:].split("?")[0])
                self.parts.append("\n%s\n" % target.replace(",", "\n"))

    def handle_endtag(self, tag):
        if tag in ("script", "style") and self.skip:
            self.skip -= 1
        if tag in self.BLOCKS:
            self.parts.append("\n")

    def handle_data(self, text):
        if not self.skip:
            self.parts.append(text)


def web_page_text(data):
    head = data[:4096].decode("ascii", "replace").lower()
    match = re.search(r'charset=["\']?([a-z0-9_\-]+)', head)
    encoding = match.group(1) if match else "utf-8"
    try:
        text = data.decode(encoding, "replace")
    except LookupError:
        text = data.decode("utf-8", "replace")
    parser = ShownText()
    parser.feed(text)
    parser.close()
    return "".join(parser.parts)


class XmlText(html.parser.HTMLParser):
    """The text of an office document's XML part: runs joined, paragraphs,
    breaks and tabs apart; mailto: targets."""
    BREAKS = {"w:p", "w:br", "w:tab", "w:cr", "text:p", "text:h", "text:line-break", "text:tab",
              "text:s", "a:p", "table:table-cell", "w:tc"}

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.parts = []

    def handle_starttag(self, tag, attrs):
        if tag in self.BREAKS:
            self.parts.append("\n")
        for name, value in attrs:
            if name in ("xlink:href", "target") and value and value.lower().startswith("mailto:"):
                self.parts.append("\n%s\n" % urllib.parse.unquote(value[7:].split("?")[0]))

    handle_startendtag = handle_starttag

    def handle_endtag(self, tag):
        if tag in self.BREAKS:
            self.parts.append("\n")

    def handle_data(self, text):
        self.parts.append(text)


def office_text(path):
    listing = run(["unzip", "-Z1", path]).decode("utf-8", "replace").split("\n")
    parts = [name for name in listing
             if re.match(r"(word/(document|header\d*|footer\d*|footnotes|endnotes)\.xml"
                         r"|word/_rels/document\.xml\.rels|content\.xml|styles\.xml"
                         r"|ppt/slides/slide\d+\.xml|ppt/slides/_rels/.*\.rels)$", name)]
    texts = []
    for name in parts:
        parser = XmlText()
        parser.feed(run(["unzip", "-p", path, name]).decode("utf-8", "replace"))
        parser.close()
        texts.append("".join(parser.parts))
    return "\n".join(texts)


def member_text(data):
    """A member of an archive: decompressed once if it is compressed, then text."""
    try:
        if data[:2] == b"\x1f\x8b":
            data = gzip.decompress(data)
        elif data[:6] == b"\xfd7zXZ\x00":
            data = lzma.decompress(data)
        elif data[:3] == b"BZh":
            data = bz2.decompress(data)
    except (OSError, EOFError, lzma.LZMAError, ValueError):
        pass
    return text_of_bytes(data)


def archive_addresses(path):
    found = set()
    if zipfile.is_zipfile(path):
        with zipfile.ZipFile(path) as archive:
            for info in archive.infolist():
                if not info.is_dir():
                    found |= addresses(member_text(archive.read(info)))
        return found
    with tarfile.open(path) as archive:
        for member in archive:
            if member.isfile():
                found |= addresses(member_text(archive.extractfile(member).read()))
    return found


def mail_text(path):
    with open(path, "rb") as file:
        message = email.message_from_binary_file(file, policy=email.policy.default)
    texts = []
    for part in message.walk():
        for name, value in part.items():
            texts.append("%s: %s" % (name, value))
        if part.is_multipart():
            # A multipart whose boundary is missing keeps its body as text.
            if isinstance(part.get_payload(), str):
                texts.append(part.get_payload())
            continue
        payload = part.get_payload(decode=True) or b""
        if part.get_content_maintype() == "text":
            charset = part.get_content_charset() or "utf-8"
            try:
                text = payload.decode(charset, "replace")
            except LookupError:
                text = payload.decode("utf-8", "replace")
            texts.append(web_page_text(text.encode("utf-8"))
                         if part.get_content_subtype() == "html" else text)
        else:
            texts.append(text_of_bytes(payload))
    return "\n".join(texts)


def manual_page_text(path):
    roff = run(["zcat", path])
    return run(["groff", "-k", "-t", "-man", "-Tascii", "-P-cbou", "-rHY=0", "-rLL=250n"],
               roff).decode("ascii", "replace")


def reference_of(kind, path):
    if kind == "compressed text":
        return addresses(text_of_bytes(run(["zcat", path])))
    if kind == "plain text":
        with open(path, "rb") as file:
            return addresses(text_of_bytes(file.read()))
    if kind == "manual pages":
        return addresses(manual_page_text(path))
    if kind == "web pages":
        with open(path, "rb") as file:
            return addresses(web_page_text(file.read()))
    if kind == "PDF":
        return addresses(run(["pdftotext", "-enc", "UTF-8", path, "-"]).decode("utf-8", "replace"))
    if kind == "mail":
        return addresses(mail_text(path))
    if kind == "office documents":
        return addresses(office_text(path))
    return archive_addresses(path)


def manifest(data):
    with open(os.path.join(data, "manifest.tsv")) as file:
        return [line.rstrip("\n").split("\t") for line in file if line.strip()]


def reference(data):
    result = {}
    for kind, path, _ in manifest(data):
        result[path] = sorted(reference_of(kind, path))
    with open(os.path.join(data, "reference.json"), "w") as file:
        json.dump(result, file, indent=0, sort_keys=True)


# ------------------------------------------------------------------- find

def find(data, cli, found_dir):
    """Runs ornavex-cli on each file alone, two at a time."""
    os.makedirs(found_dir, exist_ok=True)
    files = manifest(data)

    def one(index):
        output = run([cli, "-q", files[index][1]])
        with open(os.path.join(found_dir, "%d.txt" % index), "wb") as file:
            file.write(output)

    start = time.monotonic()
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        list(pool.map(one, range(len(files))))
    print("%s read %d files in %.1f s" % (cli, len(files), time.monotonic() - start))


# ---------------------------------------------------------------- compare

def compare(data, found_dir, label):
    with open(os.path.join(data, "reference.json")) as file:
        expected = json.load(file)
    rows = {kind: [0, 0, 0, 0] for kind in KINDS}  # files, reference, found, both
    disagreements = []
    for index, (kind, path, source) in enumerate(manifest(data)):
        with open(os.path.join(found_dir, "%d.txt" % index), encoding="utf-8",
                  errors="surrogateescape") as file:
            found = {line.strip().lower() for line in file if line.strip()}
        wanted = set(expected[path])
        row = rows[kind]
        row[0] += 1
        row[1] += len(wanted)
        row[2] += len(found)
        row[3] += len(wanted & found)
        if wanted != found:
            disagreements.append((kind, source, sorted(wanted - found), sorted(found - wanted)))

    print("| kind | files | reference | found | both | recall | precision |")
    print("|---|---:|---:|---:|---:|---:|---:|")
    total = [0, 0, 0, 0]
    for kind in KINDS:
        files, wanted, found, both = rows[kind]
        if files == 0:
            continue
        total = [a + b for a, b in zip(total, rows[kind])]
        print("| %s | %d | %d | %d | %d | %s | %s |" % (
            kind, files, wanted, found, both, percent(both, wanted), percent(both, found)))
    print("| all | %d | %d | %d | %d | %s | %s |" % (
        total[0], total[1], total[2], total[3], percent(total[3], total[1]),
        percent(total[3], total[2])))

    report = os.path.join(data, "disagreements-%s.txt" % label)
    with open(report, "w", encoding="utf-8", errors="surrogateescape") as file:
        for kind, source, missing, extra in disagreements:
            file.write("%s\t%s\n" % (kind, source))
            for address in missing:
                file.write("  only in the reference: %s\n" % address)
            for address in extra:
                file.write("  only found by ornavex: %s\n" % address)
    print()
    print("%d files disagree (all of them in %s); the most:" % (len(disagreements), report))
    disagreements.sort(key=lambda d: -(len(d[2]) + len(d[3])))
    for kind, source, missing, extra in disagreements[:25]:
        print("  %-16s %s: %d missed (%s), %d extra (%s)" % (
            kind, source, len(missing), " ".join(missing[:2]), len(extra), " ".join(extra[:2])))


def percent(part, whole):
    return "%.1f %%" % (100.0 * part / whole) if whole else "-"


if __name__ == "__main__":
    command = sys.argv[1]
    if command == "collect":
        collect(sys.argv[2], int(sys.argv[3]) if len(sys.argv) > 3 else 3000)
    elif command == "reference":
        reference(sys.argv[2])
    elif command == "find":
        find(sys.argv[2], sys.argv[3], sys.argv[4])
    elif command == "compare":
        compare(sys.argv[2], sys.argv[3], sys.argv[4])
    else:
        sys.exit("usage: real_corpus.py collect|reference|compare DATA ...")
