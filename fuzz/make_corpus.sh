#!/bin/sh
# Writes a small seed corpus for every fuzz target into the folder given, one subfolder per
# target (id3/, asf/, playlist/, ...), so that a fuzz run starts from valid structure:
#
#   fuzz/make_corpus.sh corpus
#   build-fuzz/fuzz/id3_fuzz corpus/id3 -max_total_time=300
#
# Real ID3 tags and an ASF header are made with GStreamer (gst-launch-1.0 with lamemp3enc,
# id3v2mux, id3mux, taginject, avenc_wmav2, asfmux); when an element is missing, its seeds are
# left out with a note. The other seeds are written by hand; iconv gives the Japanese encodings.
set -u

if [ $# -ne 1 ]; then
    echo "usage: $0 <corpus folder>" >&2
    exit 2
fi
out=$1
for t in id3 asf playlist textencoding myinifile myparam naturalcompare numerals; do
    mkdir -p "$out/$t" || exit 1
done

have() {
    command -v gst-inspect-1.0 >/dev/null 2>&1 || return 1
    for e in "$@"; do
        gst-inspect-1.0 --exists "$e" || { echo "note: GStreamer element $e missing, its seeds are left out" >&2; return 1; }
    done
}

# gst <file> <pipeline words...>: runs the pipeline into the file (a few buffers: small files).
gst() {
    file=$1
    shift
    gst-launch-1.0 -q "$@" ! filesink location="$file" >/dev/null 2>&1 && [ -s "$file" ] ||
        { echo "note: pipeline for $file failed" >&2; rm -f "$file"; }
}

# Text in a Japanese or other encoding (UTF-8 in, iconv out).
enc() {
    printf '%s' "$2" | iconv -f UTF-8 -t "$1"
}

# Little-endian UTF-16 of a UTF-8 text.
utf16() {
    printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE
}

# --- ID3 tags -------------------------------------------------------------------------------
id3=$out/id3
audio="audiotestsrc num-buffers=2 samplesperbuffer=1152 ! audio/x-raw,rate=44100,channels=1 ! lamemp3enc"
if have audiotestsrc lamemp3enc taginject id3v2mux; then
    # v2.4 as id3v2mux writes it: TDRC, TCON, TRCK, COMM, UTF-8 text.
    # shellcheck disable=SC2086
    gst "$id3/v24.mp3" $audio ! taginject \
        "tags=title=Title,artist=Artist,album=Album,genre=Rock,track-number=(uint)3,track-count=(uint)12,comment=Note,date=(GDate)2004-05-06" \
        ! id3v2mux
    # shellcheck disable=SC2086
    gst "$id3/v24-empty.mp3" $audio ! id3v2mux
fi
if have audiotestsrc lamemp3enc taginject id3mux; then
    # v2.3 with a v1 tag at the end.
    # shellcheck disable=SC2086
    gst "$id3/v23.mp3" $audio ! taginject "tags=title=Title,artist=Artist,album=Album,album-artist=AA,composer=C" \
        ! id3mux v2-version=3 write-v1=true
    # shellcheck disable=SC2086
    gst "$id3/v24-id3mux.mp3" $audio ! taginject "tags=title=Title,genre=Pop" ! id3mux v2-version=4
fi
# Hand-made: v2.2 three-letter frames, v2.3 UTF-16 text and unsynchronisation, v2.4 data length
# indicator and extended header, ID3v1.1 with Shift_JIS text.
printf 'ID3\002\000\000\000\000\000\050TT2\000\000\006\000TitleTP1\000\000\007\000ArtistTCO\000\000\005\000(17)\000\000\000\000' \
    >"$id3/v22.mp3"
{
    printf 'ID3\003\000\200\000\000\000\060'
    printf 'TIT2\000\000\000\010\000\000\001\377\000\376\101\000\102\000\000'
    printf 'COMM\000\000\000\011\000\000\000eng\000note\000\000\000\000\000\000\000\000\000\000'
} >"$id3/v23-unsync.mp3"
{
    printf 'ID3\004\000\100\000\000\000\051'
    printf '\000\000\000\006\001\000'
    printf 'TIT2\000\000\000\012\000\001\000\000\000\006\003Title'
    printf 'TDRC\000\000\000\005\000\000\0032004'
}  >"$id3/v24-ext.mp3"
{
    printf '\377\373\220\000'
    printf 'TAG'
    enc CP932 '日本語のタイトル' | head -c 30; printf '%014d' 0 | tr 0 '\000'
    printf 'Artist%024d' 0 | tr 0 '\000' | head -c 30
    printf '%030d' 0 | tr 0 '\000'
    printf '1999'
    printf 'comment%021d' 0 | tr 0 '\000' | head -c 28
    printf '\000\005\021'
} >"$id3/v11.mp3"

# --- ASF header -----------------------------------------------------------------------------
if have audiotestsrc taginject avenc_wmav2 asfmux; then
    gst "$out/asf/tagged.wma" audiotestsrc num-buffers=4 ! audioconvert ! avenc_wmav2 ! taginject \
        "tags=title=Title,artist=Artist,album=Album,genre=Jazz,comment=Note" ! asfmux
fi

# --- Playlists ------------------------------------------------------------------------------
pl=$out/playlist
printf '#EXTM3U\r\n#EXTINF:123,Artist - Title\r\na.mp3\r\nsub\\b.mp3\r\nhttp://example.invalid/s\r\n' >"$pl/list.m3u"
{ printf '\357\273\277'; printf '#EXTM3U\r\n音楽/第１話.mp3\r\n../up/曲.wma\r\n'; } >"$pl/list.m3u8"
printf '音楽\\ｶﾗｵｹ.mp3\r\nC:\\Music\\a.mp3\r\n' | iconv -f UTF-8 -t CP932 >"$pl/sjis.m3u"
printf '[playlist]\r\nNumberOfEntries=3\r\nFile1=a.mp3\r\nTitle1=A\r\nFile3=c.mp3\r\nVersion=2\r\n' >"$pl/list.pls"
printf '[playlist]\r\nFile1=a.mp3\r\nFile2=b.mp3\r\n' >"$pl/nocount.pls"
printf '<?wpl version="1.0"?>\r\n<smil>\r\n    <body>\r\n        <seq>\r\n            <media src="a &amp; b.mp3"/>\r\n            <media src="it&apos;s.mp3"/>\r\n        </seq>\r\n    </body>\r\n</smil>\r\n' \
    >"$pl/list.wpl"
printf '<?wpl version="1.0"?><smil><head><title>x</title></head><body><seq><media src="a.mp3" tid="{1}"/><!-- c --><media src="b.mp3"/></seq></body></smil>' \
    >"$pl/oneline.wpl"

# --- Text files in every encoding -----------------------------------------------------------
te=$out/textencoding
ja='漢字かなカナｶﾅ～① ABC'
{ printf '\357\273\277'; printf '%s' "$ja"; } >"$te/utf8bom.txt"
printf '%s' "$ja" >"$te/utf8.txt"
{ printf '\377\376'; utf16 "$ja"; } >"$te/utf16le.txt"
enc UTF-16BE "$ja" >"$te/utf16be.txt"
enc CP932 "$ja" >"$te/sjis.txt"
enc EUC-JP '漢字かなカナ ABC' >"$te/eucjp.txt"
enc ISO-2022-JP '漢字かなカナ ABC' >"$te/jis.txt"
enc UTF-7 '漢字かなカナ ABC' >"$te/utf7.txt"
printf 'A\000B' >"$te/utf16odd.txt"
printf '\177\177\177\177\001\002\003\200\240\375\376\377' >"$te/binary.txt"

# --- Settings files -------------------------------------------------------------------------
ini=$out/myinifile
printf '; comment\r\n[General]\r\nVolume=50\r\nRate=1.5\r\nName=tavio\r\n\r\n[Recent]\r\n0=/music/a.mp3\r\n1="quoted value"\r\n[Empty]\r\n' \
    >"$ini/settings.ini"
{ printf '\357\273\277'; printf '[日本語]\r\nキー=値\r\n数=0x1F\r\n'; } >"$ini/utf8.ini"
printf '[設定]\r\n名前=ｶﾅ\r\n' | iconv -f UTF-8 -t CP932 >"$ini/sjis.ini"

# --- UTF-16 texts ---------------------------------------------------------------------------
utf16 'tavio.exe /play "C:\Music\a b.mp3" -vol=50 /x:"y z" rest of line' >"$out/myparam/command.bin"
utf16 '"unterminated \"quote\\" /s= ""' >"$out/myparam/quotes.bin"
# The first byte says where the second text starts (in UTF-16 units).
{ printf '\012'; utf16 'file10.mp3file9.mp3'; } >"$out/naturalcompare/files.bin"
{ printf '\004'; utf16 'A-0007a-7.TXT'; } >"$out/naturalcompare/case.bin"
{ printf '\004'; utf16 '第十二話第２話'; } >"$out/numerals/kanji.bin"
{ printf '\006'; utf16 'track2track10'; } >"$out/numerals/ascii.bin"
{ printf '\005'; utf16 'Ⅻ章 ⅲ十五'; } >"$out/numerals/roman.bin"

find "$out" -type f | wc -l | sed 's/^/seeds written: /'
