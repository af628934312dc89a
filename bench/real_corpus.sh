#!/usr/bin/env bash
# Measures ornavex-cli on files nobody here made: what Debian ships, against
# an independent reference, and prints recall and precision per kind of file
# and the files that disagree.
#
#   bench/real_corpus.sh [--cli PATH] [--label NAME] [--man-pages N] [--fresh]
#
#   --cli PATH      the ornavex-cli to measure (default: build/bin/ornavex-cli,
#                   built with scripts/build.sh when missing)
#   --label NAME    names the list of disagreeing files (default: the git commit)
#   --man-pages N   how many manual pages to take (default 3000)
#   --fresh         gather the corpus and its reference again
#
# The corpus, in bench/data/real/ (outside git), is taken from these Debian
# packages, installed when missing (as root), and from what the system has:
#   - compressed text: the changelog, NEWS and README files (.gz) under
#     /usr/share/doc of every installed package;
#   - plain text: their copyright files, and every .txt file under /usr/share/doc;
#   - manual pages: N of /usr/share/man/man1-8, spread evenly over them;
#   - web pages and PDF: every HTML page and PDF under /usr/share/doc, with
#     the manuals of debian-policy, debian-faq, developers-reference,
#     debian-reference-en, git-doc, gnuplot-doc and r-doc-pdf (its PDF
#     manuals are in /usr/share/R/doc);
#   - mail: Python's e-mail test messages (libpython3.11-testsuite);
#   - office documents: 100 copyright files converted with pandoc, each to a
#     .docx and an .odt (read as Markdown: quotes become typographic);
#   - archives: glibc's source tarball (glibc-source) and the Python wheels
#     of /usr/share/python-wheels.
# The reference (bench/real_corpus.py) reads them with zcat, groff (manual
# pages as they are shown), pdftotext, unzip, and Python's email, html,
# tarfile and zipfile modules, and finds addresses in the text with one
# regular expression of its own. Recall and precision count each file's
# distinct addresses, ignoring letter case.
set -euo pipefail
cd "$(dirname "$0")/.."

cli=build/bin/ornavex-cli
label=""
man_pages=3000
fresh=0
while [ $# -gt 0 ]; do
    case $1 in
    --cli) cli=$2; shift 2 ;;
    --label) label=$2; shift 2 ;;
    --man-pages) man_pages=$2; shift 2 ;;
    --fresh) fresh=1; shift ;;
    *) echo "usage: $0 [--cli PATH] [--label NAME] [--man-pages N] [--fresh]" >&2; exit 2 ;;
    esac
done
[ -n "$label" ] || label=$(git rev-parse --short HEAD 2>/dev/null || echo run)

packages=(python3 pandoc poppler-utils unzip groff-base xz-utils
    debian-policy debian-faq developers-reference debian-reference-en git-doc gnuplot-doc
    r-doc-pdf libpython3.11-testsuite glibc-source)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "installing ${missing[*]}" >&2
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
fi
[ -x "$cli" ] || { scripts/build.sh >/dev/null; }

# Container images of Debian often leave documentation out (a dpkg
# path-exclude for /usr/share/doc and /usr/share/man): the corpus is then thin.
if [ "$(ls /usr/share/doc/*/changelog*.gz 2>/dev/null | wc -l)" -lt 100 ]; then
    echo "note: few changelogs under /usr/share/doc; see /etc/dpkg/dpkg.cfg.d for excludes" >&2
fi

data=bench/data/real
if [ "$fresh" = 1 ] || [ ! -f "$data/reference.json" ]; then
    rm -rf "$data"
    mkdir -p "$data"
    echo "gathering the corpus" >&2
    python3 bench/real_corpus.py collect "$data" "$man_pages"
    echo "working out the reference ($(wc -l <"$data/manifest.tsv") files)" >&2
    python3 bench/real_corpus.py reference "$data"
fi

found="$data/found-$label"
rm -rf "$found"
python3 bench/real_corpus.py find "$data" "$cli" "$found" >&2
python3 bench/real_corpus.py compare "$data" "$found" "$label"
