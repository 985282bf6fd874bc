#!/usr/bin/env bash
# Regenerates the board fuzzing seeds in corpus/ (the record layout is described at
# the top of fuzz_board.c): every control code with the payloads its callers send,
# each board command followed by the reads it changes, and a few malformed requests.
# Seeds named crash-* are regression inputs from fuzzing runs and are kept.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$here/corpus
mkdir -p "$out"
find "$out" -maxdepth 1 -type f ! -name 'crash-*' -delete

le16() { printf '\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)); }
le32() {
    printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) \
        $(($1 >> 16 & 255)) $(($1 >> 24 & 255))
}

# Code selectors (index into the target's table).
EVAL=0 HANDSHAKE=1 GROUP=2 INFO=3 VALUE=4 SET=5 QUERY=6 COMMAND=7
SHARED=1

# req <selector> <flags> <input length> <output length> <time> [input as \x escapes]
req() { printf '\\x%02x\\x%02x\\x%02x%s%s%s' "$1" "$2" "$3" "$(le16 "$4")" "$(le32 "$5")" "${6:-}"; }

# A raw control code instead of a table entry.
raw() { printf '\\xff%s\\x%02x\\x%02x%s%s%s' "$(le32 "$1")" "$2" "$3" "$(le16 "$4")" "$(le32 "$5")" "${6:-}"; }

# Method-call header: tag 4, name, argument count, block size.
header() { printf '%s%s%s%s' "$(le32 4)" "${3:-RBEC}" "$(le32 "$1")" "$(le32 "$2")"; }
integer() { printf '%s%s%s' "$(le16 0)" "$(le16 4)" "$(le32 "$1")"; }
rbec() { printf '%s%s%s' "$(header 2 16 "${3:-RBEC}")" "$(integer "$1")" "$(integer "$2")"; }
rbec_req() { req $EVAL $SHARED 32 4096 "${3:-0}" "$(rbec "$1" "$2" "${4:-RBEC}")"; }  # a b [time] [name]

# command <op> <a> <b> [text]: an NrvCommand of 44 bytes, text NUL-padded.
command() {
    local text=${4:-} pad
    pad=$(printf '\\x00%.0s' $(seq $((32 - ${#text}))))
    req $COMMAND $SHARED 44 0 0 "$(le32 "$1")$(le32 "$2")$(le32 "$3")$text$pad"
}
item() { req "$1" $SHARED 4 "${3:-16}" 0 "$(le32 "$2")"; }
set_item() { req $SET $SHARED 12 0 0 "$(le32 "$1")$(le32 "$2")$(le32 "$3")"; }
group() { req $GROUP $SHARED 4 132 0 "$(le32 "$1")"; }
query() { req $QUERY $SHARED 0 948 "${1:-0}"; }

seed() { local name=$1; shift; printf "$(printf '%s' "$@")" > "$out/$name"; }

seed handshake "$(req $HANDSHAKE $SHARED 0 4 0)"
for reg in 17 18 19 20 21 22 23 24; do
    seed rbec_inline_$reg "$(rbec_req 182 $reg 12345)"
done
seed rbec_separate_buffers "$(req $EVAL 0 32 20 0 "$(rbec 182 17)")"
seed rbec_other_register "$(rbec_req 182 25)"
seed rbec_address "$(req $EVAL $SHARED 20 4096 0 "$(header 2 16)$(le32 0x00401000)")"
seed rbec_unknown_method "$(rbec_req 182 17 0 WBEC)"
seed rbec_four_arguments "$(req $EVAL $SHARED 48 4096 0 \
    "$(header 4 32)$(integer 182)$(integer 17)$(integer 0)$(integer 0)")"
seed rbec_short_reply "$(req $EVAL $SHARED 32 19 0 "$(rbec 182 17)")"
seed groups "$(group 0)$(group 0x11)$(group 0x42)$(group 0x100)"
seed item_info "$(item $INFO 0x1103001F)$(item $INFO 0x00060008)"
seed item_values "$(item $VALUE 0x1103001D 4)$(item $VALUE 0x1103001E 4)$(item $VALUE 0x1103001F 4)"
seed set_then_read "$(set_item 0x1103001C 0 2)$(item $VALUE 0x1103001C 4)$(query)"
seed query "$(query 60000)"
seed query_short "$(req $QUERY $SHARED 0 947 0)"
for profile in 8x4 16x2,off conflict 6x6,live absent 24x4 '8X4 , Conflict' 8x4,bogus; do
    seed "profile_${profile//[ ,]/_}" "$(command 1 0 0 "$profile")$(group 0x11)$(item $VALUE 0x1103001F 4)$(query 30000)"
done
seed temp "$(command 2 2 $((-5 & 0xFFFFFFFF)))$(rbec_req 182 19)$(command 2 8 40)"
seed ec_byte "$(command 3 0 0x85)$(rbec_req 182 17)$(command 3 0 0x100)"
seed live "$(command 4 1 0)$(rbec_req 182 17 59999)$(rbec_req 182 17 4294967295)$(query 123456)"
seed add_items "$(command 5 0x42000001 5)$(command 5 0x43000000 0)$(group 0x42)$(item $INFO 0x42000001)"
seed fail_ec "$(command 6 8 1)$(rbec_req 182 20)$(rbec_req 182 21)$(command 11 0 0)$(rbec_req 182 20)"
seed fail_item "$(command 7 0x1103001E 1)$(group 0x11)$(item $INFO 0x1103001F)$(item $VALUE 0x1103001E 4)"
seed fail_read "$(command 8 0x1103001F 1)$(item $VALUE 0x1103001F 4)"
seed fail_write "$(command 9 0x1103001C 1)$(set_item 0x1103001C 0 2)"
seed fail_group "$(command 10 0x11 1)$(group 0x11)$(command 10 0x11 0)$(group 0x11)"
seed fail_clear "$(command 7 0x1103001E 1)$(command 6 255 1)$(command 11 0 0)$(group 0x11)"
seed unknown_code "$(raw 0x00222405 $SHARED 0 4096 0)$(raw 0x00222408 $SHARED 0 4096 0)"
seed null_buffers "$(req $VALUE 4 4 4 0 "$(le32 0x1103001F)")$(req $HANDSHAKE 2 0 0 0)"
seed temp_extremes_live "$(command 2 0 127)$(command 2 1 $((-127 & 0xFFFFFFFF)))$(command 4 1 0)$(rbec_req 182 17 30000)$(rbec_req 182 18 52500)$(query 30000)"
full=""
for i in $(seq 0 18); do full+=$(command 5 $((0x42000000 + i)) $i); done
seed board_full "$full$(group 0x42)$(item $INFO 0x42000011)$(query)"
