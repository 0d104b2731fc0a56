#!/usr/bin/env bash
# corpus-run.sh BUILD OUTDIR: runs each importer over ../shared/corpus, one fresh
# virtual handset per file; OUTDIR/results.tsv gets kind, file, exit status,
# what the handset then holds (phone book, calendar) and the last line said.
B=$(realpath "$1"); OUT=$2; C=$(realpath "$(dirname "$0")/../../shared/corpus")
mkdir -p "$OUT"; : > "$OUT/results.tsv"
run_handset() { # $1 dir
  ( cd "$1"; exec "$B/telvane-handset" --state st.json > hs.out 2> hs.err ) &
  HPID=$!
  for i in $(seq 50); do [ -s "$1/hs.out" ] && break; sleep 0.05; done
  DEV=$(head -1 "$1/hs.out")
}
stop_handset() { kill $HPID 2>/dev/null; wait $HPID 2>/dev/null; }
for kind in vcard ics rtttl midi bmp; do
  for f in "$C/$kind"/*; do
    case "$f" in *SOURCES.txt|*README*) continue;; esac
    w=$(mktemp -d)
    case $kind in
      vcard) run_handset $w
        timeout 60 "$B/phondeck" --device $DEV --yes phonebook write "$f" --replace > $w/o 2> $w/e; rc=$?
        held=$(timeout 30 "$B/phondeck" --device $DEV phonebook read 2>/dev/null | tail -n +2 | wc -l); stop_handset;;
      ics) run_handset $w
        timeout 60 "$B/phondeck" --device $DEV --yes calendar write "$f" > $w/o 2> $w/e; rc=$?
        held=$(timeout 30 "$B/phondeck" --device $DEV calendar read 2>/dev/null | tail -n +2 | wc -l); stop_handset;;
      rtttl|midi) run_handset $w
        timeout 60 "$B/phondeck" --device $DEV --yes ringtone write "$f" > $w/o 2> $w/e; rc=$?; held=-; stop_handset;;
      bmp) timeout 30 "$B/phondeck-convert" picture "$f" -o $w/x.ngg > $w/o 2> $w/e; rc=$?; held=-;;
    esac
    msg=$( (cat $w/o; cat $w/e) | grep -v '^\s*$' | tail -1 | tr '\t' ' ' | cut -c1-150)
    printf '%s\t%s\t%s\t%s\t%s\n' "$kind" "$(basename "$f")" "$rc" "$held" "$msg" >> "$OUT/results.tsv"
    rm -rf "$w"
  done
done
