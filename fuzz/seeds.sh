#!/usr/bin/env bash
# Writes the seed corpora of fuzz_records, fuzz_tategaki, fuzz_history,
# fuzz_matchrecord, fuzz_wave, fuzz_ownsets and fuzz_layout from readable
# descriptions; the input layouts are described at the top of each fuzzer.
# The seeds are kept in the repository; run this after changing a layout.
set -euo pipefail

CORPUS="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/corpus"

# Raw bytes from printf escapes.
b() { printf "$@"; }
# A length byte and the bytes of $1 (UTF-8 as typed).
counted() { local n; n=$(printf '%s' "$1" | wc -c); printf "\\x$(printf '%02x' "$n")%s" "$1"; }
# Two bytes, big-endian.
u16() { printf "\\x$(printf '%02x' $(( ($1 >> 8) & 255 )))\\x$(printf '%02x' $(( $1 & 255 )))"; }
# One 37-byte slot: score, name, date (ASCII), the rest zero.
slot() {
  local s="$1" n="$2" d="$3"
  counted "$s"; head -c $((4 - ${#s})) /dev/zero
  counted "$n"; head -c $((20 - ${#n})) /dev/zero
  counted "$d"; head -c $((10 - ${#d})) /dev/zero
}
zeroslot() { head -c 37 /dev/zero; }
# Slot 0 and one entry per score, best first.
table() { zeroslot; for s in "$@"; do slot "$s" "P$s" "2026/01/01"; done; }

# flags, score, name, date format, day offset [, rewrite], file
step() {
  local flags="$1" score="$2" name="$3" format="$4"
  b "\\x$(printf '%02x' "$flags")"; u16 "$score"; counted "$name"; counted "$format"; u16 0
}

r="$CORPUS/records"
rm -rf "$r"; mkdir -p "$r"
step 0 500 ABC yyyy/MM/dd >"$r/empty-file"
step 3 0 "" yyyy/MM/dd >"$r/missing-file-cancel"
{ step 0 50 "かるた" yyyy/MM/dd; table 900 800 700; } >"$r/below-three"
{ step 0 100 Z yyyy/MM/dd; table 1000 900 800 700 600 500 400 300 200 100; } >"$r/full-equal-lowest"
{ step 0 150 "あいうえおかきくけこさ" "d MMMM yyyy"; table 1000 900 800 700 600 500 400 300 200 100; } >"$r/full-long-name"
{ step 0 800 ABC yyyy/MM/dd; table 900 800 800 700; } >"$r/equal-scores"
{ step 0 10 ABC yyyy/MM/dd; zeroslot; b '\x03123\x00\x19'; head -c 31 /dev/zero; } >"$r/name-too-long"
{ step 0 10 ABC yyyy/MM/dd; table 900 800; b 'cut'; } >"$r/cut-short"
{ step 0 10 ABC yyyy/MM/dd; zeroslot; slot 1a P1 2026/01/01; } >"$r/score-not-number"
{ step 0 10 ABC dd.MM.yy; table 90 80 70 60 50 40 30 20 10 5 4 3; } >"$r/twelve-entries"
{ b '\x08'; counted " 42"; counted ABC; counted yyyy/MM/dd; u16 0; } >"$r/score-text"
{ step 16 10 ABC yyyy/MM/dd; table 900 800; b 'cut'; } >"$r/cut-short-set-aside"
{ step 20 650 ABC yyyy/MM/dd; u16 3; b 'bad'; table 900; b 'x'; } >"$r/set-aside-twice"
{ step 4 650 ABC yyyy/MM/dd; u16 407; table 1000 900 800 700 700 700 700 700 700 650; table 700; } >"$r/rewritten-while-asking"

t="$CORPUS/tategaki"
rm -rf "$t"; mkdir -p "$t"
sjis() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }
# Parameter bytes: flags, line margin, kinsoku margin, full and half advance,
# font size; then width and height; then the cut.
# The card box: multi-line, centred, 57 x 105, line margin 2.
{ b '\x16\x02\x00\x10\x08\x10'; u16 57; u16 105; b '\x00'; sjis "わかころもてはつゆにぬれつつ"; } >"$t/card"
{ b '\x10\x00\x00\x10\x08\x10'; u16 40; u16 100; b '\x00'; sjis "あいうえお「かきくけ」。こさしすせそ"; } >"$t/kinsoku"
{ b '\x10\x00\x10\x10\x08\x10'; u16 40; u16 96; b '\x00'; sjis "あいうえおか」。きくけこさしすっーせそ"; } >"$t/hanging"
{ b '\x10\x01\x00\x10\x08\x10'; u16 60; u16 200; b '\x00'; sjis "あいう"; b '\r\n\r\n'; sjis "えおか"; b '\r'; } >"$t/line-breaks"
{ b '\xb0\x00\x00\x10\x08\x10'; u16 120; u16 40; b '\x03'; sjis "ABC ｶﾀｶﾅ (半角) mixed, text!"; } >"$t/horizontal"
{ b '\x00\x00\x00\x13\x09\x13'; u16 19; u16 337; b '\x00'; sjis "あきのたのかりほのいほのとまをあらみ"; b '\x82'; } >"$t/reading-label"

# fuzz_history: a flags byte (1: yes to setting aside), then the file. The
# databases are made by the sqlite3 shell with small pages, in rollback mode
# unless named "wal".
h="$CORPUS/history"
rm -rf "$h"; mkdir -p "$h"
readings="CREATE TABLE readings (id INTEGER PRIMARY KEY, played_at TEXT NOT NULL, mode TEXT NOT NULL,
 session INTEGER NOT NULL, poem INTEGER NOT NULL CHECK (poem BETWEEN 1 AND 100), outcome TEXT NOT NULL,
 chosen INTEGER, ticks INTEGER, ms INTEGER NOT NULL, ms_after_deciding INTEGER,
 deciding TEXT NOT NULL DEFAULT 'spelled', extra TEXT);"
takes="INSERT INTO readings (played_at, mode, session, poem, outcome, chosen, ticks, ms, ms_after_deciding, deciding, extra) VALUES
 ('2026-12-06T20:00:00+09:00', 'game-S', 1, 7, 'right', NULL, 9, 1350, 450, 'spoken', NULL),
 ('2026-12-06T20:00:09+09:00', 'game-S', 1, 12, 'wrong', 40, 11, 1650, 300, 'spoken', NULL),
 ('2026-12-07T08:00:00+09:00', 'training', 2, 3, 'timeout', NULL, NULL, 10000, NULL, 'spelled', NULL),
 ('2026-12-07T09:00:00+09:00', 'match', 3, 4, 'opponent', NULL, NULL, 900, 200, 'spoken', '{\"level\":3}');"
db() { # name flags sql
  local tmp; tmp=$(mktemp -d)
  sqlite3 "$tmp/f" "PRAGMA page_size=512; $3"
  { b "$2"; cat "$tmp/f"; } >"$h/$1"
  rm -rf "$tmp"
}
b '\x00' >"$h/no-file"
{ b '\x00'; printf 'RecordsS.dat? no.%.0s' {1..40}; } >"$h/not-a-database-no"
{ b '\x01'; printf 'RecordsS.dat? no.%.0s' {1..40}; } >"$h/not-a-database-yes"
db history '\x00' "$readings $takes PRAGMA user_version = 1;"
db history-wal '\x00' "$readings $takes PRAGMA user_version = 1; PRAGMA journal_mode = WAL;"
db empty-version-0 '\x00' "CREATE TABLE notes (x); DROP TABLE notes;"
db other-columns-no '\x00' "CREATE TABLE readings (id INTEGER PRIMARY KEY, poem INTEGER, said TEXT); PRAGMA user_version = 1;"
db other-columns-yes '\x01' "CREATE TABLE readings (id INTEGER PRIMARY KEY, poem INTEGER, said TEXT); PRAGMA user_version = 1;"
db own-sets '\x00' "$readings $takes CREATE TABLE own_sets (id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE, poems TEXT NOT NULL);
 CREATE TABLE options (name TEXT PRIMARY KEY, value TEXT NOT NULL);
 INSERT INTO own_sets VALUES (1, '自陣', '3 15 22'), (2, ' 友札', '5 5'), (3, 'x', 'a: 1'), (4, '友札', '101');
 INSERT INTO options VALUES ('review.retention', '2'), ('review.new_per_day', '-3'); PRAGMA user_version = 2;"
# own_sets whose id is no integer key: a set read from it would have no id.
ownkey() { # name, own_sets' columns
  db "$1" '\x00' "$readings $takes CREATE TABLE own_sets ($2);
 CREATE TABLE options (name TEXT PRIMARY KEY, value TEXT NOT NULL);
 INSERT INTO own_sets (id, name, poems) VALUES (NULL, '自陣', '3 15 22'), ('x', '友札', '5 7'); PRAGMA user_version = 2;"
}
ownkey own-sets-no-key "id, name TEXT NOT NULL UNIQUE, poems TEXT NOT NULL"
ownkey own-sets-key-desc "id INTEGER PRIMARY KEY DESC, name TEXT NOT NULL UNIQUE, poems TEXT NOT NULL"
ownkey own-sets-text-key "id TEXT PRIMARY KEY, name TEXT NOT NULL UNIQUE, poems TEXT NOT NULL"
db own-sets-without-rowid '\x00' "$readings $takes CREATE TABLE own_sets (id INTEGER PRIMARY KEY, name TEXT, poems TEXT) WITHOUT ROWID;
 INSERT INTO own_sets VALUES ('x', '自陣', '3 15 22'); PRAGMA user_version = 2;"
# A file of the first version whose sets were made by hand in the right shape.
db own-sets-version-1 '\x00' "$readings $takes CREATE TABLE own_sets (id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE, poems TEXT NOT NULL);
 INSERT INTO own_sets VALUES (4, '自陣', '3 15 22'); PRAGMA user_version = 1;"
db newer-program '\x00' "${readings/extra TEXT)/extra TEXT, who TEXT NOT NULL)} PRAGMA user_version = 7;"

# fuzz_matchrecord: the hand-written records of the replay test, which are
# readable as they stand.
m="$CORPUS/matchrecord"
rm -rf "$m"; mkdir -p "$m"
cp "$CORPUS/../../tests/match/records/"*.txt "$m/"
# Hostile records: other line ends, a flood of steps, bytes that are no text.
tr '\n' '\r' <"$m/readme-example.txt" >"$m/old-mac-line-ends"
sed 's/$/\r/' "$m/readme-example.txt" >"$m/crlf-line-ends"
mhead='kotoha-match 1\ndeal P 2.0=1 2.1=2\ndeal O 2.0=3 2.1=4\norder 3 5 1 2 4\n'
{ printf "$mhead"; printf 'end\n%.0s' {1..400}; } >"$m/many-ends"
{ printf "$mhead"; printf 'field P\n%.0s' {1..200}; } >"$m/many-empty-fields"
{ printf "$mhead"; printf 'reading 1 3\x00\xff\xfe\x01end\n'; } >"$m/binary-bytes"

# fuzz_wave: whole wave files; sizes are little-endian.
w="$CORPUS/wave"
rm -rf "$w"; mkdir -p "$w"
le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $((($1 >> 16) & 65535)); }
fmt() { # channels rate bits
  b 'fmt '; le32 16; le16 1; le16 "$1"; le32 "$2"; le32 $(($2 * $1 * $3 / 8)); le16 $(($1 * $3 / 8)); le16 "$3"
}
wave() { # name, then the command writing its chunks
  local tmp; tmp=$(mktemp); "${@:2}" >"$tmp"
  { b 'RIFF'; le32 $((4 + $(stat -c %s "$tmp"))); b 'WAVE'; cat "$tmp"; } >"$w/$1"
  rm -f "$tmp"
}
mono16() { fmt 1 16000 16; b 'data'; le32 8; b '\x00\x00\x10\x00\xf0\xff\x00\x01'; }
listed() { fmt 2 22050 8; b 'LIST'; le32 3; b 'abc\x00'; b 'data'; le32 4; b '\x80\x81\x7f\x80'; }
cut() { fmt 1 16000 16; b 'data'; le32 100; b '\x00\x00'; }
wave mono16 mono16
wave listed listed
wave cut cut

# fuzz_ownsets: a set's file as it is read.
o="$CORPUS/ownsets"
rm -rf "$o"; mkdir -p "$o"
printf '1 5 23\n' >"$o/numbers"
printf '苦手な友札: 3, 15，22、87\r\n2 4\n' >"$o/named-mixed-separators"
printf '\xef\xbb\xbf\n  \n一字決まり：８７　１８ 57\n' >"$o/bom-full-width"
printf 'a:b: 100 001\n' >"$o/colon-in-name"
printf '1 1\n' >"$o/twice"
printf '0 101 7a\n' >"$o/out-of-range"
printf 'x\xff\xfe: 9\n' >"$o/not-utf8"
printf '\x8e\xa9\x90\x77: 1 2\n' >"$o/shift-jis"
printf '\xff\xfe1\x00 \x002\x00' >"$o/utf-16"
printf '\x1b$B<+?X\x1b(B: 1\n' >"$o/jis"
printf '\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR\x00\x00\x01: 1' >"$o/binary"
printf '\xe2\x80\x8b\xe2\x80\x8b: 1 2\n' >"$o/zero-width-name"
printf '\xe2\x80\xae自陣\xe2\x81\xa6: 3\n' >"$o/direction-override"
{ printf '😀%.0s' {1..11}; printf ': 5\n'; } >"$o/eleven-emoji"
printf '\xe2\x80\x8d👨‍👩‍👧\xe2\x80\x8d: 7\n' >"$o/emoji-joiners"
printf 'ㅤ: 8\n' >"$o/filler-name"

# fuzz_layout: the settings file itself.
l="$CORPUS/layout"
rm -rf "$l"; mkdir -p "$l"
zones() { local z="" i; for i in 0 1 2 3 4 5; do z+="$(seq -s, $((i * 16 + 1)) $((i == 5 ? 100 : i * 16 + 16)))"; [ $i -lt 5 ] && z+="/"; done; printf '%s' "$z"; }
printf '[position]\nlayout="%s"\n' "$(zones)" >"$l/whole"
printf '[position]\nlayout=%s\n' "$(zones)" >"$l/unquoted-list"
printf '[position]\nlayout="%s"\n' "$(zones | sed 's/,100$/,99/')" >"$l/poem-twice"
printf '[position]\nlayout=1,2,3/4\n' >"$l/too-few-zones"
printf '[General]\nother=1\n' >"$l/no-layout"
printf '[position]\nlayout=@ByteArray(\\x01\\x02)\n' >"$l/not-text"
printf '[position]\rlayout="%s"\r' "$(zones)" >"$l/cr-line-ends"
printf '[position\nlayout="%s\n[\n=\n' "$(zones)" >"$l/damaged"
printf '\x00\xff[position]\x00layout=\x01\x02\x03\n\xfe' >"$l/binary"
printf '[position]\nlayout=\n' >"$l/empty-value"
printf '[position]\nlayout}"%s"\n' "$(zones | sed 's/,100$/,99/')" >"$l/line-without-equals"
