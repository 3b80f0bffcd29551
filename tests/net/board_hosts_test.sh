#!/usr/bin/env bash
# The bulletin board between terminal chats on a private LAN of network namespaces: a posted
# message reaches the others, a host that starts later fetches it from the author, and the
# author's delete removes it from every host.
# Usage: board_hosts_test.sh BUILD_DIR SOURCE_DIR
BUILD_DIR=$(cd "${1:?build folder}" && pwd)
SOURCE_DIR=$(cd "${2:?source folder}" && pwd)
source "$SOURCE_DIR/tests/net/cli_lan_lib.sh"
lan_require "$BUILD_DIR/zeltochat-cli" cmake ip unshare
lan_enter "$(realpath "$0")" "$BUILD_DIR" "$SOURCE_DIR"

HOSTS=(1 2 3 4)
for n in "${HOSTS[@]}"; do lan_add_host "$n"; done
lan_wait_links "${HOSTS[@]}" || exit 1

lan_make_root 1 Alice
lan_make_root 2 Bob
lan_make_root 3 Carol
lan_make_root 4 Dave
for n in 1 2 3; do lan_start_client "$n"; done
for n in 1 2 3; do lan_check "h$n lists three users" lan_wait_users "$n" 3 30; done

board_files() { find "$LAN_WORK/h$1/root/board" -maxdepth 1 -name '*.mes' -printf '%f\n' 2>/dev/null; }
has_file() { [ -f "$LAN_WORK/h$1/root/board/$2" ]; }
wait_file() {  # N file seconds: until host N's board folder holds the file
  local deadline=$((SECONDS + $3))
  until has_file "$1" "$2"; do [ $SECONDS -ge "$deadline" ] && return 1; sleep 0.2; done
}
wait_gone() {  # N file seconds
  local deadline=$((SECONDS + $3))
  while has_file "$1" "$2"; do [ $SECONDS -ge "$deadline" ] && return 1; sleep 0.2; done
}
# Asks host N for its board and checks whether this answer (not an older one) matches.
board_shows() {  # N pattern
  local mark
  mark=$(wc -l <"$LAN_WORK/h$1/out")
  lan_type "$1" /board
  sleep 0.5
  tail -n +"$((mark + 1))" "$LAN_WORK/h$1/out" | grep -qE -- "$2"
}
board_lacks() {  # N pattern: the answer to /board came, and it lacks the pattern
  local mark
  mark=$(wc -l <"$LAN_WORK/h$1/out")
  lan_type "$1" /board
  sleep 0.5
  local answer
  answer=$(tail -n +"$((mark + 1))" "$LAN_WORK/h$1/out")
  grep -qE -- '^-- the board is empty|^\[' <<<"$answer" && ! grep -qE -- "$2" <<<"$answer"
}

lan_type 1 "/page 1"
lan_check "h1 switched typed text to the board" lan_wait_output 1 '^-- typed text goes to page 1$' 5
lan_type 1 "Selling a bike, ask Alice"
lan_check "h1 stored its own message" bash -c "for _ in \$(seq 25); do ls '$LAN_WORK/h1/root/board/'*.mes >/dev/null 2>&1 && exit 0; sleep 0.2; done; exit 1"
FILE=$(board_files 1 | head -n 1)
lan_check "h1 holds exactly one board message" test "$(board_files 1 | wc -l)" -eq 1 -a -n "$FILE"
[ -n "$FILE" ] || { lan_report 1; exit 1; }
echo "message file: $FILE"

for n in 2 3; do
  lan_check "h$n's board folder receives $FILE" wait_file "$n" "$FILE" 10
  lan_check "h$n's /board shows Alice's message and its file name" \
    board_shows "$n" "<Alice> Selling a bike, ask Alice  \(board/$FILE\)\$"
done
lan_check "h1's /board shows its own message" board_shows 1 "<Alice> Selling a bike, ask Alice  \(board/$FILE\)\$"
lan_check "the copies are the author's file byte for byte" \
  bash -c "cmp -s '$LAN_WORK/h1/root/board/$FILE' '$LAN_WORK/h2/root/board/$FILE' && cmp -s '$LAN_WORK/h1/root/board/$FILE' '$LAN_WORK/h3/root/board/$FILE'"

# The late joiner was not there for the post; only the author's list answer brings it.
lan_start_client 4
lan_check "h4 lists four users" lan_wait_users 4 4 30
lan_check "late joiner h4 fetches $FILE from the author" wait_file 4 "$FILE" 15
lan_check "h4's /board shows Alice's message" board_shows 4 "<Alice> Selling a bike, ask Alice  \(board/$FILE\)\$"

# Deleting asks first; nothing goes before the answer.
lan_type 1 "/delete $FILE"
sleep 1
lan_check "nothing is deleted before the confirmation" \
  bash -c "for n in 1 2 3 4; do [ -f '$LAN_WORK/h'\$n'/root/board/$FILE' ] || exit 1; done"
lan_type 1 /yes
for n in "${HOSTS[@]}"; do
  lan_check "h$n's board folder no longer holds $FILE" wait_gone "$n" "$FILE" 10
  lan_check "h$n's /board no longer shows the message" board_lacks "$n" "Selling a bike|$FILE"
done

for n in "${HOSTS[@]}"; do lan_stop_client "$n"; done

if [ "$LAN_FAILURES" -ne 0 ]; then
  lan_report "${HOSTS[@]}"
  echo "$LAN_FAILURES check(s) failed"
  exit 1
fi
echo "all checks passed"
