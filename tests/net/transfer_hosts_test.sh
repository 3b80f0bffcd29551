#!/usr/bin/env bash
# Files, avatars, cards and process lists between two terminal chats on a private LAN of
# network namespaces: an avatar one host lacks is fetched on its own, a card comes back on
# /info, /procs is answered or refused as the other side's settings say, and a file offered
# with /send and accepted with /yes arrives byte for byte, with its progress on both terminals.
# Usage: transfer_hosts_test.sh BUILD_DIR SOURCE_DIR
BUILD_DIR=$(cd "${1:?build folder}" && pwd)
SOURCE_DIR=$(cd "${2:?source folder}" && pwd)
source "$SOURCE_DIR/tests/net/cli_lan_lib.sh"
lan_require "$BUILD_DIR/zeltochat-cli" cmake ip unshare cmp head
lan_enter "$(realpath "$0")" "$BUILD_DIR" "$SOURCE_DIR"

HOSTS=(1 2)
for n in "${HOSTS[@]}"; do lan_add_host "$n"; done
lan_wait_links "${HOSTS[@]}" || exit 1

lan_make_root 1 Alice
lan_make_root 2 Bob
H1=$LAN_WORK/h1
H2=$LAN_WORK/h2
# Alice has an avatar of her own, which Bob does not have yet.
mkdir -p "$H1/root/avatars"
head -c 5000 /dev/urandom >"$H1/root/avatars/a1.png"
rm -f "$H2/root/avatars/a1.png"
lan_ini_set "$H1/root/profiles/default.cfg" INFO AVATAR a1.png
# Process lists are a program-wide permission: Alice refuses, Bob answers.
lan_ini_set "$H1/root/system/zeltochat.ini" GLOBAL ALLOWPROCCES 0
lan_ini_set "$H2/root/system/zeltochat.ini" GLOBAL ALLOWPROCCES 1
# The file Alice sends: in her home, with a blank in its name.
head -c 307200 /dev/urandom >"$H1/home/big report.bin"

for n in "${HOSTS[@]}"; do lan_start_client "$n"; done
for n in "${HOSTS[@]}"; do lan_check "h$n lists two users" lan_wait_users "$n" 2 30; done

wait_same_file() {  # file copy seconds: until copy exists with the bytes of file
  local deadline=$((SECONDS + $3))
  until cmp -s "$1" "$2"; do [ $SECONDS -ge "$deadline" ] && return 1; sleep 0.2; done
}
# Lines of host N's output after line mark that match the pattern.
since() { tail -n +"$(($2 + 1))" "$LAN_WORK/h$1/out" | grep -E -- "$3"; }
wait_count() {  # N pattern count seconds: until host N's output holds count matching lines
  local deadline=$((SECONDS + $4))
  until [ "$(grep -cE -- "$2" "$LAN_WORK/h$1/out")" -ge "$3" ]; do [ $SECONDS -ge "$deadline" ] && return 1; sleep 0.2; done
}

# The user list asks for avatars it lacks; Alice's arrives in Bob's folder unchanged.
lan_check "Bob fetched Alice's missing avatar, the same bytes" \
  wait_same_file "$H1/root/avatars/a1.png" "$H2/root/avatars/a1.png" 20
lan_check "Alice's terminal showed the avatar going out" lan_wait_output 1 '^\[transfer\] a1\.png 100%: 4 / 4KB' 10
lan_check "Bob's terminal showed the avatar coming in" lan_wait_output 2 '^\[transfer\] Incoming: File a1\.png' 5

lan_type 2 "/info Alice"
lan_check "Bob sees Alice's card" lan_wait_output 2 '^\[info\] User information: Alice$' 10
lan_check "the card gives Alice's address" lan_wait_output 2 '^  IP: 10\.77\.0\.1$' 5
lan_check "the card gives Alice's avatar" lan_wait_output 2 '^  Avatar: a1\.png$' 5
lan_type 1 "/me"
lan_check "Alice sees her own card" lan_wait_output 1 '^\[info\] User information: Alice$' 10
lan_check "Alice's own card gives her address" lan_wait_output 1 '^  IP: 10\.77\.0\.1$' 5

lan_type 2 "/procs Alice"
lan_check "Alice refuses her process list" lan_wait_output 2 'Request refused by <Alice>' 10
lan_type 1 "/procs Bob"
lan_check "Bob sends his process list" lan_wait_output 1 'Process list of <Bob> / [^ ]+ / [^ ]+' 10
lan_check "Alice was not refused" bash -c "! grep -q 'Request refused by <Bob>' '$H1/out'"

# Clear words for what cannot be sent.
lan_type 1 "/send Nobody ~/big report.bin"
lan_check "a file for an unknown user is refused" lan_wait_output 1 '^-- nobody called Nobody is here' 5
lan_type 1 "/send Bob ~/no such file.bin"
lan_check "a missing file is refused" lan_wait_output 1 "^-- no such file: $H1/home/no such file\.bin\$" 5

# The offer, Bob's question, his yes, the bytes.
mark1=$(wc -l <"$H1/out")
mark2=$(wc -l <"$H2/out")
lan_type 1 "/send Bob ~/big report.bin"
lan_check "Alice's offer is shown" lan_wait_output 1 'Send file <Bob>: big report\.bin' 5
lan_check "Bob is asked" lan_wait_output 2 '^\[question\] \[[0-9]+\] File transfer request from Alice: big report\.bin \(300 KB\)\?  \(/yes [0-9]+ or /no [0-9]+\)' 10
lan_check "nothing moved before the answer" test ! -e "$H2/root/download/big report.bin"
lan_type 2 /yes
lan_check "Bob has the file, byte for byte" wait_same_file "$H1/home/big report.bin" "$H2/root/download/big report.bin" 20
lan_check "Bob is told the file arrived" lan_wait_output 2 'Incoming: File received: big report\.bin' 10
lan_check "Alice is told the file went" lan_wait_output 1 'File sent successfully' 10
lan_check "Alice's terminal showed the start" since 1 "$mark1" '^\[transfer\] Outgoing: File big report\.bin'
lan_check "Bob's terminal showed the start" since 2 "$mark2" '^\[transfer\] Incoming: File big report\.bin'

# One progress line a tenth, in order, each with the kilobytes so far and, once the transfer
# has run long enough to have one, the rate; the last at the whole file.
tenths_ok() {  # N mark
  local got want bad
  got=$(since "$1" "$2" '^\[transfer\] big report\.bin [0-9]+%' | sed -E 's/^\[transfer\] big report\.bin ([0-9]+)%.*/\1/' | tr '\n' ' ')
  # The k-th line comes once k tenths have moved, before the next tenth; the last at 100%.
  echo "$got" | awk '{ if (NF != 10) exit 1; for (k = 1; k <= 10; k++) if ($k < 10 * k || $k >= 10 * k + 10) exit 1; if ($10 != 100) exit 1 }' ||
    { echo "h$1 progress: '$got', expected one line in each tenth, 10 to 100"; return 1; }
  bad=$(since "$1" "$2" '^\[transfer\] big report\.bin [0-9]+%' |
    grep -vE '^\[transfer\] big report\.bin [0-9]+%: [0-9]+ / 300KB(  [0-9.]+ [KM]B/s, [0-9]+:[0-9]{2} left)?$')
  [ -z "$bad" ] || { echo "h$1 progress lines of another form: $bad"; return 1; }
  since "$1" "$2" '^\[transfer\] big report\.bin 100%: 300 / 300KB' >/dev/null ||
    { echo "h$1 has no final line at 300 / 300KB"; return 1; }
}
lan_check "Alice's progress went up in tenths" tenths_ok 1 "$mark1"
lan_check "Bob's progress went up in tenths" tenths_ok 2 "$mark2"

# The same name again is no reason to overwrite what Bob already has.
lan_type 1 "/send Bob ~/big report.bin"
lan_check "Bob is asked again" wait_count 2 '^\[question\] \[[0-9]+\] File transfer request from Alice: big report' 2 10
lan_type 2 /yes
lan_check "the second copy lands beside the first" \
  wait_same_file "$H1/home/big report.bin" "$H2/root/download/big report (1).bin" 20
lan_check "the first copy is unchanged" cmp -s "$H1/home/big report.bin" "$H2/root/download/big report.bin"

# A no sends nothing, and the offer is gone for good.
lan_check "Alice's second transfer ended" wait_count 1 'File sent successfully' 2 10
lan_type 1 "/send Bob ~/big report.bin"
lan_check "Bob is asked a third time" wait_count 2 '^\[question\] \[[0-9]+\] File transfer request from Alice: big report' 3 10
lan_type 2 /no
lan_check "Alice hears of the refusal" wait_count 1 'Request refused by <Bob>' 1 10
lan_check "no third copy came" test ! -e "$H2/root/download/big report (2).bin"

lan_stop_client 1
lan_stop_client 2

if [ "$LAN_FAILURES" -ne 0 ]; then
  lan_report "${HOSTS[@]}"
  echo "$LAN_FAILURES check(s) failed"
  exit 1
fi
echo "all checks passed"
