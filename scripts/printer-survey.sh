#!/bin/bash
# Prints a No. 10 envelope on queues made from real makers' PPDs and tells,
# for each, whether the job went to the paper source a person would load
# envelopes into. Run by hand (root, cupsd running, file: devices allowed);
# not for CI: it takes a few seconds a PPD and needs the driver packages.
#
# Which PPDs: those that `lpinfo -m` lists from openprinting-ppds and
# postscript-hp, that have a No. 10 envelope size and either an envelope
# feeder slot or a by-pass / multi-purpose / manual one. A sample of them,
# the same for the same seed, with every maker in it at least once and, as far
# as the count allows, each maker's PPDs with and without an envelope feeder.
#
# For each sampled PPD: a file: queue (the installable envelope feeder set
# installed when the PPD has one), one envelope printed with $SURVEY_PRINT_CMD,
# the InputSlot read back from what the driver wrote, and a row:
#   maker  model  chosen slot  slot to load envelopes into  right/wrong  seconds
# "To load" goes by the slot's text: an envelope feeder first, else a
# multi-purpose / by-pass / manual slot; a slot an installed option rules out
# (UIConstraints) does not count, nor one that picks a tray by media type
# (Oki's "Envelope" beside "Plain Paper"); a tray an installed option makes an
# envelope feeder (HP's Tray 3 = "Envelope Feeder") counts as one.
#
# Usage: printer-survey.sh [--all] [--count N] [--seed S] [--lang en|all]
#                          [--model RE] [--list] [--keep] [--rescan]
#   --all        every matching PPD, not a sample (hours)
#   --count N    sample size (default 20; raised to the number of makers)
#   --seed S     sample seed (default 1)
#   --lang L     only PPDs in language L (default en); all: every language
#   --list       print the sample and stop: no queues, no jobs
#   --keep       leave the survey queues (survey-N) in place
#   --rescan     read the PPD archives again even if the cached list is current
#   --model RE   only models whose name matches the regular expression RE
# Environment:
#   SURVEY_PRINT_CMD  the command that prints one envelope; QUEUE and PDF in it
#                     are replaced by the queue's name and a No. 10 envelope
#                     PDF (also given as $SURVEY_QUEUE and $SURVEY_PDF).
#                     Default: envelope --printer QUEUE (build/dev's, if built)
#   SURVEY_WORK       folder for the PPD list, the driver output and the table
#                     (default /var/tmp/printer-survey)
#   SURVEY_TIMEOUT    seconds to wait for a job (default 60)
set -u
# Read whole before it runs: editing the file meanwhile must not change a run.
{
COUNT=20
SEED=1
LANG_WANTED=en
ALL=0
LIST_ONLY=0
KEEP=0
RESCAN=0
MODEL_RE=
while [ $# -gt 0 ]; do
    case "$1" in
        --all) ALL=1 ;;
        --count) COUNT=${2:?--count needs a number}; shift ;;
        --seed) SEED=${2:?--seed needs a number}; shift ;;
        --lang) LANG_WANTED=${2:?--lang needs a language}; shift ;;
        --list) LIST_ONLY=1 ;;
        --keep) KEEP=1 ;;
        --rescan) RESCAN=1 ;;
        --model) MODEL_RE=${2:?--model needs a pattern}; shift ;;
        -h|--help) sed -n '2,42p' "$0"; exit 0 ;;
        *) echo "printer-survey.sh: unknown option '$1'" >&2; exit 2 ;;
    esac
    shift
done

# The envelope command of this tree's build when there is one, else the installed one.
HERE=$(cd "$(dirname "$0")" && pwd)
ENVELOPE=envelope
[ -x "$HERE/../build/dev/cli/envelope" ] && ENVELOPE=$HERE/../build/dev/cli/envelope
PRINT_CMD=${SURVEY_PRINT_CMD:-$ENVELOPE --printer QUEUE}
WORK=${SURVEY_WORK:-/var/tmp/printer-survey}
TIMEOUT=${SURVEY_TIMEOUT:-60}
PATH="$PATH:/usr/sbin:/sbin"
DRIVER_DIR=$(cups-config --serverbin 2>/dev/null || echo /usr/lib/cups)/driver

die() { echo "printer-survey.sh: $*" >&2; exit 1; }

[ "$(id -u)" -eq 0 ] || die "must run as root (it adds queues and reads their output)"
for tool in lpadmin lpinfo lpstat lp python3 gs; do
    command -v "$tool" >/dev/null 2>&1 || die "'$tool' is missing"
done
lpstat -r 2>/dev/null | grep -qx 'scheduler is running' || die "cupsd is not running (scripts/start-cups.sh starts it)"
grep -Eq '^[[:space:]]*FileDevice[[:space:]]+Yes' /etc/cups/cups-files.conf \
    || die "file: devices are not allowed: add 'FileDevice Yes' to /etc/cups/cups-files.conf and restart cupsd"

mkdir -p "$WORK/out" || die "cannot create $WORK"
HELPER=$WORK/survey-helper.py

# ---- The PPD reader, sampler and judge ---------------------------------------
cat >"$HELPER" <<'PYTHON'
import base64, lzma, random, re, runpy, sys

ENV10 = (297.0, 684.0)  # 4.125 x 9.5 in, in points

# Words of slot texts, in the languages the drivers ship.
ENVELOPE = re.compile(r"envelop|enveloppe|\bsobres?\b|\bbust[ae]\b|kuvert|umschlag|briefh", re.I)
MANUAL = re.compile(r"manual|manuel|\bman\b|hand|alimentation manuelle", re.I)
BYPASS = re.compile(r"by-?pass|multi[- ]?purpose|multipurpose|multi[- ]?tray|\bmp\b|\bmpt\b|\bmsi\b|"
                    r"universal|mehrzweck|multi-?usages?|polyvalent|multiformato|multifun|multi-hojas", re.I)


def decode(raw):
    enc = re.search(rb"^\*LanguageEncoding:\s*(\S+)", raw, re.M)
    if enc and enc.group(1).lower() in (b"utf-8", b"utf8"):
        return raw.decode("utf-8", "replace")
    try:
        return raw.decode("utf-8")
    except UnicodeDecodeError:
        return raw.decode("latin-1")


def key_text(spec):
    key, _, text = spec.partition("/")
    return key.strip(), (text.strip() or key.strip())


def parse(text):
    """Sizes, slots (key, text, code), envelope media types, installable
    options and the constraints between them and InputSlot."""
    sizes, slots, media, installable, cons = {}, [], [], {}, []
    defaults = {}
    group, ui = None, None
    lines = text.splitlines()
    for i, line in enumerate(lines):
        if line.startswith("*OpenGroup:"):
            group = line.split(":", 1)[1].strip().split("/")[0]
        elif line.startswith("*CloseGroup:"):
            group = None
        elif line.startswith("*OpenUI"):
            m = re.match(r"\*OpenUI\s+\*([^\s/:]+)(?:/([^:]*))?:", line)
            ui = m.group(1) if m else None
            if ui and group == "InstallableOptions":
                installable[ui] = {"text": (m.group(2) or ui).strip(), "choices": []}
        elif line.startswith("*CloseUI"):
            ui = None
        elif re.match(r"\*(Non)?UIConstraints:", line):
            toks = []
            for p in line.split(":", 1)[1].split():
                if p.startswith("*"):
                    toks.append([p[1:], None])
                elif toks:
                    toks[-1][1] = p
            if len(toks) == 2:
                cons.append(tuple(toks[0] + toks[1]))
        else:
            m = re.match(r"\*Default([^\s:]+):\s*(\S+)", line)
            if m:
                defaults[m.group(1)] = m.group(2)
            m = re.match(r"\*PaperDimension\s+([^\s/:]+)[^:]*:\s*\"\s*([\d.]+)\s+([\d.]+)", line)
            if m:
                sizes[m.group(1)] = (float(m.group(2)), float(m.group(3)))
            m = re.match(r"\*InputSlot\s+([^:]+):\s*(.*)", line)
            if m:
                key, label = key_text(m.group(1))
                code = m.group(2)
                if code.startswith('"'):
                    code = code[1:]
                    j = i
                    while '"' not in code and j + 1 < len(lines):
                        j += 1
                        code += "\n" + lines[j]
                    code = code.split('"')[0]
                slots.append((key, label, code.strip()))
            m = re.match(r"\*MediaType\s+([^:]+):", line)
            if m:
                key, label = key_text(m.group(1))
                if re.search(r"env|umschlag|sobre|bust", key + " " + label, re.I):
                    media.append((key, label))
            if ui in installable:
                m = re.match(r"\*" + re.escape(ui) + r"\s+([^:]+):", line)
                if m:
                    installable[ui]["choices"].append(key_text(m.group(1)))
    return sizes, slots, media, installable, cons, defaults


def env10_name(sizes):
    for name, (w, h) in sizes.items():
        if abs(w - ENV10[0]) <= 2 and abs(h - ENV10[1]) <= 2:
            return name
    for name in sizes:
        if re.fullmatch(r"(Env|EnvCom|Com|Comm)[-_#]?(No)?10(\..*)?", name, re.I):
            return name
    return None


def feeder_option(installable):
    """OPTION=CHOICE that installs an envelope feeder, or None."""
    for opt, info in installable.items():
        if ENVELOPE.search(info["text"]):
            for key, text in info["choices"]:
                if re.fullmatch(r"true|installed\w*|yes|on", key, re.I) or re.fullmatch(r"installed", text, re.I):
                    return f"{opt}={key}"
        for key, text in info["choices"]:
            if ENVELOPE.search(text) and not re.search(r"not installed", text, re.I):
                return f"{opt}={key}"
    return None


def kind(key, text):
    """feeder, manual-envelope, by-pass, manual or None, by the slot's text."""
    t = text if text != key else re.sub(r"([a-z])([A-Z0-9])", r"\1 \2", key)
    if ENVELOPE.search(t) and not MANUAL.search(t) and not BYPASS.search(t):
        return "feeder"
    if ENVELOPE.search(t) and MANUAL.search(t):
        return "manual-envelope"
    if BYPASS.search(t):
        return "by-pass"
    if MANUAL.search(t):
        return "manual"
    return None


def ruled_out(slots, cons, defaults, installable):
    """Slots an installable option's present choice rules out."""
    def matches(opt, choice):
        value = defaults.get(opt)
        if choice is None:
            return value not in (None, "False", "None", "Off", "NotInstalled")
        return value == choice
    out = set()
    for o1, c1, o2, c2 in cons:
        if o2 == "InputSlot" and o1 in installable and c2 and matches(o1, c1):
            out.add(c2)
        if o1 == "InputSlot" and o2 in installable and c1 and matches(o2, c2):
            out.add(c1)
    return out


MEDIA_TYPE_WORDS = re.compile(r"^(plain|letterhead|transparency|labels?|bond|recycled|card ?stock|cardstock|"
                              r"glossy|rough|envelopes?)( paper)?$", re.I)


def by_type(slots):
    """Slots that pick a tray by the media type set on the printer (Oki's
    "Plain Paper", "Letterhead", "Envelope"...), not a tray of their own."""
    named = [k for k, t, _ in slots if MEDIA_TYPE_WORDS.match(t.strip())]
    return set(named) if len(named) >= 3 else set()


def feeder_trays(slots, defaults, installable):
    """Trays an installed option makes an envelope feeder: HP's
    HPOption_Tray3=HP75SheetInputTray ("Envelope Feeder") turns the slot
    Tray3, text "Tray 3", into one."""
    trays = set()
    for opt, info in installable.items():
        choice = defaults.get(opt)
        text = dict(info["choices"]).get(choice, "")
        n = re.search(r"tray_?(\d+)", opt, re.I)
        if n and ENVELOPE.search(text) and not re.search(r"not installed", text, re.I):
            trays |= {k for k, _, _ in slots if re.fullmatch(r"tray_?0*" + n.group(1), k, re.I)}
    return trays


def to_load(slots, cons, defaults, installable):
    """The slots to load envelopes into, best first, and their kind."""
    gone = ruled_out(slots, cons, defaults, installable) | by_type(slots)
    usable = [(k, t) for k, t, _ in slots if k not in gone]
    trays = feeder_trays(slots, defaults, installable)
    feeders = [(k, t) for k, t in usable if kind(k, t) == "feeder" or k in trays]
    if feeders:
        return feeders, "feeder"
    order = ("manual-envelope", "by-pass", "manual")
    others = sorted([(k, t) for k, t in usable if kind(k, t) in order], key=lambda s: order.index(kind(*s)))
    return others, ("by-pass/manual" if others else None)


def maker_of(make):
    m = make.strip().lower()
    for prefix, name in (("kyocera", "Kyocera"), ("utax", "Utax"), ("ricoh", "Ricoh"), ("epson", "Epson"),
                         ("konica", "Konica Minolta"), ("hp", "HP"), ("oki", "Oki")):
        if m.startswith(prefix):
            return name
    return make.strip()


def scan(lpinfo_path, lang):
    """One line a PPD that fits: uri maker model size install-option slots."""
    listed = {}
    with open(lpinfo_path, encoding="utf-8", errors="replace") as f:
        for line in f:
            uri, _, model = line.rstrip("\n").partition(" ")
            drv, _, rest = uri.partition(":")
            if drv in ("openprinting-ppds", "postscript-hp"):
                # "N/path": the same PPD under several indexes.
                listed.setdefault((drv, rest.split("/", 1)[-1]), (uri, model))
    driver_dir = sys.argv[2]
    seen = set()
    for drv in ("openprinting-ppds", "postscript-hp"):
        try:
            index = runpy.run_path(f"{driver_dir}/{drv}", run_name="survey")["load"]()
        except OSError:
            print(f"printer-survey: no driver {drv}", file=sys.stderr)
            continue
        archive = lzma.decompress(base64.b64decode(index["ARCHIVE"]))
        for key, (start, length, entries) in ((k, v[:3]) for k, v in index.items() if k != "ARCHIVE"):
            path = key.split("/", 1)[-1]
            if (drv, path) not in listed:
                continue
            m = re.match(r'"[^"]+"\s+(\S+)\s+"([^"]*)"', entries[0]) if entries else None
            ppd_lang, make = (m.group(1), m.group(2)) if m else ("?", "?")
            if lang != "all" and ppd_lang != lang:
                continue
            sizes, slots, _, installable, cons, defaults = parse(decode(archive[start:start + length]))
            size = env10_name(sizes)
            if not size:
                continue
            option = feeder_option(installable)
            if option:
                o, c = option.split("=", 1)
                defaults[o] = c
            load, load_kind = to_load(slots, cons, defaults, installable)
            if not load:
                continue
            uri, model = listed[(drv, path)]
            if (make, model) in seen:
                continue
            seen.add((make, model))
            clean = lambda s: re.sub(r"[\t|]", " ", s)
            print("\t".join([uri, maker_of(make), clean(model), size, option or "-", load_kind,
                             "|".join(f"{clean(k)}/{clean(t)}" for k, t, _ in slots)]))


def sample(path, count, seed, everything, model_re):
    rows = [line.rstrip("\n").split("\t") for line in open(path, encoding="utf-8") if line.strip()]
    if model_re:
        rows = [r for r in rows if re.search(model_re, r[2], re.I)]
    if everything:
        chosen = rows
    else:
        # Every maker once; then each maker's other kind of slot (an envelope
        # feeder, or only a by-pass tray) once, as far as the count goes;
        # then any.
        rng = random.Random(seed)
        rows.sort()
        rng.shuffle(rows)
        chosen, taken = [], set()
        def take(r):
            chosen.append(r)
            taken.add(r[0])
        for r in rows:
            if r[1] not in {c[1] for c in chosen}:
                take(r)
        for r in rows:
            if len(chosen) >= count:
                break
            if r[0] not in taken and (r[1], r[5]) not in {(c[1], c[5]) for c in chosen}:
                take(r)
        for r in rows:
            if len(chosen) >= count:
                break
            if r[0] not in taken:
                take(r)
        chosen.sort(key=lambda r: (r[1], r[2]))
    for r in chosen:
        print("\t".join(r))


def foomatic_codes(text, slots):
    """What a foomatic-rip PPD's slot puts in the output: the code of its
    *FoomaticRIPOptionSetting, or the bytes its perl s/.../.../ writes there
    (Ricoh's PCL XL PPDs set the MediaSource byte that way)."""
    codes = {}
    for key, _, code in slots:
        if "FoomaticRIPOptionSetting" not in code:
            continue
        m = re.search(r'^\*FoomaticRIPOptionSetting\s+InputSlot=' + re.escape(key) + r':\s*"(.*?)"', text, re.M | re.S)
        if not m:
            continue
        setting = m.group(1).replace("&quot;", '"').replace("&&", "\n")
        sub = re.search(r"s/(?:[^/\\]|\\.)*/((?:[^/\\]|\\.)*)/", setting)
        if sub:
            codes[key] = re.sub(r"\\x([0-9a-fA-F]{2})", lambda h: chr(int(h.group(1), 16)), sub.group(1))
        else:
            codes[key] = setting
    return codes


def judge(ppd_path, output_path):
    """chosen-slot  size  to-load(best first, comma)  kind  verdict"""
    with open(ppd_path, "rb") as f:
        ppd_text = decode(f.read())
    sizes, slots, _, installable, cons, defaults = parse(ppd_text)
    extra = foomatic_codes(ppd_text, slots)
    slots = [(k, t, extra.get(k, c)) for k, t, c in slots]
    load, load_kind = to_load(slots, cons, defaults, installable)
    try:
        with open(output_path, "rb") as f:
            out = f.read().decode("latin-1")
    except OSError:
        out = ""
    chosen = None
    features = re.findall(r"%%BeginFeature:\s*\*InputSlot\s+(\S+)", out)
    if features:
        chosen = features[-1]
    else:
        # No DSC comments: the slot whose code, and no other slot's, is there.
        # PPD codes write control characters as <hex>: "@PJL SET TRAY=BYPASS<0A>".
        unhex = lambda c: re.sub(r"<((?:[0-9A-Fa-f]{2}\s*)+)>",
                                 lambda m: bytes.fromhex(re.sub(r"\s", "", m.group(1))).decode("latin-1"), c)
        squash = lambda s: re.sub(r"\s+", " ", s).strip()
        flat = squash(out)
        hits = [k for k, _, code in slots if squash(unhex(code)) and squash(unhex(code)) in flat]
        codes = {squash(unhex(c)) for k, _, c in slots if k in hits}
        if len(hits) == 1 or (hits and len(codes) == 1):
            chosen = hits[-1]
        elif hits:
            chosen = "?(" + ",".join(hits) + ")"
    sizes_seen = re.findall(r"%%BeginFeature:\s*\*(?:PageSize|PageRegion)\s+(\S+)", out)
    box = re.search(r"%%(?:HiRes)?BoundingBox:\s*0 0 ([\d.]+) ([\d.]+)|/MediaBox\s*\[\s*0 0 ([\d.]+) ([\d.]+)", out)
    box = [round(float(v)) for v in box.groups() if v] if box else None
    size = sizes_seen[-1] if sizes_seen else (f"{box[0]}x{box[1]}pt" if box else "?")
    keys = [k for k, _ in load]
    if not out:
        verdict = "no-output"
    elif chosen is None:
        verdict = "wrong(default)"
    elif chosen.startswith("?("):
        verdict = "unclear"
    elif chosen in by_type(slots):
        verdict = "wrong(by-type)"
    else:
        verdict = "right" if chosen in keys else "wrong"
    texts = dict((k, t) for k, t, _ in slots)
    shown = lambda k: f"{k}/{texts.get(k, '?')}" if k else "-"
    print("\t".join([shown(chosen) if chosen else f"(none; default {defaults.get('InputSlot', '?')})",
                     size, ",".join(shown(k) for k in keys) or "-", load_kind or "-", verdict]))


if __name__ == "__main__":
    sys.stdout.reconfigure(encoding="utf-8")
    what = sys.argv[1]
    if what == "scan":
        scan(sys.argv[3], sys.argv[4])
    elif what == "sample":
        sample(sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), sys.argv[5] == "1", sys.argv[6])
    elif what == "judge":
        judge(sys.argv[2], sys.argv[3])
PYTHON

# ---- The PPDs that fit ---------------------------------------------------------
# Reading every PPD takes about half a minute; the list is kept until the
# driver packages change.
STAMP="$(dpkg-query -W -f='${Package}=${Version} ' openprinting-ppds printer-driver-postscript-hp 2>/dev/null) lang=$LANG_WANTED list=3"
CANDIDATES=$WORK/candidates-$LANG_WANTED.tsv
if [ $RESCAN -eq 1 ] || [ ! -s "$CANDIDATES" ] || [ "$(cat "$CANDIDATES.stamp" 2>/dev/null)" != "$STAMP" ]; then
    echo "Reading the PPDs of openprinting-ppds and postscript-hp..." >&2
    lpinfo -m >"$WORK/lpinfo-m.txt" 2>/dev/null || die "lpinfo -m failed"
    python3 "$HELPER" scan "$DRIVER_DIR" "$WORK/lpinfo-m.txt" "$LANG_WANTED" >"$CANDIDATES.new" \
        || die "reading the PPDs failed"
    mv "$CANDIDATES.new" "$CANDIDATES"
    echo "$STAMP" >"$CANDIDATES.stamp"
fi
echo "$(wc -l <"$CANDIDATES") PPDs have a No. 10 envelope and a slot for it;" \
    "$(cut -f2 "$CANDIDATES" | sort -u | wc -l) makers." >&2

SAMPLE=$WORK/sample.tsv
python3 "$HELPER" sample "$CANDIDATES" "$COUNT" "$SEED" "$ALL" "$MODEL_RE" >"$SAMPLE" || die "sampling failed"
if [ $LIST_ONLY -eq 1 ]; then
    cut -f1-6 "$SAMPLE"
    exit 0
fi

# ---- Printing ------------------------------------------------------------------
PDF=$WORK/envelope-no10.pdf
if [ ! -s "$PDF" ]; then
    gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pdfwrite -dDEVICEWIDTHPOINTS=684 -dDEVICEHEIGHTPOINTS=297 \
        -dFIXEDMEDIA -sOutputFile="$PDF" \
        -c "/Helvetica findfont 12 scalefont setfont 300 140 moveto (Printer survey, 1 Main St) show showpage" \
        || die "cannot make $PDF"
fi
chmod 0644 "$PDF"

QUEUES=()
cleanup() {
    [ $KEEP -eq 1 ] && return
    for q in "${QUEUES[@]}"; do
        lpadmin -x "$q" 2>/dev/null
    done
}
trap cleanup EXIT
trap 'exit 130' INT TERM

jobs_pending() { [ -n "$(lpstat -o "$1" 2>/dev/null)" ]; }

TABLE=$WORK/survey-$(date +%Y%m%d-%H%M%S).tsv
printf 'maker\tmodel\tchosen slot\tsize\tslot to load envelopes\tkind\tverdict\tseconds\tppd\n' | tee "$TABLE"
n=0
right=0
total=0
while IFS=$'\t' read -r uri maker model size option kind slots; do
    n=$((n + 1))
    queue=survey-$n
    out=$WORK/out/$queue.ps
    started=$(date +%s.%N)
    rm -f "$out"
    : >"$out"
    args=(-p "$queue" -E -v "file://$out" -m "$uri" -o printer-error-policy=abort-job)
    [ "$option" != - ] && args+=(-o "$option")
    if ! lpadmin "${args[@]}" 2>"$WORK/out/$queue.lpadmin.err"; then
        printf '%s\t%s\t-\t-\t-\t-\tno-queue\t-\t%s\n' "$maker" "$model" "$uri" | tee -a "$TABLE"
        continue
    fi
    QUEUES+=("$queue")
    if [ "$option" != - ] && ! grep -qx "\*Default${option%%=*}: ${option#*=}" "/etc/cups/ppd/$queue.ppd"; then
        echo "printer-survey.sh: $queue: the PPD did not take $option" >&2
    fi
    cmd=${PRINT_CMD//QUEUE/$queue}
    cmd=${cmd//PDF/$PDF}
    SURVEY_QUEUE=$queue SURVEY_PDF=$PDF timeout "$TIMEOUT" bash -c "$cmd" >"$WORK/out/$queue.cmd.log" 2>&1
    status=$?
    waited=0
    while jobs_pending "$queue" && [ $waited -lt $((TIMEOUT * 5)) ]; do
        sleep 0.2
        waited=$((waited + 1))
    done
    if jobs_pending "$queue"; then
        cancel -a "$queue" 2>/dev/null
    fi
    verdict=$(python3 "$HELPER" judge "/etc/cups/ppd/$queue.ppd" "$out")
    [ $status -ne 0 ] && [ ! -s "$out" ] && verdict=$(echo "$verdict" | awk -F'\t' -v OFS='\t' -v s="$status" '{$5="command-failed(" s ")"; print}')
    seconds=$(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')
    printf '%s\t%s\t%s\t%s\t%s\n' "$maker" "$model" "$verdict" "$seconds" "$uri" | tee -a "$TABLE"
    total=$((total + 1))
    [[ $verdict == *$'\t'right ]] && right=$((right + 1))
    # Each queue kept slows cupsd down for the next ones.
    if [ $KEEP -eq 0 ]; then
        lpadmin -x "$queue" 2>/dev/null
        unset 'QUEUES[-1]'
    fi
done <"$SAMPLE"

echo "$right of $total right; table in $TABLE" >&2
exit 0
}
