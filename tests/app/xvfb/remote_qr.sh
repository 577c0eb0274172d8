#!/usr/bin/env bash
# The real program under Xvfb: 手机遥控... from the menu switches the phone
# remote on and opens its panel; the QR code on the panel, read from a
# screenshot with zbarimg, holds the address with the secret. Fetched on
# 127.0.0.1 with that secret it gives control: a WebSocket client starts and
# stops a draw, whose winners reach the results file.
set -euo pipefail
EXE=${1:?usage: remote_qr.sh path/to/luckdial}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../../scripts/xvfb-lib.sh"
source "$here/event.sh"

start_event "$EXE"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
printf '遥控端口=%s\r\n' "$port" | to_gbk >>"$dir/peizhi.a"
open_event

# Right-click on the background; the thirteenth item is 手机遥控....
height=$(xdotool getdisplaygeometry | cut -d' ' -f2)
xdotool mousemove 10 $((height - 170)) click 3
sleep 0.4
xdotool key Down Down Down Down Down Down Down Down Down Down Down Down Down
sleep 0.1
xdotool key Return
panel=$(wait_window '^手机遥控$')
sleep 0.5

url=""
for _ in $(seq 1 20); do
    import -window "$panel" "$dir/panel.png"
    url=$(zbarimg --raw -q "$dir/panel.png" 2>/dev/null || true)
    [ -n "$url" ] && break
    sleep 0.3
done
[ -n "$url" ] || fail "no QR code on the panel"
[[ $url =~ ^http://[0-9.]+:$port/\?k=([a-z2-7]{26})$ ]] || fail "not the remote's address: $url"
secret=${BASH_REMATCH[1]}

# Only 127.0.0.1 is used: the same port and secret on the loopback.
page=$(curl -s -D "$dir/headers" "http://127.0.0.1:$port/?k=$secret")
grep -q '^HTTP/1.1 200' "$dir/headers" || fail "the secret was refused: $(head -n1 "$dir/headers")"
grep -qi '^X-Frame-Options: DENY' "$dir/headers" || fail "framing not forbidden"
token=$(printf '%s' "$page" | sed -n 's/.*<meta name="t" content="\([a-z2-7]*\)">.*/\1/p')
[ -n "$token" ] || fail "no control given"
# Spent: the same code once more gives nothing.
[ "$(curl -s -o /dev/null -w '%{http_code}' "http://127.0.0.1:$port/?k=$secret")" = 403 ] ||
    fail "the secret was not spent"

state=$(timeout 30 python3 "$here/wsclient.py" "$port" "$token") || fail "the phone could not draw"
wait_lines "$dir/抽奖结果.txt" 2
printf '%s' "$state" | grep -q '"pool": 18' || fail "the pushed state is not the draw's: $state"
echo PASS
